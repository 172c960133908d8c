#include "app/main_window.h"

#include "app/clock_messages.h"
#include "app/settings_file.h"
#include "app/window_values.h"
#include "clock/clock_generator.h"
#include "framework/file_dialog.h"
#include "hw/hw_channel.h"
#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"
#include "platform/platform.h"
#include "res/resource.h"

ClockSetting selectedSetting{};

namespace {

constexpr char kAppCaption[] = "QZ8-II FSB";
constexpr char kSmbusCaption[] = "SMBus Error";
constexpr char kUnreadableText[] = "Unable to read the clock generator.";
constexpr char kNotTakenText[] = "The clock generator did not take the new setting; it runs at the previous one.";
constexpr char kNotHeldText[] = "The clock generator does not hold the new setting.";

constexpr RowFields kCurrentRow{IDC_CORE_CURRENT, IDC_FSB_CURRENT, IDC_MEMORY_CURRENT, IDC_AGP_CURRENT,
                                IDC_PCI_CURRENT};
constexpr RowFields kSelectedRow{IDC_CORE_SELECTED, IDC_FSB_SELECTED, IDC_MEMORY_SELECTED, IDC_AGP_SELECTED,
                                 IDC_PCI_SELECTED};

}  // namespace

CModifierDlg::CModifierDlg(CWnd* parent)
    : CDialog(IDD_MAIN, parent), windowIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)))
{
}

CModifierDlg::~CModifierDlg() = default;

bool CModifierDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    using D = CModifierDlg;
    static const MessageEntry<D> table[] = {
        onWindowMessage<D>(WM_PAINT, &D::onPaint),
        onWindowMessage<D>(WM_QUERYDRAGICON, &D::queryDragIcon),
        onWindowMessage<D>(WM_HSCROLL, &D::onSliderScroll),
        onWindowMessage<D>(WM_ENDSESSION, &D::onEndSession),
        onCommand<D>(BN_CLICKED, IDC_GET_CURRENT_VALUES, &D::onGetCurrentValues),
        onCommand<D>(BN_CLICKED, IDC_STEP_UP, &D::onStepUp),
        onCommand<D>(BN_CLICKED, IDC_STEP_DOWN, &D::onStepDown),
        onCommand<D>(CBN_SELCHANGE, IDC_RATIO_LIST, &D::onRatioChanged),
        onCommand<D>(BN_CLICKED, IDC_SET_NEW_VALUES, &D::onSetNewValues),
        onCommand<D>(BN_CLICKED, IDC_SAVE, &D::onSave),
        onCommand<D>(BN_CLICKED, IDC_ABOUT, &D::onAbout),
    };
    return dispatchMessage(*this, table, message, wParam, lParam, result);
}

void CModifierDlg::doDataExchange(DataExchange& exchange)
{
    exchange.control(IDC_RATIO_LIST, ratioList);
    exchange.control(IDC_FSB_SLIDER, fsbSlider);
}

BOOL CModifierDlg::initDialog()
{
    CDialog::initDialog();
    send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon));
    send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon));

    fsbSlider.setTicFreq(kSliderTickFrequency);
    fsbSlider.setRangeMin(kSliderMin, false);
    fsbSlider.setRangeMax(kSliderMax, false);
    for (const char* text : kRatioTexts) ratioList.addString(text);

    measureCoreClock();
    const bool open = openDevice() != 0;
    const int32_t supported = identifyCpu();
    // Without the device the host bridge's register reads as 0, which would
    // pass for a memory ratio of 3: no memory clock rather than an invented one.
    if (open) identifyChipset();
    closeDevice();

    setItemText(IDC_MODEL, modelFieldText(cpuInfo.brandString, cpuInfo.modelName));
    setItemText(IDC_CORE_NAME, cpuInfo.coreName);
    const std::string multiplier = multiplierText(cpuInfo.clockMultiplier);
    if (!multiplier.empty()) setItemText(IDC_MULTIPLIER, multiplier.c_str());

    // Only a supported processor may have its clocks read and changed.
    canGet_ = supported != 0;
    releaseButtons();
    for (int id : {IDC_FSB_SLIDER, IDC_STEP_DOWN, IDC_STEP_UP, IDC_RATIO_LIST}) enableItem(id, false);
    return TRUE;
}

ReadEnd CModifierDlg::showCurrentValues()
{
    const ReadEnd read = readCurrentValues();
    if (read == ReadEnd::Failed) showMessage(kUnreadableText, kSmbusCaption, kIconWarning);
    if (read == ReadEnd::Read) showCurrentRow();
    return read;
}

void CModifierDlg::showCurrentRow()
{
    selectedSetting.ratioCode = currentSetting.ratioCode;
    const RowTexts row = currentRowTexts(currentSetting, cpuInfo.coreClockMhz, chipsetInfo.memoryClockMultiplier);
    showRow(kCurrentRow, row);
}

void CModifierDlg::showSelectedValues()
{
    selectedSetting.fsbMhz = fsbForSliderPosition(fsbSlider.getPos());
    const RowTexts row = selectedRowTexts(selectedSetting, cpuInfo.clockMultiplier, chipsetInfo.memoryClockMultiplier);
    showRow(kSelectedRow, row);
}

// A memory field whose ratio is unknown keeps the text it had.
void CModifierDlg::showRow(const RowFields& fields, const RowTexts& row)
{
    setItemText(fields.coreSpeed, row.coreSpeed.c_str());
    setItemText(fields.fsb, row.fsb.c_str());
    if (row.hasMemory) setItemText(fields.memory, row.memory.c_str());
    setItemText(fields.agp, row.agp.c_str());
    setItemText(fields.pci, row.pci.c_str());
}

void CModifierDlg::showOnlyCoreSpeed()
{
    setItemText(kCurrentRow.coreSpeed, currentRowTexts(currentSetting, cpuInfo.coreClockMhz, 0).coreSpeed.c_str());
    for (int id : {kCurrentRow.fsb, kCurrentRow.memory, kCurrentRow.agp, kCurrentRow.pci}) setItemText(id, "");
}

void CModifierDlg::holdButtons()
{
    for (int id : {IDC_GET_CURRENT_VALUES, IDC_SET_NEW_VALUES, IDC_SAVE}) enableItem(id, false);
}

void CModifierDlg::releaseButtons()
{
    enableItem(IDC_GET_CURRENT_VALUES, canGet_);
    enableItem(IDC_SET_NEW_VALUES, canSet_);
    enableItem(IDC_SAVE, canSave_);
}

bool CModifierDlg::onPaint(WPARAM, LPARAM, LRESULT& result)
{
    if (!IsIconic(hwnd_)) return false;
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, windowIcon);
    EndPaint(hwnd_, &paint);
    result = 0;
    return true;
}

bool CModifierDlg::queryDragIcon(WPARAM, LPARAM, LRESULT& result)
{
    result = reinterpret_cast<LRESULT>(windowIcon);
    return true;
}

bool CModifierDlg::onSliderScroll(WPARAM, LPARAM, LRESULT&)
{
    showSelectedValues();
    return false;  // the trackbar's own handling goes on
}

void CModifierDlg::onGetCurrentValues()
{
    holdButtons();
    // Controls stay as they were when nothing was read: Set New Values must
    // not come alive on values the chip did not give.
    if (showCurrentValues() == ReadEnd::Read) {
        fsbSlider.setPos(sliderPositionForFsb(currentSetting.fsbMhz));
        const int32_t index = ratioIndexForCode(currentSetting.ratioCode);
        if (index >= 0) ratioList.setCurSel(index);
        canSet_ = true;
        for (int id : {IDC_FSB_SLIDER, IDC_STEP_DOWN, IDC_STEP_UP, IDC_RATIO_LIST}) enableItem(id, true);
        showSelectedValues();
    }
    releaseButtons();
}

// Log-off or shutdown ends the process right after this message, without
// the program's own exit: the driver service must go now.
bool CModifierDlg::onEndSession(WPARAM wParam, LPARAM, LRESULT& result)
{
    if (wParam != FALSE) {
        closeDevice();
        unloadDriver();
    }
    result = 0;
    return true;
}

void CModifierDlg::stepSlider(int delta)
{
    fsbSlider.setPos(fsbSlider.getPos() + delta);
    showSelectedValues();
}

void CModifierDlg::onStepUp() { stepSlider(+1); }

void CModifierDlg::onStepDown() { stepSlider(-1); }

void CModifierDlg::onRatioChanged()
{
    ratioCodeForIndex(ratioList.getCurSel(), selectedSetting.ratioCode);
    showSelectedValues();
}

void CModifierDlg::onSetNewValues()
{
    holdButtons();
    const ClockSetting requested = selectedSetting;
    const Programming programming = programAndSettle(requested, measureCoreClock);
    // Another program holds the SMBus: its box said so, nothing was done.
    if (programming.busBusy) {
        releaseButtons();
        return;
    }
    const ReadEnd readBack = readBackValues();
    if (readBack == ReadEnd::Read) {
        showCurrentRow();
    } else {
        showOnlyCoreSpeed();
    }
    // One box: what the user must do first.
    if (programming.end == ProgramEnd::Mixed) {
        showMessage(kMixedSettingText, kSmbusCaption, kIconError);
    } else if (readBack == ReadEnd::Failed) {
        showMessage(kUnreadableText, kSmbusCaption, kIconWarning);
    } else if (readBack == ReadEnd::Read && !holdsSetting(currentSetting, requested)) {
        const bool previous = programming.end == ProgramEnd::RolledBack || nothingWritten(programming.end);
        showMessage(previous ? kNotTakenText : kNotHeldText, kSmbusCaption, kIconWarning);
    }
    // Save writes what was read back; after a failed read currentSetting no
    // longer tells what the chip holds.
    canSave_ = readBack == ReadEnd::Read;
    releaseButtons();
}

void CModifierDlg::onSave()
{
    CFileDialog dialog(false, nullptr, "save.qz8", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "QZ8 File (*.qz8)|*.qz8|All Files (*.*)|*.*||", this);
    if (dialog.doModal() != IDOK) return;
    if (writeSettingsFile(dialog.pathName()) == 0) {
        showMessage("Unable to write the settings file.", kAppCaption, kIconError);
    }
}

void CModifierDlg::onAbout() { aboutBox.doModal(); }
