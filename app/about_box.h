// The About box: the tool's name, the publisher and a link to its web site.
#pragma once

#include "app/link_label.h"
#include "framework/dialog.h"

class CAboutBox : public CDialog {
public:
    CAboutBox();

protected:
    void doDataExchange(DataExchange& exchange) override;
    BOOL initDialog() override;

private:
    // Lives with the main window, so the visited state and the cursor carry
    // over to the next opening.
    CLinkLabel link;
};
