// The common file dialog, explorer style.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "framework/wnd.h"

class CFileDialog {
public:
    // `filter` separates descriptions and patterns with '|' and ends with "||".
    CFileDialog(bool openDialog, const char* defaultExtension, const char* fileName, DWORD flags, const char* filter,
                CWnd* parent);

    // IDOK when the user chose a file, IDCANCEL otherwise.
    INT_PTR doModal();
    // The chosen file's full path.
    const char* pathName() const { return fileName_; }

private:
    bool open_;
    std::string filter_;
    std::string defaultExtension_;
    char fileName_[MAX_PATH] = {};
    OPENFILENAMEA request_{};
};
