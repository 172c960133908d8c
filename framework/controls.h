// The common controls the application drives: static texts, combo boxes and
// trackbars.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/wnd.h"

class CStatic : public CWnd {};

class CComboBox : public CWnd {
public:
    int addString(const char* text) const { return static_cast<int>(send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    // CB_ERR (-1) when nothing is selected.
    int getCurSel() const { return static_cast<int>(send(CB_GETCURSEL)); }
    void setCurSel(int index) const { send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
};

class CSliderCtrl : public CWnd {
public:
    void setTicFreq(int frequency) const { send(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
    void setRangeMin(int minimum, bool redraw) const { send(TBM_SETRANGEMIN, redraw, minimum); }
    void setRangeMax(int maximum, bool redraw) const { send(TBM_SETRANGEMAX, redraw, maximum); }
    int getPos() const { return static_cast<int>(send(TBM_GETPOS)); }
    // The trackbar holds the position to its range itself. No scroll
    // notification follows.
    void setPos(int position) const { send(TBM_SETPOS, TRUE, position); }
};
