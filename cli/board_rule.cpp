#include "cli/board_rule.h"

#include <string>

#include "cli/cli_context.h"
#include "cli/pci_lines.h"
#include "clock/smbus.h"
#include "hw/pci.h"
#include "ident/host_bridge.h"

namespace {

struct ChipId {
    uint32_t vendor;
    uint32_t device;
};

// The QZ8-II's chips.
constexpr ChipId kHostBridge = {0x8086, 0x2530};  // Intel 850 MCH
constexpr ChipId kSmbusHost = {0x8086, 0x2443};   // ICH2 SMBus controller

const PciDeviceRecord* recordAt(int32_t index)
{
    return index >= 0 && static_cast<uint32_t>(index) < pciDeviceTable.count ? &pciDeviceTable.records[index]
                                                                              : nullptr;
}

bool is(const PciDeviceRecord* record, const ChipId& chip)
{
    return record != nullptr && record->vendorId == chip.vendor && record->deviceId == chip.device;
}

std::string idOf(const PciDeviceRecord* record) { return record != nullptr ? pciId(*record) : "none"; }

}  // namespace

bool mayUseThisBoard(BoardUse use, bool force, std::FILE* err)
{
    const PciDeviceRecord* host = recordAt(findHostBridge());
    const PciDeviceRecord* smbus = smbusPorts.base != 0 ? recordAt(findSouthBridge()) : nullptr;
    if (is(host, kHostBridge) && is(smbus, kSmbusHost)) return true;
    const std::string found = "host bridge " + idOf(host) + " and SMBus host " + idOf(smbus);
    const bool reading = use == BoardUse::Read;
    if (force) {
        say(err, "--force: %s the clock generator of a board with %s", reading ? "reading" : "programming",
            found.c_str());
        return true;
    }
    say(err,
        "not %s the clock generator: this tool is for the QZ8-II (host bridge %04x:%04x, Intel 850; SMBus host "
        "%04x:%04x, ICH2), this machine has %s%s; --force %s it anyway",
        reading ? "reading" : "programming", kHostBridge.vendor, kHostBridge.device, kSmbusHost.vendor,
        kSmbusHost.device, found.c_str(),
        reading ? ", where SMBus address 0x69 may be another chip that a reading's writes would upset" : "",
        reading ? "reads" : "programs");
    return false;
}
