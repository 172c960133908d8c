#include "framework/file_dialog.h"

#include <cstring>

CFileDialog::CFileDialog(bool openDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : open_(openDialog), filter_(filter != nullptr ? filter : ""),
      defaultExtension_(defaultExtension != nullptr ? defaultExtension : "")
{
    // The dialog wants NUL-separated pairs ending in two NULs.
    for (char& c : filter_) {
        if (c == '|') c = '\0';
    }
    filter_.push_back('\0');
    if (fileName != nullptr) std::strncpy(fileName_, fileName, sizeof fileName_ - 1);

    request_.lStructSize = sizeof request_;
    request_.hwndOwner = parent != nullptr ? parent->handle() : nullptr;
    request_.lpstrFilter = filter_.empty() || filter_[0] == '\0' ? nullptr : filter_.c_str();
    request_.nFilterIndex = 1;
    request_.lpstrFile = fileName_;
    request_.nMaxFile = sizeof fileName_;
    request_.lpstrDefExt = defaultExtension != nullptr ? defaultExtension_.c_str() : nullptr;
    request_.Flags = flags | OFN_EXPLORER;
}

INT_PTR CFileDialog::doModal()
{
    const BOOL chosen = open_ ? GetOpenFileNameA(&request_) : GetSaveFileNameA(&request_);
    return chosen ? IDOK : IDCANCEL;
}
