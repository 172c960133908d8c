#include "app/hyperlink.h"

#include <cstdio>

namespace {

struct ErrorText {
    int32_t code;
    const char* text;
};

// ShellExecute and WinExec return these codes (at most 32) on failure.
constexpr ErrorText kErrorTexts[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

}  // namespace

std::string browserCommand(const char* registeredCommand, const char* url)
{
    std::string command = registeredCommand;
    size_t placeholder = command.find("\"%1\"");
    if (placeholder == std::string::npos) placeholder = command.find("%1");
    if (placeholder != std::string::npos) command.erase(placeholder);
    command += ' ';
    command += url;
    return command;
}

std::string hyperlinkErrorText(int32_t code)
{
    std::string text = "Unable to open hyperlink:\n\n";
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) return text + entry.text;
    }
    char unknown[48];
    std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", static_cast<int>(code));
    return text + unknown;
}
