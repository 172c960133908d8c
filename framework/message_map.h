// Message tables: which handler a message or notification goes to. A window
// class lists its entries in a static table and looks messages up in its
// onMessage override with dispatchMessage.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/wnd.h"

template <class T>
struct MessageEntry {
    UINT message;
    UINT code;  // notification code of a WM_COMMAND entry
    int id;     // control id of a WM_COMMAND entry; 0 = the reflected control itself
    void (T::*onEvent)();
    // Returns false to leave the message to default processing as well.
    bool (T::*onWindowMessage)(WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// A button click or other control notification.
template <class T>
constexpr MessageEntry<T> onCommand(UINT code, int id, void (T::*handler)())
{
    return MessageEntry<T>{WM_COMMAND, code, id, handler, nullptr};
}

// Any other window message.
template <class T>
constexpr MessageEntry<T> onWindowMessage(UINT message, bool (T::*handler)(WPARAM, LPARAM, LRESULT&))
{
    return MessageEntry<T>{message, 0, 0, nullptr, handler};
}

// A control's own notification, handed back to it by its parent.
template <class T>
constexpr MessageEntry<T> onReflectedCommand(UINT code, void (T::*handler)())
{
    return MessageEntry<T>{kReflect + WM_COMMAND, code, 0, handler, nullptr};
}

template <class T>
constexpr MessageEntry<T> onReflectedMessage(UINT message, bool (T::*handler)(WPARAM, LPARAM, LRESULT&))
{
    return MessageEntry<T>{kReflect + message, 0, 0, nullptr, handler};
}

template <class T, size_t N>
bool dispatchMessage(T& target, const MessageEntry<T> (&table)[N], UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT& result)
{
    for (const MessageEntry<T>& entry : table) {
        if (entry.message != message) continue;
        if (entry.onEvent != nullptr) {
            if (HIWORD(wParam) != entry.code) continue;
            if (entry.id != 0 && LOWORD(wParam) != entry.id) continue;
            (target.*entry.onEvent)();
            result = 0;
            return true;
        }
        return (target.*entry.onWindowMessage)(wParam, lParam, result);
    }
    return false;
}
