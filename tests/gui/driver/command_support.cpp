#include "command_support.h"

#include <cstdlib>

namespace guidriver {

std::string quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out + "\"";
}

bool toNumber(const std::string& word, long& value)
{
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 0);
    return !word.empty() && *end == '\0';
}

DWORD secondsOr(const Session& s, const Words& w, size_t index, DWORD fallbackMs)
{
    long seconds = 0;
    return index < w.size() && toNumber(w[index], seconds) ? static_cast<DWORD>(seconds) * 1000u * s.timeScale
                                                           : fallbackMs;
}

bool control(Session& s, const std::string& word, HWND& out, std::string& failure)
{
    long id = 0;
    if (!toNumber(word, id)) {
        failure = "'" + word + "' is not a control id";
        return false;
    }
    if (s.window == nullptr || !IsWindow(s.window)) {
        failure = "no current window (wait-window first, or it has closed)";
        return false;
    }
    out = GetDlgItem(s.window, static_cast<int>(id));
    if (out == nullptr) failure = "the window has no control " + word;
    return out != nullptr;
}

bool send(Session& s, HWND to, UINT message, WPARAM w, LPARAM l, LRESULT* result, std::string& failure)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(to, message, w, l, SMTO_NORMAL, s.timeoutMs, &answer)) {
        failure = "the program did not answer message " + std::to_string(message);
        return false;
    }
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return true;
}

bool settle(Session& s, std::string& failure)
{
    if (s.window == nullptr || !IsWindow(s.window) || s.target.settle(s.window, s.timeoutMs)) return true;
    // A window that closed meanwhile (Quit, Enter, Escape) is no hang.
    if (!IsWindow(s.window) || !s.target.running()) return true;
    failure = "the program stopped answering";
    return false;
}

bool pressButton(Session& s, HWND button, std::string& failure)
{
    if (s.target.press(button, BM_CLICK, 0, 0, s.timeoutMs) != Target::Outcome::TimedOut) return true;
    failure = "the program did not finish handling the click in time";
    return false;
}

bool expectEqual(const std::string& what, const std::string& expected, const std::string& actual,
                 std::string& failure)
{
    if (expected == actual) return true;
    failure = what + ": expected " + quote(expected) + ", actual " + quote(actual);
    return false;
}

}  // namespace guidriver
