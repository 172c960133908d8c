// Modal dialogs built from dialog template resources.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

// Binds dialog controls to the objects that drive them.
class DataExchange {
public:
    explicit DataExchange(HWND dialog) : dialog_(dialog) {}
    void control(int id, CWnd& object) const { object.attach(GetDlgItem(dialog_, id)); }

private:
    HWND dialog_;
};

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

    // Runs the dialog until it ends; returns the value given to endDialog,
    // or -1 when the dialog could not be created.
    INT_PTR doModal();
    void endDialog(INT_PTR result) const { EndDialog(hwnd_, result); }

protected:
    virtual void doDataExchange(DataExchange&) {}
    // Runs the data exchange. True lets the system set the initial focus.
    virtual BOOL initDialog();
    virtual void onOK() { endDialog(IDOK); }
    virtual void onCancel() { endDialog(IDCANCEL); }

    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    void setItemText(int id, const char* text) const { SetDlgItemTextA(hwnd_, id, text); }
    void enableItem(int id, bool enabled) const { EnableWindow(item(id), enabled ? TRUE : FALSE); }

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool reflect(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer) const;

    UINT templateId_;
    CWnd* parent_;
};
