// The commands that look at the buses: survey and smbus-read.
#include "cli/board_rule.h"
#include "cli/cli_commands.h"
#include "cli/clock_lines.h"
#include "cli/pci_lines.h"
#include "cli/smbus_path.h"
#include "cli/survey_steps.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "steps/clock_actions.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"

int surveyCommand(const CliContext& context)
{
    const SurveyResult survey = surveyHardware();
    if (survey == SurveyResult::NoDriver || survey == SurveyResult::NoDevice || openDevice() == 0) {
        say(context.err, "the hardware channel did not open");
        return kExitFailure;
    }
    printPciFunctions(pciDeviceTable, context.out);
    closeDevice();
    if (survey == SurveyResult::NoSmbus) {
        say(context.err, "no SMBus host controller found");
        return kExitFailure;
    }
    const PciDeviceRecord& host = pciDeviceTable.records[findSouthBridge()];
    std::fprintf(context.out, "SMBus host %s at %s, base 0x%04x\n", pciId(host).c_str(), pciLocation(host).c_str(),
                 smbusPorts.base);
    // Elsewhere the survey itself is the answer.
    if (!mayUseThisBoard(BoardUse::Read, context.options.force, context.err)) {
        std::fprintf(context.out, "clock generator: not read on this board\n");
        return kExitOk;
    }
    if (const int refused = chooseSmbusPath(context); refused != kExitOk) return refused;
    const ReadEnd read = readCurrentValues();
    if (read != ReadEnd::Read) {
        if (read == ReadEnd::Failed) std::fprintf(context.out, "clock generator: could not be read\n");
        return kExitFailure;
    }
    printClockSetting(currentSetting, context.out);
    return kExitOk;
}

int smbusReadCommand(const CliContext& context)
{
    if (const int refused = surveyForSmbus(context); refused != kExitOk) return refused;
    const CliOptions& options = context.options;
    uint8_t first = 0;
    uint8_t second = 0;
    int32_t read = 0;
    if (openDevice() != 0) {
        read = smbusReadWord(static_cast<uint8_t>(options.smbusAddress << 1 | 1), options.smbusCommand, first, second);
        closeDevice();
    }
    if (read == 0) {
        say(context.err, "no answer from SMBus address 0x%02x to command 0x%02x", options.smbusAddress,
            options.smbusCommand);
        return kExitFailure;
    }
    std::fprintf(context.out, "0x%02x 0x%02x\n", first, second);
    return kExitOk;
}
