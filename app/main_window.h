// The main window: the processor, the Current and Selected clocks, the FSB
// slider and the PCI/FSB ratio list.
#pragma once

#include <windows.h>

#include "app/about_box.h"
#include "app/window_values.h"
#include "clock/clock_setting.h"
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
    // False (after telling the user) when the clock generator could not be
    // read; the Current row then keeps what it showed.
    bool showCurrentValues();
    void showSelectedValues();
    void showRow(const RowFields& fields, const RowTexts& row);
    void clearRow(const RowFields& fields);

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
};
