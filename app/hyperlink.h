// The link label's texts: the browser command of the ".htm" fallback and the
// message for a failed open.
#pragma once

#include <cstdint>
#include <string>

// The registered browser command cut at its placeholder ("%1" in quotes,
// else a bare %1; the whole command when there is neither), then one blank
// and the address, unquoted.
std::string browserCommand(const char* registeredCommand, const char* url);

// "Unable to open hyperlink:\n\n" and the text for a ShellExecute/WinExec
// result code.
std::string hyperlinkErrorText(int32_t code);
