#include "framework/dialog.h"

#include "framework/win_app.h"

namespace {

// Messages whose result a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool returnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

}  // namespace

INT_PTR CDialog::doModal()
{
    // Without a parent of its own a dialog is modal over the main window.
    CWnd* owner = parent_;
    if (owner == nullptr && CWinApp::current() != nullptr && CWinApp::current()->mainWindow() != this) {
        owner = CWinApp::current()->mainWindow();
    }
    const HWND ownerWindow = owner != nullptr ? owner->handle() : nullptr;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), ownerWindow, &CDialog::dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::initDialog()
{
    DataExchange exchange(hwnd_);
    doDataExchange(exchange);
    return TRUE;
}

INT_PTR CALLBACK CDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->hwnd_ = window;
        return self->initDialog();
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG
    const INT_PTR answer = self->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
    return answer;
}

bool CDialog::reflect(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer) const
{
    if (message != WM_COMMAND && message != WM_CTLCOLORSTATIC) return false;
    CWnd* control = fromHandle(reinterpret_cast<HWND>(lParam));
    LRESULT result = 0;
    if (control == nullptr || !control->onMessage(kReflect + message, wParam, lParam, result)) return false;
    answer = message == WM_COMMAND ? TRUE : static_cast<INT_PTR>(result);
    return true;
}

INT_PTR CDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR answer = FALSE;
    if (reflect(message, wParam, lParam, answer)) return answer;

    LRESULT result = 0;
    if (onMessage(message, wParam, lParam, result)) {
        if (returnsResultDirectly(message)) return static_cast<INT_PTR>(result);
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            onOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            onCancel();
            return TRUE;
        }
    }
    return FALSE;
}
