#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "session.h"

namespace guidriver {

namespace {

using Words = std::vector<std::string>;

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

DWORD secondsOr(const Words& w, size_t index, DWORD fallbackMs)
{
    long seconds = 0;
    return index < w.size() && toNumber(w[index], seconds) ? static_cast<DWORD>(seconds) * 1000u : fallbackMs;
}

// Resolves a control id of the current window; a failure names what is missing.
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

bool expectEqual(const std::string& what, const std::string& expected, const std::string& actual,
                 std::string& failure)
{
    if (expected == actual) return true;
    failure = what + ": expected " + quote(expected) + ", actual " + quote(actual);
    return false;
}

bool hexBytes(const std::string& text, std::string& bytes)
{
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = digits.substr(i, 2);
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') return false;
        bytes += static_cast<char>(value);
    }
    return true;
}

std::string hexOf(const std::string& bytes)
{
    std::string out;
    char pair[4];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%s%02X", out.empty() ? "" : " ", c);
        out += pair;
    }
    return out;
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

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

// ---- commands -------------------------------------------------------------

bool cmdCd(Session& s, const ScriptLine& line, std::string&)
{
    s.directory = line.restAfter(1);
    return true;
}

bool cmdEnv(Session&, const ScriptLine& line, std::string& failure)
{
    const std::string value = line.restAfter(2);
    if (SetEnvironmentVariableA(line.words[1].c_str(), value.empty() ? nullptr : value.c_str()) ||
        value.empty())
        return true;
    failure = "cannot set " + line.words[1];
    return false;
}

bool cmdStart(Session& s, const ScriptLine& line, std::string& failure)
{
    s.window = nullptr;
    QueryPerformanceCounter(&s.startedAt);
    return s.target.start(line.words[1], line.restAfter(2), s.directory, failure);
}

bool cmdWaitWindow(Session& s, const ScriptLine& line, std::string& failure)
{
    s.window = s.target.waitWindow(line.words[1], secondsOr(line.words, 2, s.timeoutMs));
    if (s.window != nullptr) return true;
    failure = "no window " + quote(line.words[1]) + (s.target.running() ? " in time" : ": the program ended");
    return false;
}

bool cmdWaitGone(Session& s, const ScriptLine& line, std::string& failure)
{
    if (s.target.waitGone(line.words[1], secondsOr(line.words, 2, s.timeoutMs))) return true;
    failure = "window " + quote(line.words[1]) + " is still open";
    return false;
}

bool cmdClick(Session& s, const ScriptLine& line, std::string& failure)
{
    HWND button = nullptr;
    if (!control(s, line.words[1], button, failure)) return false;
    if (!IsWindowEnabled(button)) {
        failure = "control " + line.words[1] + " is disabled";
        return false;
    }
    // Posted: a handler that opens a modal box would block a sent message.
    PostMessageA(button, BM_CLICK, 0, 0);
    return settle(s, failure);
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
    if (!control(s, line.words[1], slider, failure)) return false;
    if (!toNumber(line.words[2], position)) {
        failure = "bad position " + line.words[2];
        return false;
    }
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
    if (!control(s, line.words[1], combo, failure)) return false;
    if (!toNumber(line.words[2], index)) {
        failure = "bad index " + line.words[2];
        return false;
    }
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

// expect-box CAPTION TEXT: reads a message box, presses OK, waits for it to go.
bool cmdExpectBox(Session& s, const ScriptLine& line, std::string& failure)
{
    const std::string& caption = line.words[1];
    HWND box = s.target.waitWindow(caption, secondsOr(line.words, 3, s.timeoutMs));
    if (box == nullptr) {
        std::string seen;
        for (const std::string& c : s.target.seenCaptions()) seen += " " + quote(c);
        failure = "no message box " + quote(caption) + "; windows seen since start:" + seen;
        return false;
    }
    if (!expectEqual("text of box " + quote(caption), line.words[2], boxText(box), failure)) return false;
    HWND ok = GetDlgItem(box, IDOK);
    if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
    else PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (s.target.waitGone(caption, s.timeoutMs)) return settle(s, failure);
    failure = "box " + quote(caption) + " did not close on OK";
    return false;
}

bool cmdExit(Session& s, const ScriptLine& line, std::string& failure)
{
    DWORD status = 0;
    if (!s.target.waitExit(secondsOr(line.words, 2, s.timeoutMs), status)) {
        failure = "the program did not end";
        return false;
    }
    s.window = nullptr;
    if (line.words[1] == "any") return true;
    return expectEqual("exit status", line.words[1], std::to_string(static_cast<long>(status)), failure);
}

bool cmdExpectNever(Session& s, const ScriptLine& line, std::string& failure)
{
    s.target.look();
    if (!s.target.seen(line.words[1])) return true;
    failure = "window " + quote(line.words[1]) + " was shown";
    return false;
}

bool cmdExpectNoWindows(Session& s, const ScriptLine&, std::string& failure)
{
    s.target.look();
    if (s.target.seenCaptions().empty()) return true;
    failure = "windows were shown:";
    for (const std::string& c : s.target.seenCaptions()) failure += " " + quote(c);
    return false;
}

bool cmdWriteFile(Session&, const ScriptLine& line, std::string& failure)
{
    std::string bytes;
    if (!hexBytes(line.restAfter(2), bytes)) {
        failure = "bad hex bytes";
        return false;
    }
    std::ofstream out(line.words[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) return true;
    failure = "cannot write " + line.words[1];
    return false;
}

bool cmdExpectFile(Session&, const ScriptLine& line, std::string& failure)
{
    std::string wanted;
    std::string actual;
    if (!hexBytes(line.restAfter(2), wanted)) {
        failure = "bad hex bytes";
        return false;
    }
    if (!readFile(line.words[1], actual)) {
        failure = "no file " + line.words[1];
        return false;
    }
    return expectEqual("bytes of " + line.words[1], hexOf(wanted), hexOf(actual), failure);
}

bool cmdWriteText(Session&, const ScriptLine& line, std::string& failure)
{
    std::ofstream out(line.words[1], std::ios::binary | std::ios::trunc);
    out << line.restAfter(2) << "\n";
    if (out.flush()) return true;
    failure = "cannot write " + line.words[1];
    return false;
}

bool cmdExpectSameFile(Session&, const ScriptLine& line, std::string& failure)
{
    std::string first;
    std::string second;
    if (!readFile(line.words[1], first) || !readFile(line.words[2], second)) {
        failure = "no file " + line.words[1] + " or " + line.words[2];
        return false;
    }
    return expectEqual(line.words[2] + " against " + line.words[1], first, second, failure);
}

bool cmdExpectNoFile(Session&, const ScriptLine& line, std::string& failure)
{
    if (GetFileAttributesA(line.words[1].c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    failure = "file " + line.words[1] + " exists";
    return false;
}

// expect-file-has PATH TEXT / expect-file-lacks PATH TEXT
bool fileHas(const ScriptLine& line, bool wanted, std::string& failure)
{
    std::string content;
    if (!readFile(line.words[1], content)) {
        failure = "no file " + line.words[1];
        return false;
    }
    if ((content.find(line.words[2]) != std::string::npos) == wanted) return true;
    failure = line.words[1] + (wanted ? " lacks " : " holds ") + quote(line.words[2]) + "; it reads:\n" + content;
    return false;
}

bool cmdFileHas(Session&, const ScriptLine& line, std::string& failure) { return fileHas(line, true, failure); }
bool cmdFileLacks(Session&, const ScriptLine& line, std::string& failure) { return fileHas(line, false, failure); }

bool cmdCopyFile(Session&, const ScriptLine& line, std::string& failure)
{
    if (CopyFileA(line.words[1].c_str(), line.words[2].c_str(), FALSE)) return true;
    failure = "cannot copy " + line.words[1] + " to " + line.words[2];
    return false;
}

// A driver service left registered would survive the program's exit.
bool cmdExpectNoService(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        failure = "cannot connect to the service manager";
        return false;
    }
    SC_HANDLE service = OpenServiceA(manager, line.words[1].c_str(), SERVICE_QUERY_STATUS);
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (service == nullptr) return true;
    failure = "service " + line.words[1] + " is still registered";
    return false;
}

// The driver service as another program would leave it.
SC_HANDLE openService(const std::string& name, DWORD access, std::string& failure)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, name.c_str(), access) : nullptr;
    if (manager != nullptr) CloseServiceHandle(manager);
    if (service == nullptr) failure = "service " + name + " is not registered";
    return service;
}

SC_HANDLE createService(const ScriptLine& line, std::string& failure)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager == nullptr ? nullptr
        : CreateServiceA(manager, line.words[1].c_str(), line.words[1].c_str(), SERVICE_ALL_ACCESS,
                         SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, line.words[2].c_str(),
                         nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service == nullptr) failure = "cannot register service " + line.words[1] + ": error " + std::to_string(GetLastError());
    if (manager != nullptr) CloseServiceHandle(manager);
    return service;
}

bool cmdCreateService(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = createService(line, failure);
    if (service != nullptr) CloseServiceHandle(service);
    return service != nullptr;
}

// Registered, then deleted while this handle stays open: the registration
// remains, marked for deletion, until the script ends.
bool cmdHoldDeletedService(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = createService(line, failure);
    if (service == nullptr) return false;
    if (DeleteService(service)) return true;
    failure = "cannot delete service " + line.words[1];
    CloseServiceHandle(service);
    return false;
}

bool serviceState(SC_HANDLE service, DWORD& state)
{
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service, &status)) return false;
    state = status.dwCurrentState;
    return true;
}

bool cmdStopService(Session& s, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = openService(line.words[1], SERVICE_ALL_ACCESS, failure);
    if (service == nullptr) return false;
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    DWORD state = 0;
    const DWORD start = GetTickCount();
    while (serviceState(service, state) && state != SERVICE_STOPPED && GetTickCount() - start < s.timeoutMs) Sleep(100);
    CloseServiceHandle(service);
    if (state == SERVICE_STOPPED) return true;
    failure = "service " + line.words[1] + " did not stop (state " + std::to_string(state) + ")";
    return false;
}

bool cmdExpectServiceRunning(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = openService(line.words[1], SERVICE_QUERY_STATUS, failure);
    if (service == nullptr) return false;
    DWORD state = 0;
    serviceState(service, state);
    CloseServiceHandle(service);
    if (state == SERVICE_RUNNING) return true;
    failure = "service " + line.words[1] + " is not running (state " + std::to_string(state) + ")";
    return false;
}

bool cmdMakeFolder(Session&, const ScriptLine& line, std::string& failure)
{
    if (CreateDirectoryA(line.words[1].c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    failure = "cannot create folder " + line.words[1];
    return false;
}

bool cmdDeleteFile(Session&, const ScriptLine& line, std::string&)
{
    DeleteFileA(line.words[1].c_str());
    return true;
}

// The capture itself is made on the X side by the script that runs the
// driver: it waits for NAME.request in QZ8_SHOT_DIR (holding the current
// window's geometry, WxH+X+Y), writes NAME.png and removes the request.
bool cmdScreenshot(Session& s, const ScriptLine& line, std::string& failure)
{
    const char* folder = std::getenv("QZ8_SHOT_DIR");
    if (folder == nullptr) return true;
    if (!settle(s, failure)) return false;
    const std::string request = std::string(folder) + "\\" + line.words[1] + ".request";
    RECT area{};
    if (s.window != nullptr && IsWindow(s.window)) GetWindowRect(s.window, &area);
    std::ofstream(request) << area.right - area.left << 'x' << area.bottom - area.top << '+' << area.left << '+'
                           << area.top << '\n';
    for (int i = 0; i < 600; ++i) {
        if (GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    failure = "nobody took the screenshot " + line.words[1];
    DeleteFileA(request.c_str());
    return false;
}

bool cmdSleep(Session&, const ScriptLine& line, std::string&)
{
    Sleep(static_cast<DWORD>(std::atol(line.words[1].c_str())));
    return true;
}

bool cmdTimeout(Session& s, const ScriptLine& line, std::string&)
{
    s.timeoutMs = secondsOr(line.words, 1, s.timeoutMs);
    return true;
}

// Figures for the bench: `name value unit` on stdout.
bool cmdPrintElapsed(Session& s, const ScriptLine& line, std::string&)
{
    std::printf("%s %.0f ms\n", line.words[1].c_str(), millisecondsSince(s.startedAt));
    std::fflush(stdout);
    return true;
}

bool cmdPrintLast(Session& s, const ScriptLine& line, std::string&)
{
    std::printf("%s %.0f ms\n", line.words[1].c_str(), s.lastCommandMs);
    std::fflush(stdout);
    return true;
}

struct Command {
    const char* name;
    size_t words;  // at least, the name included
    bool (*run)(Session&, const ScriptLine&, std::string&);
};

const Command kCommands[] = {
    {"cd", 2, cmdCd},
    {"env", 2, cmdEnv},
    {"start", 2, cmdStart},
    {"wait-window", 2, cmdWaitWindow},
    {"wait-gone", 2, cmdWaitGone},
    {"click", 2, cmdClick},
    {"focus", 2, cmdFocus},
    {"key", 2, cmdKey},
    {"slide", 3, cmdSlide},
    {"select", 3, cmdSelect},
    {"set-text", 3, cmdSetText},
    {"expect-focus", 2, cmdExpectFocus},
    {"expect-text", 3, cmdExpectText},
    {"expect-enabled", 3, cmdExpectEnabled},
    {"expect-slider", 3, cmdExpectSlider},
    {"expect-list", 4, cmdExpectList},
    {"expect-count", 3, cmdExpectCount},
    {"expect-static", 2, cmdExpectStatic},
    {"expect-box", 3, cmdExpectBox},
    {"exit", 2, cmdExit},
    {"expect-never", 2, cmdExpectNever},
    {"expect-no-windows", 1, cmdExpectNoWindows},
    {"write-file", 3, cmdWriteFile},
    {"expect-file", 3, cmdExpectFile},
    {"write-text", 3, cmdWriteText},
    {"expect-same-file", 3, cmdExpectSameFile},
    {"expect-no-file", 2, cmdExpectNoFile},
    {"expect-file-has", 3, cmdFileHas},
    {"expect-file-lacks", 3, cmdFileLacks},
    {"delete-file", 2, cmdDeleteFile},
    {"copy-file", 3, cmdCopyFile},
    {"make-folder", 2, cmdMakeFolder},
    {"expect-no-service", 2, cmdExpectNoService},
    {"expect-service-running", 2, cmdExpectServiceRunning},
    {"create-service", 3, cmdCreateService},
    {"hold-deleted-service", 3, cmdHoldDeletedService},
    {"stop-service", 2, cmdStopService},
    {"screenshot", 2, cmdScreenshot},
    {"sleep", 2, cmdSleep},
    {"timeout", 2, cmdTimeout},
    {"print-elapsed", 2, cmdPrintElapsed},
    {"print-last", 2, cmdPrintLast},
};

}  // namespace

double millisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool runCommand(Session& session, const ScriptLine& line, std::string& failure)
{
    for (const Command& command : kCommands) {
        if (line.words[0] != command.name) continue;
        if (line.words.size() < command.words) {
            failure = "too few words for " + line.words[0];
            return false;
        }
        return command.run(session, line, failure);
    }
    failure = "unknown command " + line.words[0];
    return false;
}

}  // namespace guidriver
