// zornik.vxd: a test-only stand-in for the VxD that the 9x line opens as
// "\\.\zornik.VXD", for 32-bit Wine set to a 9x version. Wine opens such a
// name by loading a PE DLL of that name (lower case, from the program's
// folder first) and hands every DeviceIoControl code whose high word is 0 to
// the DLL's export "DeviceIoControl" (stdcall: code, input, input length,
// output, output length, bytes returned, overlapped). It never unloads the
// DLL and sends it neither DIOC_OPEN nor DIOC_CLOSEHANDLE, so the stand-in
// takes those parts itself: once loaded (inside the program's first open) it
// wraps the program's own CreateFileA and CloseHandle imports, logs every
// open and close of the VxD and can refuse an open, as a VxD answering
// DIOC_OPEN can. It also notes any OpenSCManagerA, which the 9x line never
// calls.
//
// The log is zornik.vxd.log beside the DLL, one line an event: "load",
// "open N access=.. share=.. disposition=.. flags=..[ refused]",
// "request code=.. in=.. out=.. msr=.. done|refused", "close",
// "service-manager", "unload". QZ8_VXD_REFUSE_OPEN=N refuses the Nth open
// (the load is the first).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/pe32/vxd_answer.h"

namespace {

char logPath[MAX_PATH + 8] = {};
BY_HANDLE_FILE_INFORMATION ownFile = {};
bool ownFileKnown = false;
long opens = 0;
long refuseOpen = 0;

using CreateFileAProc = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using CloseHandleProc = BOOL(WINAPI*)(HANDLE);
using OpenSCManagerAProc = SC_HANDLE(WINAPI*)(LPCSTR, LPCSTR, DWORD);
CreateFileAProc realCreateFileA = nullptr;
CloseHandleProc realCloseHandle = nullptr;
OpenSCManagerAProc realOpenSCManagerA = nullptr;

void note(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (length <= 0) return;
    const DWORD size = static_cast<DWORD>(length < static_cast<int>(sizeof line) - 1 ? length : sizeof line - 2);
    line[size] = '\n';
    HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, size + 1, &written, nullptr);
    CloseHandle(file);
}

bool isVxdName(const char* name)
{
    return name != nullptr && lstrcmpiA(name, "\\\\.\\zornik.VXD") == 0;
}

// Wine's handle to a VxD is a handle to the DLL's own file.
bool isVxdHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!ownFileKnown || GetFileInformationByHandle(handle, &info) == FALSE) return false;
    return info.dwVolumeSerialNumber == ownFile.dwVolumeSerialNumber &&
           info.nFileIndexHigh == ownFile.nFileIndexHigh && info.nFileIndexLow == ownFile.nFileIndexLow;
}

HANDLE WINAPI openWrapper(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                          DWORD flags, HANDLE templateFile)
{
    if (!isVxdName(name)) return realCreateFileA(name, access, share, security, disposition, flags, templateFile);
    const long number = ++opens;
    char how[96];
    std::snprintf(how, sizeof how, "access=0x%lx share=0x%lx disposition=%lu flags=0x%lx",
                  static_cast<unsigned long>(access), static_cast<unsigned long>(share),
                  static_cast<unsigned long>(disposition), static_cast<unsigned long>(flags));
    if (number == refuseOpen) {
        note("open %ld %s refused", number, how);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE handle = realCreateFileA(name, access, share, security, disposition, flags, templateFile);
    note(handle != INVALID_HANDLE_VALUE ? "open %ld %s" : "open %ld %s failed", number, how);
    return handle;
}

BOOL WINAPI closeWrapper(HANDLE handle)
{
    if (isVxdHandle(handle)) note("close");
    return realCloseHandle(handle);
}

SC_HANDLE WINAPI serviceManagerWrapper(LPCSTR machine, LPCSTR database, DWORD access)
{
    note("service-manager");
    return realOpenSCManagerA(machine, database, access);
}

// A function's address, as import slots hold it.
template <typename Proc>
uintptr_t addressOf(Proc proc)
{
    return reinterpret_cast<uintptr_t>(proc);
}

template <typename Proc>
Proc exported(HMODULE module, const char* name)
{
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Points the program's import slots for `target` at `replacement`.
bool wrapImport(uintptr_t target, uintptr_t replacement)
{
    if (target == 0) return false;
    auto* const base = reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return false;
    bool wrapped = false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name != 0; ++d) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); slot->u1.Function != 0; ++slot) {
            if (slot->u1.Function != target) continue;
            DWORD old = 0;
            if (VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old) == FALSE) continue;
            slot->u1.Function = replacement;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
            wrapped = true;
        }
    }
    return wrapped;
}

void load(HMODULE self)
{
    const DWORD length = GetModuleFileNameA(self, logPath, MAX_PATH);
    std::strcpy(logPath + (length < MAX_PATH ? length : MAX_PATH - 1), ".log");
    char modulePath[MAX_PATH];
    GetModuleFileNameA(self, modulePath, sizeof modulePath);
    HANDLE file = CreateFileA(modulePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ownFileKnown = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &ownFile) != FALSE;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (const char* refuse = std::getenv("QZ8_VXD_REFUSE_OPEN")) refuseOpen = std::atol(refuse);

    opens = 1;
    note("load");
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    realCreateFileA = exported<CreateFileAProc>(kernel, "CreateFileA");
    realCloseHandle = exported<CloseHandleProc>(kernel, "CloseHandle");
    realOpenSCManagerA = exported<OpenSCManagerAProc>(GetModuleHandleA("advapi32.dll"), "OpenSCManagerA");
    // Without the first two the log could not show the opens and closes.
    if (!wrapImport(addressOf(realCreateFileA), addressOf(openWrapper))) note("cannot-wrap CreateFileA");
    if (!wrapImport(addressOf(realCloseHandle), addressOf(closeWrapper))) note("cannot-wrap CloseHandle");
    wrapImport(addressOf(realOpenSCManagerA), addressOf(serviceManagerWrapper));
}

}  // namespace

extern "C" BOOL WINAPI vxdDeviceIoControl(DWORD code, void* input, DWORD inputLength, void* output,
                                          DWORD outputLength, DWORD* returned, OVERLAPPED*)
{
    const VxdRequest request{code, static_cast<const uint8_t*>(input), inputLength, static_cast<uint8_t*>(output),
                             outputLength};
    uint32_t count = 0;
    const bool done = answerVxdRequest(request, count);
    note("request code=0x%lx in=%lu out=%lu msr=0x%lx %s", static_cast<unsigned long>(code),
         static_cast<unsigned long>(inputLength), static_cast<unsigned long>(outputLength),
         static_cast<unsigned long>(vxdRequestIndex(request)), done ? "done" : "refused");
    if (returned != nullptr) *returned = count;
    if (!done) SetLastError(ERROR_NOT_SUPPORTED);
    return done ? TRUE : FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) load(self);
    if (reason == DLL_PROCESS_DETACH) note("unload");
    return TRUE;
}
