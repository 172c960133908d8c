#include "driver/port_log.h"

#include "driver/kernel_files.h"

namespace zornik {

namespace {

void putHex(char*& out, uint32_t value, int digits)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) *out++ = "0123456789abcdef"[value >> shift & 0x0F];
}

class PortLog final : public sim::PortObserver {
public:
    // "out dword 0cf8 80000000": direction, width, port, value.
    void onPortAccess(const sim::PortAccess& access) override
    {
        char line[32];
        char* out = line;
        for (const char* s = access.write ? "out " : "in  "; *s != '\0'; ++s) *out++ = *s;
        for (const char* s = access.width == sim::Width::Dword ? "dword " : "byte  "; *s != '\0'; ++s) *out++ = *s;
        putHex(out, access.port, 4);
        *out++ = ' ';
        putHex(out, access.value, access.width == sim::Width::Dword ? 8 : 2);
        *out++ = '\n';
        kernelWriteFile(file, line, static_cast<uint32_t>(out - line));
    }
    void* file = nullptr;
};

PortLog portLog;
sim::Board* logged = nullptr;

}  // namespace

void startPortLog(sim::Board& board, const MachineStart& start)
{
    portLog.file = kernelReopenBesideDriver(start.serviceKey, start.serviceKeyChars, "qz8_ports.txt");
    if (portLog.file == nullptr) return;
    logged = &board;
    board.setObserver(&portLog);
}

void stopPortLog()
{
    if (logged != nullptr) logged->setObserver(nullptr);
    logged = nullptr;
    if (portLog.file != nullptr) kernelCloseFile(portLog.file);
    portLog.file = nullptr;
}

}  // namespace zornik
