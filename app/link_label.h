// A static text that acts as a hyperlink: underlined, coloured, a hand
// cursor, and a click opens the address in the web browser.
#pragma once

#include <windows.h>

#include <string>

#include "framework/wnd.h"

class CLinkLabel : public CWnd {
public:
    CLinkLabel();
    ~CLinkLabel() override;

    void setUrl(const char* url);
    // Subclasses the dialog's static control and dresses it as a link.
    void attach(HWND window) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    bool visited() const { return isVisited; }

private:
    bool onControlColour(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool onSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool onMouseMove(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void onClicked();
    bool onPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);

    void fitToText();
    void loadLinkCursor();
    void setVisited(bool visitedNow);
    void redrawNow() const;
    void reportError(int32_t code) const;

    COLORREF linkColour;
    COLORREF visitedColour;
    COLORREF hoverColour;
    bool isOver = false;
    bool isVisited = false;
    bool underline = true;
    bool adjustToFit = true;
    std::string url;
    HFONT linkFont = nullptr;
    HCURSOR linkCursor = nullptr;
};

// Opens an address in the browser: the shell's "open" verb, else the browser
// registered for ".htm" files. Above 32 is success.
INT_PTR openAddress(const char* address, int showCommand);
