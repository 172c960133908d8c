#include "target.h"

#include <vector>

namespace guidriver {

namespace {

constexpr DWORD kPollMs = 50;

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
    while (WaitForSingleObject(info_.hProcess, kPollMs) == WAIT_TIMEOUT) {
        look();
        if (GetTickCount() - begin > timeoutMs) return false;
    }
    return GetExitCodeProcess(info_.hProcess, &status) != 0;
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
        Sleep(kPollMs);
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
        Sleep(kPollMs);
    }
}

bool Target::settle(HWND window, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

}  // namespace guidriver
