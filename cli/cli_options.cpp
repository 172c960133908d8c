#include "cli/cli_options.h"

#include <getopt.h>

#include <cstring>

#include "cli/cli_values.h"

namespace {

struct CommandShape {
    const char* name;
    CliCommand command;
    int minOperands;
    int maxOperands;
    const char* operands;  // as the usage line names them
};

constexpr CommandShape kCommands[] = {
    {"survey", CliCommand::Survey, 0, 0, ""},
    {"get", CliCommand::Get, 0, 0, ""},
    {"set", CliCommand::Set, 1, 2, " FSB [DIVIDER]"},
    {"apply", CliCommand::Apply, 1, 1, " FILE"},
    {"save", CliCommand::Save, 1, 1, " FILE"},
    {"smbus-read", CliCommand::SmbusRead, 2, 2, " ADDR CMD"},
};

// 7-bit addresses outside the reserved ones at both ends.
constexpr uint32_t kFirstSmbusAddress = 0x03;
constexpr uint32_t kLastSmbusAddress = 0x77;

// Long options' values lie above any character, so that optopt tells a
// short option's character from a long option.
enum : int { kHelp = 'h', kTrace = 0x100, kSim, kForce, kConfirm, kI2cBus };

// The kernel numbers its i2c adapters from 0; this is far beyond any count.
constexpr uint32_t kLastI2cBus = 1023;

// The longest wait for an answer: long enough to read the clocks, short
// enough that a machine whose network died with the new clocks comes back.
constexpr uint32_t kMaxConfirmSeconds = 600;

const option kLongOptions[] = {
    {"trace", required_argument, nullptr, kTrace},
    {"sim", required_argument, nullptr, kSim},
    {"force", no_argument, nullptr, kForce},
    {"confirm", required_argument, nullptr, kConfirm},
    {"i2c-bus", required_argument, nullptr, kI2cBus},
    {"help", no_argument, nullptr, kHelp},
    {nullptr, 0, nullptr, 0},
};

const CommandShape* findCommand(const char* name)
{
    for (const CommandShape& shape : kCommands)
        if (std::strcmp(shape.name, name) == 0) return &shape;
    return nullptr;
}

// The option getopt_long stopped at, as the user wrote it.
std::string optionText(int argc, char** argv)
{
    if (optopt > 0 && optopt < kTrace) return std::string("-") + static_cast<char>(optopt);
    return optind > 0 && optind <= argc ? argv[optind - 1] : "?";
}

bool parseSwitches(int argc, char** argv, CliOptions& options, std::string& error)
{
    // 0 starts getopt afresh: the tests parse many command lines in one process.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int c = getopt_long(argc, argv, ":h", kLongOptions, nullptr);
        switch (c) {
        case -1: return true;
        case kTrace: options.tracePath = optarg; break;
        case kSim:
            options.simulated = true;
            options.scenario = optarg;
            break;
        case kForce: options.force = true; break;
        case kConfirm: {
            uint32_t seconds = 0;
            if (!parseSeconds(optarg, kMaxConfirmSeconds, "--confirm", seconds, error)) return false;
            options.confirmSeconds = static_cast<int>(seconds);
            break;
        }
        case kI2cBus: {
            uint32_t bus = 0;
            if (!parseNumber(optarg, 0, kLastI2cBus, "--i2c-bus", bus, error)) return false;
            options.i2cBus = static_cast<int>(bus);
            break;
        }
        case kHelp: options.help = true; break;
        case ':': error = "option '" + optionText(argc, argv) + "' needs a value"; return false;
        default: error = "unknown option '" + optionText(argc, argv) + "'"; return false;
        }
    }
}

bool parseOperands(CliCommand command, char** operands, int count, CliOptions& options, std::string& error)
{
    uint32_t value = 0;
    switch (command) {
    case CliCommand::Set:
        options.keepDivider = count < 2;
        return parseFsb(operands[0], options.setting.fsbMhz, error) &&
               (options.keepDivider || parseDivider(operands[1], options.setting.ratioCode, error));
    case CliCommand::Apply:
    case CliCommand::Save: options.file = operands[0]; return true;
    case CliCommand::SmbusRead:
        if (!parseNumber(operands[0], kFirstSmbusAddress, kLastSmbusAddress, "ADDR", value, error)) return false;
        options.smbusAddress = static_cast<uint8_t>(value);
        if (!parseNumber(operands[1], 0, 0xFF, "CMD", value, error)) return false;
        options.smbusCommand = static_cast<uint8_t>(value);
        return true;
    default: return true;
    }
}

}  // namespace

bool parseCliOptions(int argc, char** argv, CliOptions& options, std::string& error)
{
    options = CliOptions{};
    if (!parseSwitches(argc, argv, options, error)) return false;
    if (options.help) return true;
    if (optind >= argc) {
        error = "no command given";
        return false;
    }
    const CommandShape* shape = findCommand(argv[optind]);
    if (shape == nullptr) {
        error = std::string("unknown command '") + argv[optind] + "'";
        return false;
    }
    const int given = argc - optind - 1;
    if (given < shape->minOperands || given > shape->maxOperands) {
        error = std::string("usage: qz8fsb-cli ") + shape->name + shape->operands;
        return false;
    }
    options.command = shape->command;
    return parseOperands(shape->command, argv + optind + 1, given, options, error);
}
