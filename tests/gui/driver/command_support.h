// What the command files share: reading words, reaching controls of the
// current window, waiting for the program, and wording a failed check.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "session.h"

namespace guidriver {

using Words = std::vector<std::string>;

std::string quote(const std::string& text);
bool toNumber(const std::string& word, long& value);
// Word `index` as a wait bound in seconds, scaled; else `fallbackMs`.
DWORD secondsOr(const Session& s, const Words& w, size_t index, DWORD fallbackMs);

// Resolves a control id of the current window; a failure names what is missing.
bool control(Session& s, const std::string& word, HWND& out, std::string& failure);
bool send(Session& s, HWND to, UINT message, WPARAM w, LPARAM l, LRESULT* result, std::string& failure);
bool settle(Session& s, std::string& failure);
// Clicks a button as the mouse would and waits for the program to handle it.
bool pressButton(Session& s, HWND button, std::string& failure);

bool expectEqual(const std::string& what, const std::string& expected, const std::string& actual,
                 std::string& failure);

}  // namespace guidriver
