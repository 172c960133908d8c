// Batch mode over any bytes as the settings file, on the simulated stock
// board installed as the platform.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup_sequence.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "fuzz/fuzz_check.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "sim/sim_platform.h"

namespace {

class CountingNotifier final : public Notifier {
public:
    void showMessage(const char*, const char*, uint32_t) override { ++boxes; }
    uint32_t boxes = 0;
};

class PortCounter final : public sim::PortObserver {
public:
    void onPortAccess(const sim::PortAccess&) override { ++accesses; }
    uint32_t accesses = 0;
};

// Back to the state of process start for every record batch mode and
// bring-up touch.
void resetProcessRecords()
{
    resetHwChannel();
    pciDeviceTable = PciDeviceTable{};
    smbusPorts = SmbusPorts{};
    currentSetting = ClockSetting{};
}

sim::SimMachine* machine = nullptr;
CountingNotifier notifier;
PortCounter counter;
// What bringUpHardware leaves on the stock board.
struct BroughtUp {
    int32_t driverLoaded;
    PciDeviceTable pciDeviceTable;
    SmbusPorts smbusPorts;
};
BroughtUp broughtUp{};
std::string filePath;
std::string commandLine;

void removeFile() { std::remove(filePath.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    machine = new sim::SimMachine();
    installPlatform(machine->platform(notifier));
    // The file is rewritten for every input: memory-backed when possible.
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || *folder == '\0') folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(folder) + "/qz8fuzzXXXXXX";
    const int descriptor = mkstemp(&pattern[0]);
    FUZZ_CHECK(descriptor >= 0);
    close(descriptor);
    filePath = pattern;
    commandLine = "-file=" + filePath;
    std::atexit(removeFile);

    // Bring-up scans the whole PCI bus, a hundred times the cost of batch
    // mode itself; each input starts from the records it leaves.
    resetProcessRecords();
    FUZZ_CHECK(bringUpHardware());
    FUZZ_CHECK(notifier.boxes == 0);
    broughtUp = BroughtUp{driverLoaded, pciDeviceTable, smbusPorts};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(filePath.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);

    sim::Board& board = machine->board;
    board.configure(sim::Scenario{});
    resetProcessRecords();
    driverLoaded = broughtUp.driverLoaded;
    pciDeviceTable = broughtUp.pciDeviceTable;
    smbusPorts = broughtUp.smbusPorts;
    notifier.boxes = 0;

    counter.accesses = 0;
    board.setObserver(&counter);
    const BatchOutcome outcome = runBatchMode(commandLine.c_str());
    board.setObserver(nullptr);
    FUZZ_CHECK(!board.resetRequested());

    float fsbMhz = 0.0f;
    int32_t ratioCode = 0;
    if (size >= 16) {
        std::memcpy(&fsbMhz, data + 8, sizeof fsbMhz);
        std::memcpy(&ratioCode, data + 12, sizeof ratioCode);
    }
    // What the window can select: 90.0 to 257.0 MHz in 0.5 MHz steps, a
    // listed divider. Nothing else is programmed, at any start-up.
    const bool selectable = size >= 16 && fsbMhz >= 90.0f && fsbMhz <= 257.0f &&
                            std::floor(2.0 * fsbMhz) == 2.0 * fsbMhz &&
                            ((ratioCode >= 2 && ratioCode <= 8) || ratioCode == -1);

    if (outcome == BatchOutcome::Refused) {
        FUZZ_CHECK(counter.accesses == 0);
        FUZZ_CHECK(notifier.boxes == 1);
        // The stock board takes every setting the window can select.
        FUZZ_CHECK(!selectable);
        return 0;
    }
    FUZZ_CHECK(outcome == BatchOutcome::Applied);
    FUZZ_CHECK(selectable);
    FUZZ_CHECK(board.runningFsbHalfMhz() == static_cast<uint16_t>(2.0 * fsbMhz));
    FUZZ_CHECK(board.runningRatioCode() == ratioCode);
    FUZZ_CHECK(notifier.boxes == 0);
    return 0;
}
