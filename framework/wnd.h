// The window object every framework class builds on: a handle, the message
// table lookup, and subclassing for controls that handle their own messages.
#pragma once

#include <windows.h>

#include <string>

// A parent hands a subclassed control's notifications back to it as
// kReflect + the message (WM_COMMAND, WM_CTLCOLORSTATIC).
constexpr UINT kReflect = 0xBC00;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND handle() const { return hwnd_; }
    // Binds the object to an existing window (the dialog's data exchange).
    virtual void attach(HWND window) { hwnd_ = window; }

    // The message-table lookup: true when the message was handled, with its
    // result in `result`.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The object of a subclassed window, or null.
    static CWnd* fromHandle(HWND window);

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(hwnd_, message, wParam, lParam);
    }
    void enable(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    void setText(const char* text) const { SetWindowTextA(hwnd_, text); }
    std::string text() const;

protected:
    // Routes the window's own messages through onMessage; undone when the
    // window is destroyed.
    void subclass(HWND window);
    // The window procedure the window had before subclassing.
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void unsubclass();

    WNDPROC original_ = nullptr;
};
