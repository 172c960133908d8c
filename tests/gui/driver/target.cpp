#include "target.h"

#include <memory>
#include <vector>

namespace guidriver {

namespace {


struct Search {
    DWORD processId;
    const std::string* caption;  // null: collect only
    HWND found;
    std::set<std::string>* seen;
};

BOOL CALLBACK visit(HWND window, LPARAM param)
{
    Search& search = *reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
    const std::string text = windowText(window);
    search.seen->insert(text);
    if (search.caption != nullptr && text == *search.caption && search.found == nullptr) search.found = window;
    return TRUE;
}

// The visible top-level windows of a process.
BOOL CALLBACK collect(HWND window, LPARAM param)
{
    auto& found = *reinterpret_cast<std::pair<DWORD, std::set<HWND>>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found.first && IsWindowVisible(window)) found.second.insert(window);
    return TRUE;
}

std::set<HWND> visibleWindows(DWORD processId)
{
    std::pair<DWORD, std::set<HWND>> found{processId, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

struct SentMessage {
    HWND to;
    UINT message;
    WPARAM w;
    LPARAM l;
};

// Blocks in SendMessage until the handler returns: a modal loop inside it
// keeps this thread waiting, never the script.
DWORD WINAPI sendFromThread(void* param)
{
    const std::unique_ptr<SentMessage> sent(static_cast<SentMessage*>(param));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(sent->to, sent->message, sent->w, sent->l, SMTO_NORMAL, 3600000, &ignored);
    return 0;
}

}  // namespace

std::string windowText(HWND window)
{
    char buffer[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             5000, &length))
        return std::string();
    return std::string(buffer, length < sizeof buffer ? length : sizeof buffer - 1);
}

std::string className(HWND window)
{
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

Target::~Target() { kill(); }

bool Target::start(const std::string& program, const std::string& arguments, const std::string& directory,
                   std::string& error)
{
    kill();
    seen_.clear();
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info_)) {
        error = "CreateProcess failed, error " + std::to_string(GetLastError());
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

bool Target::running() const
{
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Target::waitExit(DWORD timeoutMs, DWORD& status)
{
    if (info_.hProcess == nullptr) return false;
    const DWORD begin = GetTickCount();
    while (WaitForSingleObject(info_.hProcess, pollMs_) == WAIT_TIMEOUT) {
        look();
        if (GetTickCount() - begin > timeoutMs) return false;
    }
    return GetExitCodeProcess(info_.hProcess, &status) != 0;
}

bool Target::crash()
{
    if (info_.hProcess == nullptr) return false;
    const auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<uintptr_t>(0x10));
    HANDLE thread = CreateRemoteThread(info_.hProcess, nullptr, 0, nowhere, nullptr, 0, nullptr);
    if (thread == nullptr) return false;
    CloseHandle(thread);
    return true;
}

void Target::kill()
{
    if (info_.hProcess == nullptr) return;
    if (running()) {
        TerminateProcess(info_.hProcess, 255);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = PROCESS_INFORMATION{};
}

void Target::look()
{
    if (info_.hProcess == nullptr) return;
    Search search{info_.dwProcessId, nullptr, nullptr, &seen_};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
}

HWND Target::waitWindow(const std::string& caption, DWORD timeoutMs)
{
    const DWORD begin = GetTickCount();
    for (;;) {
        Search search{info_.dwProcessId, &caption, nullptr, &seen_};
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (!running() || GetTickCount() - begin > timeoutMs) return nullptr;
        Sleep(pollMs_);
    }
}

bool Target::waitGone(const std::string& caption, DWORD timeoutMs)
{
    const DWORD begin = GetTickCount();
    for (;;) {
        Search search{info_.dwProcessId, &caption, nullptr, &seen_};
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) return true;
        if (GetTickCount() - begin > timeoutMs) return false;
        Sleep(pollMs_);
    }
}

Target::Outcome Target::press(HWND to, UINT message, WPARAM w, LPARAM l, DWORD timeoutMs)
{
    const std::set<HWND> before = visibleWindows(info_.dwProcessId);
    HANDLE sender = CreateThread(nullptr, 0, sendFromThread, new SentMessage{to, message, w, l}, 0, nullptr);
    if (sender == nullptr) return Outcome::TimedOut;
    const DWORD begin = GetTickCount();
    Outcome outcome = Outcome::TimedOut;
    for (;;) {
        if (WaitForSingleObject(sender, pollMs_) == WAIT_OBJECT_0) {
            outcome = Outcome::Handled;
            break;
        }
        look();
        bool appeared = false;
        for (HWND window : visibleWindows(info_.dwProcessId)) appeared = appeared || before.count(window) == 0;
        if (appeared) {
            outcome = Outcome::NewWindow;
            break;
        }
        if (!running()) {
            outcome = Outcome::Ended;
            break;
        }
        if (GetTickCount() - begin > timeoutMs) break;
    }
    CloseHandle(sender);
    return outcome;
}

bool Target::waitClosed(HWND window, DWORD timeoutMs)
{
    const DWORD begin = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - begin > timeoutMs) return false;
        Sleep(pollMs_);
    }
    look();
    return true;
}

bool Target::settle(HWND window, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

}  // namespace guidriver
