#include "commands.h"

#include <commctrl.h>

#include "command_support.h"

namespace guidriver {

namespace {

// ID NUMBER: the control of the current window and the number after it.
bool controlAndNumber(Session& s, const ScriptLine& line, const char* what, HWND& item, long& value,
                      std::string& failure)
{
    if (!control(s, line.words[1], item, failure)) return false;
    if (toNumber(line.words[2], value)) return true;
    failure = std::string("bad ") + what + " " + line.words[2];
    return false;
}

}  // namespace

bool cmdClick(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND button = nullptr;
    if (!control(s, line.words[1], button, failure)) return false;
    if (!IsWindowEnabled(button)) {
        failure = "control " + line.words[1] + " is disabled";
        return false;
    }
    return pressButton(s, button, failure);
}

bool cmdFocus(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND item = nullptr;
    return control(s, line.words[1], item, failure) &&
           send(s, s.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE, nullptr, failure);
}

// Posted to the focused control, the key goes through the program's own
// message loop and so through the dialog manager, as a typed key does.
bool cmdKey(Session& s, const ScriptLine& line, std::string& failure)
{
    const std::string& name = line.words[1];
    WPARAM key = 0;
    if (name == "enter") key = VK_RETURN;
    else if (name == "escape") key = VK_ESCAPE;
    else if (name == "tab") key = VK_TAB;
    else {
        failure = "unknown key " + name;
        return false;
    }
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(s.target.threadId(), &gui) || gui.hwndFocus == nullptr) {
        failure = "no control of the program has the keyboard focus";
        return false;
    }
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(gui.hwndFocus, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageA(gui.hwndFocus, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
    return settle(s, failure);
}

bool cmdExpectFocus(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND item = nullptr;
    if (!control(s, line.words[1], item, failure)) return false;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(s.target.threadId(), &gui);
    if (gui.hwndFocus == item || (gui.hwndFocus != nullptr && GetParent(gui.hwndFocus) == item)) return true;
    failure = "focus: expected control " + line.words[1] + ", actual id " +
              std::to_string(gui.hwndFocus != nullptr ? GetDlgCtrlID(gui.hwndFocus) : 0);
    return false;
}

// Moves the thumb the way a drag does: position, then track and end-of-track
// notifications to the owner.
bool cmdSlide(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND slider = nullptr;
    long position = 0;
    if (!controlAndNumber(s, line, "position", slider, position, failure)) return false;
    const WORD pos = static_cast<WORD>(position);
    const LPARAM from = reinterpret_cast<LPARAM>(slider);
    return send(s, slider, TBM_SETPOS, TRUE, position, nullptr, failure) &&
           send(s, s.window, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, pos), from, nullptr, failure) &&
           send(s, s.window, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), from, nullptr, failure);
}

bool cmdSelect(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND combo = nullptr;
    long index = 0;
    if (!controlAndNumber(s, line, "index", combo, index, failure)) return false;
    const int id = GetDlgCtrlID(combo);
    return send(s, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, nullptr, failure) &&
           send(s, s.window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo), nullptr,
                failure);
}

bool cmdSetText(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND item = nullptr;
    return control(s, line.words[1], item, failure) &&
           send(s, item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.words[2].c_str()), nullptr, failure);
}

bool cmdExpectText(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND item = nullptr;
    return control(s, line.words[1], item, failure) &&
           expectEqual("text of " + line.words[1], line.words[2], windowText(item), failure);
}

// expect-enabled 0|1 ID...
bool cmdExpectEnabled(Session& s, const ScriptLine& line, std::string& failure)
{
    const bool wanted = line.words[1] == "1";
    std::string wrong;
    for (size_t i = 2; i < line.words.size(); ++i) {
        HWND item = nullptr;
        if (!control(s, line.words[i], item, failure)) return false;
        if ((IsWindowEnabled(item) != FALSE) != wanted) wrong += " " + line.words[i];
    }
    if (wrong.empty()) return true;
    failure = std::string("expected ") + (wanted ? "enabled" : "disabled") + ", actual " +
              (wanted ? "disabled" : "enabled") + ":" + wrong;
    return false;
}

bool cmdExpectSlider(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND slider = nullptr;
    LRESULT position = 0;
    return control(s, line.words[1], slider, failure) &&
           send(s, slider, TBM_GETPOS, 0, 0, &position, failure) &&
           expectEqual("slider position", line.words[2], std::to_string(position), failure);
}

// expect-list ID INDEX TEXT: the selected entry and the text in the edit field.
bool cmdExpectList(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND combo = nullptr;
    LRESULT index = 0;
    return control(s, line.words[1], combo, failure) && send(s, combo, CB_GETCURSEL, 0, 0, &index, failure) &&
           expectEqual("selected index", line.words[2], std::to_string(index), failure) &&
           expectEqual("list text", line.words[3], windowText(combo), failure);
}

bool cmdExpectCount(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND combo = nullptr;
    LRESULT count = 0;
    return control(s, line.words[1], combo, failure) && send(s, combo, CB_GETCOUNT, 0, 0, &count, failure) &&
           expectEqual("entries", line.words[2], std::to_string(count), failure);
}

// A child of the current window shows this text (labels have no own id).
bool cmdExpectStatic(Session& s, const ScriptLine& line, std::string& failure)
{
    if (s.window == nullptr) {
        failure = "no current window";
        return false;
    }
    std::string all;
    for (HWND child = GetWindow(s.window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = windowText(child);
        if (text == line.words[1]) return true;
        all += " " + quote(text);
    }
    failure = "no control shows " + quote(line.words[1]) + "; texts:" + all;
    return false;
}

}  // namespace guidriver
