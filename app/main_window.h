// The main window: the processor, the Current and Selected clocks, the FSB
// slider and the PCI/FSB ratio list.
#pragma once

#include <windows.h>

#include "app/about_box.h"
#include "app/window_values.h"
#include "clock/clock_setting.h"
#include "steps/clock_actions.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/message_map.h"

// The user's choice: slider position x 0.5 and the ratio list's code.
extern ClockSetting selectedSetting;

// Control ids of one row of value fields.
struct RowFields {
    int coreSpeed, fsb, memory, agp, pci;
};

class CModifierDlg : public CDialog {
public:
    explicit CModifierDlg(CWnd* parent = nullptr);
    ~CModifierDlg() override;

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void doDataExchange(DataExchange& exchange) override;
    BOOL initDialog() override;

private:
    // Reads the clock generator and fills the Current row; a failure is said
    // in a box (a busy bus by the box that refused it) and keeps the row.
    ReadEnd showCurrentValues();
    void showCurrentRow();
    void showSelectedValues();
    void showRow(const RowFields& fields, const RowTexts& row);
    // The Current row after a read-back that failed: only the core speed,
    // measured after the programming, is still known.
    void showOnlyCoreSpeed();
    // Get Current Values, Set New Values and Save are off for the whole of a
    // hardware action, its boxes included, so that no click starts another
    // action inside it; afterwards each is as the window's state allows.
    void holdButtons();
    void releaseButtons();

    bool onPaint(WPARAM, LPARAM, LRESULT& result);
    bool queryDragIcon(WPARAM, LPARAM, LRESULT& result);
    bool onSliderScroll(WPARAM, LPARAM, LRESULT& result);
    bool onEndSession(WPARAM, LPARAM, LRESULT& result);
    void onGetCurrentValues();
    void onStepUp();
    void onStepDown();
    void onRatioChanged();
    void onSetNewValues();
    void onSave();
    void onAbout();

    void stepSlider(int delta);

    CComboBox ratioList;
    CSliderCtrl fsbSlider;
    CAboutBox aboutBox;
    HICON windowIcon;
    bool canGet_ = false;   // a supported processor
    bool canSet_ = false;   // the current values were read once
    bool canSave_ = false;  // a programming was read back

};
