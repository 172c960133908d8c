#include "app/about_box.h"

#include "res/resource.h"

namespace {
// Also the link label's text in the dialog template.
constexpr char kPublisherAddress[] = "www.velk.example";
}  // namespace

CAboutBox::CAboutBox() : CDialog(IDD_ABOUT, nullptr) {}

void CAboutBox::doDataExchange(DataExchange& exchange) { exchange.control(IDC_LINK, link); }

BOOL CAboutBox::initDialog()
{
    CDialog::initDialog();
    link.setUrl(kPublisherAddress);
    return TRUE;
}
