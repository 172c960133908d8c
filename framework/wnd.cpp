#include "framework/wnd.h"

namespace {
// Window property holding the CWnd of a subclassed window.
constexpr char kObjectProperty[] = "qz8.CWnd";
}  // namespace

CWnd::~CWnd() { unsubclass(); }

bool CWnd::onMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

CWnd* CWnd::fromHandle(HWND window)
{
    return window != nullptr ? static_cast<CWnd*>(GetPropA(window, kObjectProperty)) : nullptr;
}

std::string CWnd::text() const
{
    const int length = GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd_, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void CWnd::subclass(HWND window)
{
    hwnd_ = window;
    SetPropA(window, kObjectProperty, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::subclassProc)));
}

void CWnd::unsubclass()
{
    if (original_ == nullptr || hwnd_ == nullptr) return;
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(hwnd_, kObjectProperty);
    original_ = nullptr;
}

LRESULT CWnd::defaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = fromHandle(window);
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->defaultProc(message, wParam, lParam);
        self->unsubclass();
        self->hwnd_ = nullptr;
        return result;
    }
    LRESULT result = 0;
    if (self->onMessage(message, wParam, lParam, result)) return result;
    return self->defaultProc(message, wParam, lParam);
}
