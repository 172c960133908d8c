#include "driver/kernel_files.h"

#include <ntifs.h>

enum { kPathChars = 300 };

/* "\??\" in front of a drive-letter path; kernel paths pass unchanged. */
static USHORT appendPath(WCHAR* out, USHORT used, const WCHAR* path, USHORT chars)
{
    if (used == 0 && chars >= 2 && path[1] == L':') {
        static const WCHAR prefix[] = L"\\??\\";
        for (USHORT i = 0; i < 4; ++i) out[used++] = prefix[i];
    }
    for (USHORT i = 0; i < chars && used < kPathChars - 1; ++i) out[used++] = path[i];
    return used;
}

static HANDLE openFile(WCHAR* path, USHORT chars, ACCESS_MASK access, ULONG disposition)
{
    UNICODE_STRING name = {(USHORT)(chars * sizeof(WCHAR)), (USHORT)(chars * sizeof(WCHAR)), path};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, NULL, NULL);
    IO_STATUS_BLOCK io;
    HANDLE file = NULL;
    NTSTATUS status = ZwCreateFile(&file, access | SYNCHRONIZE, &attributes, &io, NULL, FILE_ATTRIBUTE_NORMAL,
                                   FILE_SHARE_READ, disposition, FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE,
                                   NULL, 0);
    return NT_SUCCESS(status) ? file : NULL;
}

/* The directory of the image, with its trailing backslash, into `out`. */
static USHORT driverDirectory(const uint16_t* serviceKey, uint32_t keyChars, WCHAR* out)
{
    UNICODE_STRING keyName = {(USHORT)(keyChars * sizeof(WCHAR)), (USHORT)(keyChars * sizeof(WCHAR)),
                              (WCHAR*)serviceKey};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &keyName, OBJ_CASE_INSENSITIVE, NULL, NULL);
    HANDLE key = NULL;
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes))) return 0;

    static ULONG valueBuffer[(sizeof(KEY_VALUE_PARTIAL_INFORMATION) + kPathChars * sizeof(WCHAR)) / sizeof(ULONG) + 1];
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, L"ImagePath");
    ULONG length = 0;
    NTSTATUS status =
        ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, valueBuffer, sizeof valueBuffer, &length);
    ZwClose(key);
    if (!NT_SUCCESS(status)) return 0;

    const KEY_VALUE_PARTIAL_INFORMATION* value = (const KEY_VALUE_PARTIAL_INFORMATION*)valueBuffer;
    const WCHAR* image = (const WCHAR*)value->Data;
    USHORT chars = (USHORT)(value->DataLength / sizeof(WCHAR));
    while (chars > 0 && image[chars - 1] == 0) --chars;
    while (chars > 0 && image[chars - 1] != L'\\') --chars;
    return appendPath(out, 0, image, chars);
}

/* The file `fileName` beside the driver image, opened with `disposition`. */
static HANDLE openBesideDriver(const uint16_t* serviceKey, uint32_t keyChars, const char* fileName, ACCESS_MASK access,
                               ULONG disposition)
{
    static WCHAR path[kPathChars];
    USHORT chars = driverDirectory(serviceKey, keyChars, path);
    if (chars == 0) return NULL;
    for (const char* c = fileName; *c != 0 && chars < kPathChars - 1; ++c) path[chars++] = (WCHAR)*c;
    return openFile(path, chars, access, disposition);
}

uint32_t kernelReadBesideDriver(const uint16_t* serviceKey, uint32_t keyChars, const char* fileName, char* buffer,
                                uint32_t size)
{
    buffer[0] = 0;
    HANDLE file = openBesideDriver(serviceKey, keyChars, fileName, FILE_READ_DATA, FILE_OPEN);
    if (file == NULL) return 0;
    IO_STATUS_BLOCK io;
    NTSTATUS status = ZwReadFile(file, NULL, NULL, NULL, &io, buffer, size - 1, NULL, NULL);
    ZwClose(file);
    uint32_t count = NT_SUCCESS(status) ? (uint32_t)io.Information : 0;
    buffer[count] = 0;
    return count;
}

void* kernelReopenBesideDriver(const uint16_t* serviceKey, uint32_t keyChars, const char* fileName)
{
    return openBesideDriver(serviceKey, keyChars, fileName, FILE_WRITE_DATA, FILE_OVERWRITE);
}

void* kernelCreateFile(const char* path)
{
    static WCHAR wide[kPathChars];
    static WCHAR full[kPathChars];
    USHORT chars = 0;
    for (const char* c = path; *c != 0 && chars < kPathChars - 1; ++c) wide[chars++] = (WCHAR)*c;
    chars = appendPath(full, 0, wide, chars);
    return openFile(full, chars, FILE_WRITE_DATA, FILE_OVERWRITE_IF);
}

void kernelWriteFile(void* file, const char* text, uint32_t length)
{
    IO_STATUS_BLOCK io;
    ZwWriteFile((HANDLE)file, NULL, NULL, NULL, &io, (PVOID)text, length, NULL, NULL);
}

void kernelCloseFile(void* file) { ZwClose((HANDLE)file); }

/* The HAL's performance counter, exported since NT 3.1 (the interrupt-time
   export came with Windows 2000). Seconds and the remainder are scaled apart,
   so the product stays within 64 bits. */
uint64_t kernelTimeNs(void)
{
    LARGE_INTEGER frequency;
    const uint64_t count = (uint64_t)KeQueryPerformanceCounter(&frequency).QuadPart;
    const uint64_t perSecond = (uint64_t)frequency.QuadPart;
    if (perSecond == 0) return 0;
    return count / perSecond * 1000000000u + count % perSecond * 1000000000u / perSecond;
}
