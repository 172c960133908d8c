#include "app/link_label.h"

#include <shellapi.h>

#include "app/hyperlink.h"
#include "framework/message_map.h"
#include "platform/platform.h"

namespace {

constexpr char kAppCaption[] = "QZ8-II FSB";
// The help program carries the system's hand cursor under this number.
constexpr WORD kHelpHandCursor = 106;

// The default value of a key under HKEY_CLASSES_ROOT. 0 and `value` filled,
// or the registry's error code.
LONG readClassesDefault(const char* key, std::string& value)
{
    HKEY handle;
    LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, &handle);
    if (status != ERROR_SUCCESS) return status;
    char buffer[MAX_PATH];
    LONG size = sizeof buffer;
    status = RegQueryValueA(handle, nullptr, buffer, &size);
    RegCloseKey(handle);
    // A key that opens but has no readable default counts as missing.
    if (status != ERROR_SUCCESS) return status;
    buffer[sizeof buffer - 1] = '\0';
    value = buffer;
    return ERROR_SUCCESS;
}

}  // namespace

INT_PTR openAddress(const char* address, int showCommand)
{
    const auto shellResult =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, showCommand));
    if (static_cast<UINT_PTR>(shellResult) > 32) return shellResult;

    std::string fileType;
    if (readClassesDefault(".htm", fileType) != ERROR_SUCCESS) return shellResult;
    std::string command;
    if (readClassesDefault((fileType + "\\shell\\open\\command").c_str(), command) != ERROR_SUCCESS) {
        return shellResult;
    }
    return static_cast<INT_PTR>(WinExec(browserCommand(command.c_str(), address).c_str(), static_cast<UINT>(showCommand)));
}

CLinkLabel::CLinkLabel()
    : linkColour(RGB(0x00, 0x00, 0xEE)), visitedColour(RGB(0x55, 0x1A, 0x8B)), hoverColour(GetSysColor(COLOR_BTNHIGHLIGHT))
{
}

CLinkLabel::~CLinkLabel()
{
    if (linkFont != nullptr) DeleteObject(linkFont);
    // CopyIcon made the cursor ours: a handle the label owns.
    if (linkCursor != nullptr) DestroyIcon(linkCursor);
}

void CLinkLabel::setUrl(const char* address)
{
    url = address;
    fitToText();
}

void CLinkLabel::attach(HWND window)
{
    subclass(window);
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | SS_NOTIFY);
    if (url.empty()) url = text();
    if (text().empty()) setText(url.c_str());

    LOGFONTA description;
    const auto dialogFont = reinterpret_cast<HFONT>(send(WM_GETFONT));
    GetObjectA(dialogFont, sizeof description, &description);
    description.lfUnderline = underline ? TRUE : FALSE;
    // A new window of the same label (the About box opened again) gets a
    // fresh font; the old one goes.
    if (linkFont != nullptr) DeleteObject(linkFont);
    linkFont = CreateFontIndirectA(&description);
    send(WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), TRUE);

    fitToText();
    loadLinkCursor();
}

bool CLinkLabel::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    using L = CLinkLabel;
    static const MessageEntry<L> table[] = {
        onReflectedMessage<L>(WM_CTLCOLORSTATIC, &L::onControlColour),
        onWindowMessage<L>(WM_SETCURSOR, &L::onSetCursor),
        onWindowMessage<L>(WM_MOUSEMOVE, &L::onMouseMove),
        onReflectedCommand<L>(STN_CLICKED, &L::onClicked),
        onWindowMessage<L>(WM_PAINT, &L::onPaint),
    };
    return dispatchMessage(*this, table, message, wParam, lParam, result);
}

void CLinkLabel::fitToText()
{
    if (hwnd_ == nullptr || !adjustToFit) return;
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);

    const std::string label = text();
    SIZE extent{};
    const HDC dc = GetDC(hwnd_);
    const HGDIOBJ previous = SelectObject(dc, linkFont);
    GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(hwnd_, dc);

    const LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
    if (style & SS_CENTERIMAGE) {
        const LONG inset = (rect.bottom - rect.top - extent.cy) / 2;
        rect.top += inset;
        rect.bottom -= inset;
    } else {
        rect.bottom = rect.top + extent.cy;
    }
    if (style & SS_CENTER) {
        const LONG inset = (rect.right - rect.left - extent.cx) / 2;
        rect.left += inset;
        rect.right -= inset;
    } else if (style & SS_RIGHT) {
        rect.left = rect.right - extent.cx;
    } else {
        rect.right = rect.left + extent.cx;
    }
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER);
}

void CLinkLabel::loadLinkCursor()
{
    if (linkCursor != nullptr) return;
    char path[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(path, sizeof path);
    if (length == 0 || length + sizeof "\\winhlp32.exe" > sizeof path) return;
    lstrcatA(path, "\\winhlp32.exe");
    const HMODULE helpProgram = LoadLibraryA(path);
    if (helpProgram == nullptr) return;
    const HCURSOR hand = LoadCursorA(helpProgram, MAKEINTRESOURCEA(kHelpHandCursor));
    if (hand != nullptr) linkCursor = CopyIcon(hand);
    FreeLibrary(helpProgram);
}

bool CLinkLabel::onControlColour(WPARAM wParam, LPARAM, LRESULT& result)
{
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, isOver ? hoverColour : (isVisited ? visitedColour : linkColour));
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
}

bool CLinkLabel::onSetCursor(WPARAM, LPARAM, LRESULT& result)
{
    if (linkCursor == nullptr) return false;
    SetCursor(linkCursor);
    result = TRUE;
    return true;
}

void CLinkLabel::redrawNow() const { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

bool CLinkLabel::onMouseMove(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = defaultProc(WM_MOUSEMOVE, wParam, lParam);
    if (isOver) {
        RECT client;
        GetClientRect(hwnd_, &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&client, at)) return true;
        isOver = false;
        ReleaseCapture();
        redrawNow();
    } else {
        isOver = true;
        redrawNow();
        SetCapture(hwnd_);
    }
    return true;
}

void CLinkLabel::onClicked()
{
    isOver = false;
    const INT_PTR result = openAddress(url.c_str(), SW_SHOW);
    isVisited = static_cast<UINT_PTR>(result) > 32;
    if (isVisited) {
        setVisited(true);
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
        reportError(static_cast<int32_t>(result));
    }
}

void CLinkLabel::setVisited(bool visitedNow)
{
    isVisited = visitedNow;
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

void CLinkLabel::reportError(int32_t code) const
{
    showMessage(hyperlinkErrorText(code).c_str(), kAppCaption, kIconWarning);  // the exclamation icon
}

bool CLinkLabel::onPaint(WPARAM, LPARAM, LRESULT& result)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    std::string label = text();
    if (label.empty()) label = url;
    // The paint DC goes back with the font it came with.
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(send(WM_GETFONT)));
    SetTextColor(dc, linkColour);
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(hwnd_, &client);
    DrawTextA(dc, label.c_str(), -1, &client, DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, previous);
    EndPaint(hwnd_, &paint);
    result = 0;
    return true;
}
