#include "commands.h"

#include "command_support.h"

namespace guidriver {

namespace {

// The message text of a message box: the static with the text id of the
// system's template, or else the first static with text.
std::string boxText(HWND box)
{
    for (int id : {0xFFFF, 100}) {
        HWND item = GetDlgItem(box, id);
        if (item != nullptr && className(item) == "Static") {
            const std::string text = windowText(item);
            if (!text.empty()) return text;
        }
    }
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = windowText(child);
        if (className(child) == "Static" && !text.empty()) return text;
    }
    return std::string();
}

}  // namespace

// expect-box CAPTION TEXT: reads a message box, presses OK, waits for it to go.
bool cmdExpectBox(Session& s, const ScriptLine& line, std::string& failure)
{
    const std::string& caption = line.words[1];
    HWND box = s.target.waitWindow(caption, secondsOr(s, line.words, 3, s.timeoutMs));
    if (box == nullptr) {
        std::string seen;
        for (const std::string& c : s.target.seenCaptions()) seen += " " + quote(c);
        failure = "no message box " + quote(caption) + "; windows seen since start:" + seen;
        return false;
    }
    if (!expectEqual("text of box " + quote(caption), line.words[2], boxText(box), failure)) return false;
    HWND ok = GetDlgItem(box, IDOK);
    if (ok == nullptr) {
        failure = "box " + quote(caption) + " has no OK button";
        return false;
    }
    // The next box may carry the same caption: wait for this one to go.
    if (!pressButton(s, ok, failure)) return false;
    if (s.target.waitClosed(box, s.timeoutMs)) return settle(s, failure);
    failure = "box " + quote(caption) + " did not close on OK";
    return false;
}

// wait-box CAPTION: waits for a box and leaves it open, so that the script
// can look at the window behind it.
bool cmdWaitBox(Session& s, const ScriptLine& line, std::string& failure)
{
    if (s.target.waitWindow(line.words[1], secondsOr(s, line.words, 2, s.timeoutMs)) != nullptr) return true;
    failure = "no message box " + quote(line.words[1]);
    return false;
}

// expect-no-box CAPTION: once the program has settled, no box with this
// caption is open (a handler that shows a second box sits in its loop).
bool cmdExpectNoBox(Session& s, const ScriptLine& line, std::string& failure)
{
    constexpr DWORD kLookMs = 500;
    if (!settle(s, failure)) return false;
    if (s.target.waitWindow(line.words[1], kLookMs) == nullptr) return true;
    failure = "a box " + quote(line.words[1]) + " is open";
    return false;
}

}  // namespace guidriver
