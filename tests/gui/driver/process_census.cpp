#include "process_census.h"

#include <psapi.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace guidriver {

namespace {

template <typename Function>
Function systemFunction(const char* module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(module), name)));
}

// NtQuerySystemInformation's list of every handle of every process.
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
struct SystemHandle {
    ULONG ownerProcessId;
    UCHAR objectType;
    UCHAR flags;
    USHORT value;
    void* object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandle first;  // `count` of them
};

bool countHandles(HANDLE process, DWORD processId, long& count, std::string& failure)
{
    // Wine answers GetProcessHandleCount with 0, and no process runs without
    // a handle: 0 means the count is not kept.
    using HandleCount = BOOL(WINAPI*)(HANDLE, DWORD*);
    const auto handleCount = systemFunction<HandleCount>("kernel32.dll", "GetProcessHandleCount");
    DWORD counted = 0;
    if (handleCount != nullptr && handleCount(process, &counted) && counted > 0) {
        count = static_cast<long>(counted);
        return true;
    }
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = systemFunction<Query>("ntdll.dll", "NtQuerySystemInformation");
    std::vector<unsigned char> buffer(1 << 16);
    LONG status = kInfoLengthMismatch;
    for (int tries = 0; query != nullptr && status == kInfoLengthMismatch && tries < 8; ++tries) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
    }
    if (status != 0) {
        failure = "the system's handle list cannot be read";
        return false;
    }
    const auto* list = reinterpret_cast<const SystemHandles*>(buffer.data());
    const size_t room = (buffer.size() - offsetof(SystemHandles, first)) / sizeof(SystemHandle);
    const SystemHandle* handles = &list->first;
    count = 0;
    for (size_t i = 0; i < list->count && i < room; ++i) count += handles[i].ownerProcessId == processId ? 1 : 0;
    return true;
}

// EnumChildWindows already goes down to every descendant: only top-level
// windows are walked from here, their children counted flat.
BOOL CALLBACK countChild(HWND, LPARAM param)
{
    ++*reinterpret_cast<long*>(param);
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM param)
{
    ++*reinterpret_cast<long*>(param);
    EnumChildWindows(window, countChild, param);
    return TRUE;
}

// Wine keeps the GDI handle table of a process where Windows does, named by
// its process environment block: an entry a handle (the handle's low word is
// its index), live while its type is not 0, its kind in ExtType with the
// stock flag 0x80.
struct GdiEntry {
    uint64_t object;
    uint32_t owner;
    uint8_t extType;
    uint8_t generation;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(GdiEntry) == 24, "Wine's GDI_HANDLE_ENTRY");
constexpr size_t kPebGdiTable = sizeof(void*) == 8 ? 0xF8 : 0x94;  // GdiSharedHandleTable
constexpr uint8_t kFontKind = 0x0A;
constexpr size_t kGdiEntries = 0x10000;
constexpr uint8_t kStockFlag = 0x80;

struct GdiKind {
    uint8_t extType;
    const char* name;
};
constexpr GdiKind kGdiKinds[] = {
    {0x01, "dc"},        {0x04, "region"}, {0x05, "surface"},     {0x08, "palette"}, {0x09, "bitmap"},
    {kFontKind, "font"},      {0x10, "brush"},  {0x21, "enhmetadc"},   {0x26, "metafile"}, {0x30, "pen"},
    {0x41, "memdc"},     {0x46, "enhmetafile"}, {0x50, "extpen"}, {0x66, "metadc"},
};

std::string kindName(uint8_t extType)
{
    for (const GdiKind& kind : kGdiKinds)
        if (kind.extType == extType) return kind.name;
    char name[16];
    std::snprintf(name, sizeof name, "kind%02x", extType);
    return name;
}

bool readGdiTable(HANDLE process, std::vector<GdiEntry>& table, std::string& failure)
{
    struct BasicInformation {
        LONG exitStatus;
        void* peb;
        ULONG_PTR affinity;
        LONG basePriority;
        ULONG_PTR processId;
        ULONG_PTR parentId;
    } info{};
    using Query = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
    const auto query = systemFunction<Query>("ntdll.dll", "NtQueryInformationProcess");
    void* address = nullptr;
    SIZE_T got = 0;
    if (query == nullptr || query(process, 0, &info, sizeof info, nullptr) != 0 ||
        !ReadProcessMemory(process, static_cast<char*>(info.peb) + kPebGdiTable, &address, sizeof address, &got) ||
        address == nullptr) {
        failure = "the program's GDI handle table cannot be found";
        return false;
    }
    // Older Wine keeps fewer entries: read up to where the table ends.
    constexpr size_t kChunk = 4096;
    table.assign(kGdiEntries, GdiEntry{});
    size_t read = 0;
    const auto* remote = static_cast<const GdiEntry*>(address);
    const SIZE_T chunkBytes = kChunk * sizeof(GdiEntry);
    while (read < kGdiEntries && ReadProcessMemory(process, remote + read, &table[read], chunkBytes, &got))
        read += kChunk;
    table.resize(read);
    // The stock objects stand at the same places in every process: the
    // default GUI font must be found where this process has it.
    const size_t font = LOWORD(reinterpret_cast<UINT_PTR>(GetStockObject(DEFAULT_GUI_FONT)));
    if (font < table.size() && table[font].type != 0 && table[font].extType == (kFontKind | kStockFlag)) return true;
    failure = "the program's GDI handle table is not laid out as Wine's";
    return false;
}

bool countGdiObjects(HANDLE process, std::map<std::string, long>& byKind, std::string& failure)
{
    std::vector<GdiEntry> table;
    if (!readGdiTable(process, table, failure)) return false;
    byKind.clear();
    for (const GdiEntry& entry : table)
        if (entry.type != 0 && (entry.extType & kStockFlag) == 0) ++byKind[kindName(entry.extType)];
    return true;
}

}  // namespace

bool takeCensus(HANDLE process, DWORD processId, DWORD threadId, Census& census, std::string& failure)
{
    census = Census{};
    if (!countHandles(process, processId, census.handles, failure)) return false;
    EnumThreadWindows(threadId, countTopLevel, reinterpret_cast<LPARAM>(&census.windows));
    if (!countGdiObjects(process, census.gdi, failure)) return false;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        failure = "the program's memory counters cannot be read";
        return false;
    }
    census.residentKb = static_cast<long>(memory.WorkingSetSize / 1024);
    return true;
}

}  // namespace guidriver
