// qz8fsb-cli run in-process on the simulated board: each command's output
// and exit status, the safety rule, bad input, traces and faults.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/clock_lines.h"
#include "cli/run_cli.h"
#include "ident/cpu_info.h"
#include "app/settings_file.h"
#include "clock/clock_generator.h"
#include "clock/smbus_host_ports.h"
#include "support/fake_i2c_kernel.h"
#include "support/sim_fixture.h"

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { resetProcessRecords(); }
    void TearDown() override
    {
        for (const std::string& path : files) std::remove(path.c_str());
        resetProcessRecords();
    }

    // One run of the program, as a fresh process would start it.
    CliRun run(std::initializer_list<std::string> arguments, const CliSeams& seams)
    {
        return runWords(std::vector<std::string>(arguments), seams);
    }
    CliRun runWords(const std::vector<std::string>& arguments, const CliSeams& seams)
    {
        resetProcessRecords();
        std::vector<std::string> words{"qz8fsb-cli"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);

        char* outText = nullptr;
        char* errText = nullptr;
        size_t outSize = 0;
        size_t errSize = 0;
        std::FILE* out = open_memstream(&outText, &outSize);
        std::FILE* err = open_memstream(&errText, &errSize);
        const int status = runCli(static_cast<int>(words.size()), argv.data(), out, err, seams);
        std::fclose(out);
        std::fclose(err);
        CliRun result{status, outText, errText};
        std::free(outText);
        std::free(errText);
        return result;
    }
    CliRun run(std::initializer_list<std::string> arguments) { return run(arguments, seams()); }
    // The same board as the last run, as it was left.
    CliRun runAgain(std::initializer_list<std::string> arguments)
    {
        CliSeams kept = seams();
        kept.applyScenario = false;
        return run(arguments, kept);
    }

    // A run whose standard input holds `answer`, ended there or left open.
    CliRun runAnswering(std::initializer_list<std::string> arguments, const std::string& answer, bool endInput)
    {
        int ends[2];
        if (pipe(ends) != 0) return CliRun{-1, "", "no pipe"};
        const bool written = write(ends[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
        if (endInput) close(ends[1]);
        CliSeams withInput = seams();
        withInput.input = ends[0];
        const CliRun result = written ? run(arguments, withInput) : CliRun{-1, "", "not written"};
        close(ends[0]);
        if (!endInput) close(ends[1]);
        return result;
    }

    CliSeams seams()
    {
        CliSeams s;
        s.simMachine = &machine;
        s.msrPath = "/nonexistent/cpu/0/msr";  // never the real machine
        return s;
    }
    std::string file(const char* name)
    {
        files.emplace_back(name);
        return name;
    }

    sim::SimMachine machine;
    std::vector<std::string> files;
};

constexpr char kStockSurvey[] =
    "0:00.0 8086:2530 0600 00 host bridge\n"
    "0:01.0 8086:2532 0604 01 PCI-to-PCI bridge\n"
    "0:1e.0 8086:244e 0604 01 PCI-to-PCI bridge\n"
    "0:1f.0 8086:2440 0601 80 ISA/LPC bridge\n"
    "0:1f.1 8086:244b 0101 00 IDE controller\n"
    "0:1f.2 8086:2442 0c03 00 USB controller\n"
    "0:1f.3 8086:2443 0c05 00 SMBus controller\n"
    "0:1f.4 8086:2444 0c03 00 USB controller\n"
    "0:1f.5 8086:2445 0401 00 audio device\n"
    "1:00.0 10de:0110 0300 00 VGA controller\n"
    "2:08.0 8086:2449 0200 00 Ethernet controller\n"
    "SMBus host 8086:2443 at 0:1f.3, base 0xe800\n"
    "clock generator: FSB 133.0 MHz, divider 1/4\n";

constexpr char kStockGet[] =
    "model: Intel(R) Pentium(R) 4 CPU 2.40GHz\n"
    "core: Northwood\n"
    "multiplier: x 18.0\n"
    "core clock: 2394.0 MHz\n"
    "FSB: 133.0 MHz\n"
    "memory: 399.0 MHz\n"
    "AGP: 66.50 MHz\n"
    "PCI: 33.25 MHz\n";

// The clock lines after programming 150 MHz and 1/5 on the stock board.
constexpr char kRowAt150[] =
    "core clock: 2700.0 MHz\n"
    "FSB: 150.0 MHz\n"
    "memory: 450.0 MHz\n"
    "AGP: 60.00 MHz\n"
    "PCI: 30.00 MHz\n";

TEST_F(Cli, EachCommandOnTheStockBoard)
{
    struct Case {
        std::initializer_list<std::string> arguments;
        const char* out;
    };
    const Case cases[] = {
        {{"--sim", "board=stock", "survey"}, kStockSurvey},
        {{"--sim", "board=stock", "get"}, kStockGet},
        {{"--sim", "board=stock", "set", "150", "1/5"}, kRowAt150},
        {{"--sim", "", "smbus-read", "0x69", "18"}, "0x11 0x83\n"},
        // Options after the command, as getopt_long allows.
        {{"smbus-read", "105", "0x14", "--sim", "board=stock"}, "0x11 0x83\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*(c.arguments.end() - 1));
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(Cli, SetKeepsTheDividerWhenNoneIsGivenAndGetShowsTheNewClocks)
{
    EXPECT_EQ(run({"--sim", "ratio=-1", "set", "100.5"}).status, 0);
    EXPECT_EQ(machine.board.runningFsbHalfMhz(), 201);
    EXPECT_EQ(machine.board.runningRatioCode(), -1);

    EXPECT_EQ(runAgain({"--sim", "", "set", "150", "1/5"}).status, 0);
    const CliRun get = runAgain({"--sim", "", "get"});
    EXPECT_EQ(get.status, 0);
    EXPECT_NE(get.out.find(kRowAt150), std::string::npos) << get.out;
}

TEST_F(Cli, HelpIsTheManual)
{
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: qz8fsb-cli", 0), 0u);
    for (const char* word : {"survey", "get", "set FSB [DIVIDER]", "apply FILE", "save FILE", "smbus-read ADDR CMD",
                             "--force", "--sim", "--trace", "--confirm SECONDS", "Exit status", "Safety rule", "modprobe msr", "iopl(3)"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_EQ(machine.channel.loadCount(), 0u);
}

// The program's own trace is what the board saw on the wire; set programs
// the FSB registers before the divider.
TEST_F(Cli, TheTracesShowTheProgrammingSequence)
{
    const std::string program = file("cli_program_trace.txt");
    const std::string board = file("cli_board_trace.txt");
    const CliRun result = run({"--trace", program, "--sim", "trace=" + board, "set", "150", "1/5"});
    ASSERT_EQ(result.status, 0) << result.err;

    const std::vector<std::string> boardLines = linesOf(readFile(board));
    std::vector<std::string> programLines = linesOf(readFile(program));
    ASSERT_FALSE(boardLines.empty());
    EXPECT_EQ(boardLines.back(), "end: FSB 150.0 MHz, divider 5");
    programLines.push_back("end: FSB 150.0 MHz, divider 5");
    EXPECT_EQ(programLines, boardLines);

    // Tracing adds no port traffic.
    const uint32_t start = machine.channel.portOperations();
    EXPECT_EQ(run({"--sim", "", "set", "150", "1/5"}).status, 0);
    const uint32_t untraced = machine.channel.portOperations() - start;
    EXPECT_EQ(run({"--sim", "", "--trace", program, "set", "150", "1/5"}).status, 0);
    EXPECT_EQ(machine.channel.portOperations() - start - untraced, untraced);

    // A refused write, a device that is not there, a failed transaction: the
    // program sees each as the wire ended it.
    for (const char* fault : {"nakreg=20", "fault=nodevice", "failtx=4"}) {
        SCOPED_TRACE(fault);
        EXPECT_EQ(run({"--trace", program, "--sim", std::string(fault) + " trace=" + board, "set", "150", "1/5"}).status,
                  1);
        std::vector<std::string> seen = linesOf(readFile(board));
        seen.pop_back();
        EXPECT_EQ(linesOf(readFile(program)), seen);
    }

    // 150.0 MHz: 148 in register 18 and 20 (r18 + r20 + 4 = 300); field 3
    // (1/5) in bits 5..3 of register 31.
    auto firstWrite = [&](const char* command, size_t from) {
        for (size_t i = from; i < boardLines.size(); ++i)
            if (boardLines[i].rfind(std::string("0xD2 cmd ") + command + " word", 0) == 0) return i;
        return boardLines.size();
    };
    const size_t fsbLow = firstWrite("0x12", 0);
    const size_t fsbHigh = firstWrite("0x14", 0);
    const size_t divider = firstWrite("0x1F", fsbHigh);
    const size_t field = firstWrite("0x1F", divider + 1);
    ASSERT_LT(field, boardLines.size());
    EXPECT_LT(fsbLow, fsbHigh);
    EXPECT_NE(boardLines[fsbLow].find(" 94 -> done"), std::string::npos) << boardLines[fsbLow];
    EXPECT_NE(boardLines[fsbHigh].find(" 94 -> done"), std::string::npos) << boardLines[fsbHigh];
    // "0xD2 cmd 0x1F word  data EE VV -> done": VV is the value.
    const size_t data = boardLines[field].find(" data ");
    ASSERT_NE(data, std::string::npos);
    const unsigned value = static_cast<unsigned>(std::stoul(boardLines[field].substr(data + 9, 2), nullptr, 16));
    EXPECT_EQ(value >> 3 & 7, 3u) << boardLines[field];
}

TEST_F(Cli, TheSafetyRuleRefusesOtherBoardsUnlessForced)
{
    struct Case {
        const char* board;
        const char* found;
    };
    const Case cases[] = {
        {"board=i845", "host bridge 8086:1a30 and SMBus host 8086:2443"},
        {"board=ich4", "host bridge 8086:2530 and SMBus host 8086:24c3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.board);
        const std::string trace = file("cli_refused_trace.txt");
        const CliRun refused = run({"--sim", c.board, "--trace", trace, "set", "150", "1/5"});
        EXPECT_EQ(refused.status, 2);
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find(c.found), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
        EXPECT_EQ(readFile(trace), "") << "no SMBus transaction at all";
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), 266);

        const CliRun forced = run({"--sim", c.board, "--force", "set", "150", "1/5"});
        EXPECT_EQ(forced.status, 0) << forced.err;
        EXPECT_NE(forced.err.find(c.found), std::string::npos) << "the override is said";
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), 300);
    }
    // The Intel 845 has no 850 memory ratio.
    EXPECT_NE(run({"--sim", "board=i845", "--force", "set", "150", "1/5"}).out.find("memory: unknown\n"),
              std::string::npos);
}

// Reading the clock generator rewrites its control block and register 16:
// off the QZ8-II, where 0x69 may be another chip, nothing is read or
// written there unless forced. The survey still lists what it found.
TEST_F(Cli, OtherBoardsClockChipIsNeitherReadNorWritten)
{
    const std::string trace = file("cli_other_board_trace.txt");
    const std::string saved = file("cli_other_board.qz8");
    struct Case {
        std::initializer_list<std::string> arguments;
        int status;
        const char* out;
    };
    const Case cases[] = {
        {{"--sim", "board=piix4 trace=" + trace, "survey"}, 0, "clock generator: not read on this board\n"},
        {{"--sim", "cpu=amd board=i845 trace=" + trace, "get"}, 2, ""},
        {{"--sim", "board=ich4 trace=" + trace, "save", saved}, 2, ""},
    };
    for (const Case& c : cases) {
        const CliRun result = run(c.arguments);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out.size() >= std::strlen(c.out) ? result.out.substr(result.out.size() - std::strlen(c.out)) : "",
                  c.out);
        EXPECT_NE(result.err.find("not reading the clock generator"), std::string::npos);
        EXPECT_NE(result.err.find("--force reads it anyway"), std::string::npos);
        EXPECT_EQ(readFile(trace).find("0xD2"), std::string::npos) << "an SMBus write";
    }
    EXPECT_NE(access(saved.c_str(), F_OK), 0) << "nothing saved";
    const CliRun forced = run({"--sim", "board=ich4", "--force", "save", saved});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(forced.out, "clock generator: FSB 133.0 MHz, divider 1/4\n");
}

TEST_F(Cli, BadInputIsRefusedBeforeTheHardware)
{
    const std::string shortFile = file("cli_15_bytes.qz8");
    std::ofstream(shortFile, std::ios::binary) << std::string(15, 'Q');
    const std::string tooFast = file("cli_300mhz.qz8");
    currentSetting = ClockSetting{300.0f, 4};
    ASSERT_EQ(writeSettingsFile(tooFast.c_str()), 1);

    struct Case {
        std::initializer_list<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"frob"}, "unknown command 'frob'"},
        {{"--bogus", "get"}, "unknown option '--bogus'"},
        {{"-x", "get"}, "unknown option '-x'"},
        {{"get", "--trace"}, "option '--trace' needs a value"},
        {{"set"}, "usage: qz8fsb-cli set FSB [DIVIDER]"},
        {{"set", "150", "1/5", "more"}, "usage: qz8fsb-cli set FSB [DIVIDER]"},
        {{"get", "now"}, "usage: qz8fsb-cli get"},
        {{"smbus-read", "0x69"}, "usage: qz8fsb-cli smbus-read ADDR CMD"},
        {{"apply"}, "usage: qz8fsb-cli apply FILE"},
        {{"set", "abc"}, "FSB 'abc' is not a number of MHz"},
        {{"set", "nan"}, "FSB 'nan' is not a number of MHz"},
        {{"set", "-150"}, "unknown option '-1'"},
        {{"set", "300"}, "FSB '300' is outside 90.0 to 257.0 MHz"},
        {{"set", "89.5"}, "FSB '89.5' is outside 90.0 to 257.0 MHz"},
        {{"set", "133.3"}, "FSB '133.3' is not a multiple of 0.5 MHz"},
        {{"set", "150", "1/9"}, "divider '1/9' is not one of 1/2 1/3 1/4 1/5 1/6 1/7 1/8 fixed"},
        {{"smbus-read", "0x78", "0"}, "ADDR '0x78' is outside 0x03 to 0x77"},
        {{"smbus-read", "2", "0"}, "ADDR '2' is outside 0x03 to 0x77"},
        {{"smbus-read", "0x69", "256"}, "CMD '256' is outside 0x00 to 0xff"},
        {{"smbus-read", "0x69", "99999999999999999999"}, "CMD '99999999999999999999' is outside"},
        {{"smbus-read", "0x", "0"}, "ADDR '0x' is not a number"},
        {{"smbus-read", "0x69", "1O"}, "CMD '1O' is not a number"},
        {{"--sim", "board=nosuch", "get"}, "--sim: "},
        {{"--trace", "/nonexistent/trace.txt", "--sim", "", "get"}, "cannot write the trace file '/nonexistent/trace.txt'"},
        {{"--sim", "", "apply", shortFile}, "cannot read a settings file from 'cli_15_bytes.qz8'"},
        {{"--sim", "", "apply", "cli_missing.qz8"}, "cannot read a settings file from 'cli_missing.qz8'"},
        {{"--sim", "", "apply", tooFast}, "'cli_300mhz.qz8' holds FSB 300 MHz, divider code 4: not a setting"},
        // Before any access check of the real machine.
        {{"apply", shortFile}, "cannot read a settings file from 'cli_15_bytes.qz8'"},
        {{"set", "150", "--confirm", "1.5"}, "--confirm '1.5' is not a number of seconds from 0 to 600"},
        {{"set", "150", "--confirm", "601"}, "--confirm '601' is not a number of seconds from 0 to 600"},
    };
    for (const Case& c : cases) {
        const CliRun result = run(c.arguments);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind(std::string("qz8fsb-cli: ") + c.message, 0), 0u);
        EXPECT_EQ(machine.channel.loadCount(), 0u) << "the hardware was touched";
    }
}

TEST_F(Cli, ValuesAcceptedAtTheEdges)
{
    EXPECT_EQ(run({"--sim", "", "set", "90"}).status, 0);
    EXPECT_EQ(machine.board.runningFsbHalfMhz(), 180);
    EXPECT_EQ(run({"--sim", "", "set", "257.0", "FIXED"}).status, 0);
    EXPECT_EQ(machine.board.runningFsbHalfMhz(), 514);
    EXPECT_EQ(machine.board.runningRatioCode(), -1);
    EXPECT_EQ(run({"--sim", "", "set", "133.50", "1/8"}).status, 0);
    EXPECT_EQ(machine.board.runningFsbHalfMhz(), 267);
    EXPECT_EQ(machine.board.runningRatioCode(), 8);
    EXPECT_EQ(run({"--sim", "", "smbus-read", "0X69", "0x1f"}).status, 0);
}

TEST_F(Cli, SmbusReadWhereNothingAnswersEndsWithinTheWaitBound)
{
    // 500 polls of 1 ms are the bound of one wait.
    constexpr uint64_t kBoundNs = 500'000'000;
    struct Case {
        const char* scenario;
        uint64_t atLeastNs, belowNs;
    };
    const Case cases[] = {
        {"board=stock", 0, kBoundNs / 10},           // device error at once
        {"fault=stuckbusy", kBoundNs, kBoundNs * 6 / 5},  // the wait runs out
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const uint64_t start = machine.board.clock().nowNs();
        const CliRun result = run({"--sim", c.scenario, "smbus-read", "0x50", "0"});
        const uint64_t took = machine.board.clock().nowNs() - start;
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "qz8fsb-cli: no answer from SMBus address 0x50 to command 0x00\n");
        EXPECT_GE(took, c.atLeastNs);
        EXPECT_LT(took, c.belowNs);
    }
}

TEST_F(Cli, SaveThenApplyRoundTrip)
{
    const std::string saved = file("cli_saved.qz8");
    const CliRun save = run({"--sim", "fsb=150.5 ratio=5", "save", saved});
    EXPECT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(save.out, "clock generator: FSB 150.5 MHz, divider 1/5\n");

    // The bytes of the window's Save for the same setting.
    const std::string window = file("cli_window.qz8");
    currentSetting = ClockSetting{150.5f, 5};
    ASSERT_EQ(writeSettingsFile(window.c_str()), 1);
    const std::string bytes = readFile(saved);
    EXPECT_EQ(bytes, readFile(window));
    EXPECT_EQ(bytes, std::string("QZ8-II  \x00\x80\x16\x43\x05\x00\x00\x00", 16));

    const CliRun apply = run({"--sim", "board=stock", "apply", saved});
    EXPECT_EQ(apply.status, 0) << apply.err;
    EXPECT_NE(apply.out.find("FSB: 150.5 MHz\n"), std::string::npos) << apply.out;
    EXPECT_EQ(machine.board.runningFsbHalfMhz(), 301);
    EXPECT_EQ(machine.board.runningRatioCode(), 5);
}

// A file holds what the window or set could have chosen, or it is refused
// before any access: it may be applied at every start-up.
TEST_F(Cli, ApplyRefusesWhatSetCouldNotChoose)
{
    const std::string odd = file("cli_odd.qz8");
    for (const ClockSetting& setting : {ClockSetting{133.3f, 4}, ClockSetting{10.0f, 4}, ClockSetting{89.5f, 4}}) {
        SCOPED_TRACE(setting.fsbMhz);
        currentSetting = setting;
        ASSERT_EQ(writeSettingsFile(odd.c_str()), 1);
        const CliRun apply = run({"--sim", "trace=/nonexistent/never-opened", "apply", odd});
        EXPECT_EQ(apply.status, 2);
        EXPECT_NE(apply.err.find("not a setting set could choose"), std::string::npos) << apply.err;
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), 266);
    }
}

TEST_F(Cli, HardwareFaultsEndWithStatusOne)
{
    struct Case {
        std::initializer_list<std::string> arguments;
        const char* out;
        const char* message;
    };
    const Case cases[] = {
        {{"--sim", "fault=nodevice", "--force", "set", "150", "1/5"}, "", "programming failed: the clock generator could not be read; nothing was written"},
        {{"--sim", "nakreg=16", "set", "150", "1/5"}, "", "answers but did not take its control block; nothing was written"},
        {{"--sim", "fault=nodevice", "set", "150"}, "", "could not be read: nothing programmed"},
        {{"--sim", "fault=nodevice", "get"}, "multiplier: x 18.0\n", "the clock generator could not be read"},
        {{"--sim", "fault=nodevice", "save", "cli_not_saved.qz8"}, "", "could not be read: nothing saved"},
        {{"--sim", "fault=nodevice", "survey"}, "clock generator: could not be read\n", nullptr},
        {{"--sim", "board=empty", "get"}, "", "no SMBus host controller found"},
        {{"--sim", "board=sis", "survey"}, "0:02.0 1039:0009 0680 00 other\n", "no SMBus host controller found"},
        {{"--sim", "", "save", "/nonexistent/cli.qz8"}, "", "cannot write the settings file '/nonexistent/cli.qz8'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*(c.arguments.begin() + 1));
        SCOPED_TRACE(*(c.arguments.begin() + 2));
        const uint64_t start = machine.board.clock().nowNs();
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        if (c.message != nullptr) {
            EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        } else {
            EXPECT_EQ(result.err, "");
        }
        EXPECT_LT(machine.board.clock().nowNs() - start, 500'000'000u) << "no settle pause after nothing was written";
    }
    EXPECT_NE(access("cli_not_saved.qz8", F_OK), 0) << "a file saved from nothing";
}

// Whatever single step fails, the board runs at the old clocks or the new
// ones, and the tool says which: exit 0 exactly when they are the new ones.
TEST_F(Cli, WhateverFailsTheClocksAreTheOldOnesOrTheNewOnes)
{
    std::vector<std::string> faults;
    for (int n = 1; n <= 30; ++n) faults.push_back("failtx=" + std::to_string(n));
    for (const char* kind : {"stuckreg=", "nakreg="})
        for (int reg : {18, 20, 31}) faults.push_back(kind + std::to_string(reg));
    for (const std::string& fault : faults) {
        const CliRun result = run({"--sim", fault, "set", "150", "1/5"});
        SCOPED_TRACE(fault + "\n" + result.out + result.err);
        const bool shownNew = result.out.find("FSB: 150.0 MHz\n") != std::string::npos &&
                              result.out.find("PCI: 30.00 MHz\n") != std::string::npos;
        const bool shownOld = result.out.find("FSB: 133.0 MHz\n") != std::string::npos &&
                              result.out.find("PCI: 33.25 MHz\n") != std::string::npos;
        EXPECT_NE(shownNew, shownOld);
        EXPECT_EQ(result.status == 0, shownNew);
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), shownNew ? 300 : 266);
        EXPECT_EQ(machine.board.runningRatioCode(), shownNew ? 5 : 4);
    }
    // A bus that stops answering half-way through the FSB writes leaves
    // nothing that can be read or put back: said plainly.
    // The count runs on from the board's earlier runs; the survey and the
    // chipset take about 16,500 operations.
    const std::string failFrom = "failfrom=" + std::to_string(machine.channel.portOperations() + 16800);
    const CliRun dead = run({"--sim", failFrom, "set", "150", "1/5"});
    EXPECT_EQ(dead.status, 4);
    EXPECT_NE(dead.err.find("the clock generator may hold a mixed setting; save your work and restart the machine"),
              std::string::npos)
        << dead.err;
}

// Keep or revert: unless the user says yes in time, the previous clocks
// come back, so that a machine whose network the new clocks broke recovers.
// The question waits its whole time, and ends at once at the end of input.
TEST_F(Cli, SetKeepsTheNewClocksOnlyOnAYesInTime)
{
    struct Case {
        const char* answer;
        bool closeInput;
        int status;
        const char* said;
        bool waitsItsTime;
    };
    const Case cases[] = {
        {"", true, 3, "nobody can answer (the input ended", false},
        {"n\n", false, 3, "declined: going back to FSB 133.0 MHz", false},
        {"yy\n", false, 3, "declined", false},
        {"y\r\n", false, 0, nullptr, false},
        {" Yes\n", true, 0, nullptr, false},
        {"", false, 3, "no answer in 1 s: going back to FSB 133.0 MHz, divider 1/4", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("answer '") + c.answer + "'");
        const auto start = std::chrono::steady_clock::now();
        const CliRun result = runAnswering({"--sim", "", "--confirm", "1", "set", "150", "1/5"}, c.answer, c.closeInput);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), c.status == 0 ? 300 : 266);
        EXPECT_NE(result.err.find("keep the new clocks? [y/N, 1 s]"), std::string::npos) << result.err;
        EXPECT_EQ(result.out.rfind("FSB: "), result.out.find(c.status == 0 ? "FSB: 150.0" : "FSB: 133.0"))
            << "the clocks last printed are the ones that stay:\n" << result.out;
        EXPECT_EQ(took >= std::chrono::seconds(1), c.waitsItsTime);
        if (c.said != nullptr) {
            EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
            EXPECT_NE(result.err.find("reverted to FSB 133.0 MHz, divider 1/4"), std::string::npos) << result.err;
        }
    }
}

// New clocks that could not be read back are not the user's to keep: with
// the question on they go at once. A way back that fails says what the chip
// holds, read back, or that it may hold a mix.
TEST_F(Cli, AFailedReadBackRevertsAndAFailedRevertSaysWhatTheChipHolds)
{
    struct Case {
        const char* scenario;
        int status;
        uint16_t fsbHalfMhz;
        const char* said;
    };
    const Case cases[] = {
        // Both readings after the programming fail at register 18.
        {"failtx=18,23", 3, 266, "the new clocks could not be read back: going back to FSB 133.0 MHz, divider 1/4"},
        // Each of the revert's three writes of register 18 fails.
        {"failtx=29,31,33", 4, 300,
         "going back failed: the clock generator holds FSB 150.0 MHz, divider 1/5, not FSB 133.0 MHz, divider 1/4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const CliRun result = runAnswering({"--sim", c.scenario, "--confirm", "2", "set", "150", "1/5"}, "n\n", false);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), c.fsbHalfMhz);
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    }
    // The bus gone during the revert: nothing can be read back.
    const std::string failFrom = "failfrom=" + std::to_string(machine.channel.portOperations() + 17600);
    const CliRun dead = runAnswering({"--sim", failFrom, "--confirm", "2", "set", "150", "1/5"}, "", true);
    EXPECT_EQ(dead.status, 4) << dead.err;
    EXPECT_NE(dead.err.find("going back failed and the clock generator could not be read: it may hold FSB 150.0 MHz, "
                            "divider 1/5, FSB 133.0 MHz, divider 1/4 or a mix of the two"),
              std::string::npos)
        << dead.err;
}

// What a run tells after a failed programming, and that it asks nothing.
TEST_F(Cli, AFailedProgrammingIsToldAsWhatItLeft)
{
    struct Case {
        const char* scenario;
        int status;
        const char* said;
        const char* fsb;  // as read back
    };
    const Case cases[] = {
        // Register 18 could not be read: nothing written.
        {"failtx=3", 1, "did not take the new setting (FSB 150.0 MHz, divider 1/5); it runs at the previous one",
         "FSB: 133.0 MHz"},
        // The FSB's read-back fails, and each write of register 18 on the way
        // back: the chip answers, and holds 150 MHz with the old divider.
        {"failtx=7,12,14,16", 4, "may hold a mixed setting", "FSB: 150.0 MHz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const CliRun result = runAnswering({"--sim", c.scenario, "--confirm", "2", "set", "150", "1/5"}, "y\n", true);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
        EXPECT_NE(result.out.find(c.fsb), std::string::npos) << result.out;
        EXPECT_EQ(result.err.find("keep the new clocks"), std::string::npos) << "no question after a failure";
    }
}

// On a terminal the question is on unless --confirm 0 turns it off.
TEST_F(Cli, OnATerminalTheQuestionIsOnUnlessTurnedOff)
{
    int master = -1;
    int terminal = -1;
    ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    CliSeams onTerminal = seams();
    onTerminal.input = terminal;
    const CliRun off = run({"--sim", "", "--confirm", "0", "set", "150", "1/5"}, onTerminal);
    EXPECT_EQ(off.status, 0) << off.err;
    EXPECT_EQ(off.err, "");
    // The default question, answered no: what is typed before it appears is
    // dropped, so the answer goes on until the run is over.
    std::atomic<bool> over{false};
    std::thread typist([&] {
        while (!over) {
            if (write(master, "n\n", 2) != 2) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const CliRun on = run({"--sim", "", "set", "150", "1/5"}, onTerminal);
    over = true;
    typist.join();
    close(master);
    close(terminal);
    EXPECT_EQ(on.status, 3) << on.err;
    EXPECT_NE(on.err.find("keep the new clocks? [y/N, 15 s]"), std::string::npos) << on.err;
    EXPECT_EQ(machine.board.runningFsbHalfMhz(), 266);
}

// Another program taking the SMBus after the survey: the reading set makes
// first, or the programming, ends the command with its one message and no
// transaction.
TEST_F(Cli, AnotherOwnerOfTheBusEndsSetAtOnce)
{
    struct GrantsTwice final : BusLock {
        bool acquire(uint32_t) override { return ++asked <= 2; }  // the survey, the chipset
        void release() override {}
        int asked = 0;
    };
    for (std::initializer_list<std::string> command :
         {std::initializer_list<std::string>{"set", "150"}, {"set", "150", "1/5"}}) {
        SCOPED_TRACE(command.size());
        GrantsTwice lock;
        CliSeams owned = seams();
        owned.simBusLock = &lock;
        const std::string trace = file("cli_owned_trace.txt");
        std::vector<std::string> words{"--sim", "trace=" + trace};
        words.insert(words.end(), command);
        const CliRun result = [&] {
            if (words.size() == 4) return run({words[0], words[1], words[2], words[3]}, owned);
            return run({words[0], words[1], words[2], words[3], words[4]}, owned);
        }();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "qz8fsb-cli: Another copy of the program is using the SMBus.\n");
        EXPECT_EQ(lock.asked, 3) << "no second try";
        EXPECT_EQ(readFile(trace), "end: FSB 133.0 MHz, divider 4\n");
    }
}

// A measurement that failed leaves 0, which no processor runs at.
TEST(CliLines, ACoreClockOfZeroIsUnknown)
{
    for (const float mhz : {0.0f, 2394.0f}) {
        cpuInfo.coreClockMhz = mhz;
        char* text = nullptr;
        size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        printClockRow(currentRowTexts(ClockSetting{133.0f, 4}, mhz, 3), out);
        std::fclose(out);
        EXPECT_EQ(linesOf(text).at(0), mhz > 0.0f ? "core clock: 2394.0 MHz" : "core clock: unknown");
        std::free(text);
    }
    cpuInfo = CpuInfo{};
}

// Only get shows the multiplier: every other command runs without the msr
// device (set and apply measure the core clock, which needs none).
TEST_F(Cli, OnlyGetNeedsTheMsrDevice)
{
    for (CliCommand command : {CliCommand::Survey, CliCommand::SmbusRead, CliCommand::Set, CliCommand::Apply,
                               CliCommand::Save})
        EXPECT_STREQ(msrDeviceFor(command, "/dev/cpu/0/msr"), "") << static_cast<int>(command);
    EXPECT_STREQ(msrDeviceFor(CliCommand::Get, "/dev/cpu/0/msr"), "/dev/cpu/0/msr");
}

// Never the real machine's ports in a test: get is the command that needs the
// msr device too, which the seams name where there is none.
TEST_F(Cli, TheRealBoardNeedsItsAccessFirst)
{
    const CliRun result = run({"get"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    const char* expected = geteuid() == 0
                               ? "qz8fsb-cli: /nonexistent/cpu/0/msr is missing: load the msr module (modprobe msr)\n"
                               : "qz8fsb-cli: must run as root: port access and /nonexistent/cpu/0/msr need it\n";
    EXPECT_EQ(result.err, expected);
}

// Where the kernel's SMBus driver owns the host, the program goes through
// it: its adapter's /dev/i2c-N, here a fake of the kernel's i2c-dev whose
// driver runs the simulated board's host controller, as i2c_i801 does. The
// kernel's listings are trees of our own.
class CliThroughTheKernel : public Cli {
protected:
    void SetUp() override
    {
        Cli::SetUp();
        makeTree();
    }
    void TearDown() override
    {
        removeTree();
        Cli::TearDown();
    }

    // A fresh kernel: the ICH2's function with i801_smbus bound and its
    // adapter i2c-3, nothing claimed, i2c-dev there.
    void makeTree()
    {
        char made[] = "/tmp/qz8-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(made), nullptr);
        root = made;
        for (const char* folder : {"/pci", "/pci/0000:00:1f.3", "/pci/0000:00:1f.3/i2c-3", "/i2c", "/i2c/i2c-3",
                                   "/i2c/3-0069"})
            ASSERT_EQ(mkdir((root + folder).c_str(), 0755), 0);
        ASSERT_EQ(symlink("../../../bus/pci/drivers/i801_smbus", (root + "/pci/0000:00:1f.3/driver").c_str()), 0);
        std::ofstream(root + "/i2c/i2c-3/name") << "SMBus I801 adapter at e800\n";
        kernel = FakeI2cKernel{};
        kernel.answer = onTheBoard;
        modulesAsked.clear();
        moduleLoads = true;
    }
    void removeTree()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    CliSeams throughKernel()
    {
        CliSeams s = seams();
        pci = root + "/pci";
        i2c = root + "/i2c";
        s.pciSysfs = pci.c_str();
        s.i2cSysfs = i2c.c_str();
        s.i2cKernel = &kernel;
        loadingInto = &kernel;
        // modprobe: the device files appear.
        s.loadModule = [](const char* name) {
            modulesAsked.push_back(name);
            if (moduleLoads) loadingInto->openError = 0;
            return moduleLoads;
        };
        return s;
    }
    // A kernel client bound at 0x69, as ics932s401 binds to a clock chip.
    void claimClockChip()
    {
        kernel.claimed = {0x69};
        ASSERT_EQ(symlink("../../../bus/i2c/drivers/ics932s401", (root + "/i2c/3-0069/driver").c_str()), 0);
    }
    size_t transfers() const
    {
        size_t count = 0;
        for (const FakeI2cKernel::Request& r : kernel.requests) count += r.request == I2C_SMBUS ? 1 : 0;
        return count;
    }

    // The driver's transfer: the host controller's own transaction; a block
    // count outside 1..32 fails as the kernel fails it.
    static int onTheBoard(uint8_t address, uint8_t readWrite, uint8_t command, uint32_t size, i2c_smbus_data& data)
    {
        SmbusBackend& host = hostPortSmbus();
        const bool read = readWrite == I2C_SMBUS_READ;
        const uint8_t byte = static_cast<uint8_t>(address << 1 | (read ? 1 : 0));
        SmbusOutcome outcome = SmbusOutcome::Failed;
        uint8_t first = 0;
        uint8_t second = 0;
        if (size == I2C_SMBUS_WORD_DATA && read) {
            outcome = host.readWord(byte, command, first, second);
            data.word = static_cast<uint16_t>(first | second << 8);
        } else if (size == I2C_SMBUS_WORD_DATA) {
            outcome = host.writeWord(byte, command, static_cast<uint8_t>(data.word), static_cast<uint8_t>(data.word >> 8));
        } else if (size == I2C_SMBUS_BLOCK_DATA && read) {
            outcome = host.readBlock(byte, command, data.block + 1, data.block[0]);
            if (outcome == SmbusOutcome::Done && (data.block[0] == 0 || data.block[0] > 32)) return EPROTO;
        } else if (size == I2C_SMBUS_BLOCK_DATA) {
            outcome = host.writeBlock(byte, command, data.block + 1, data.block[0]);
        }
        return outcome == SmbusOutcome::Done ? 0 : outcome == SmbusOutcome::DeviceError ? ENXIO : EIO;
    }

    static std::vector<std::string> modulesAsked;
    static bool moduleLoads;
    static FakeI2cKernel* loadingInto;
    std::string root;
    std::string pci;
    std::string i2c;
    FakeI2cKernel kernel;
};

std::vector<std::string> CliThroughTheKernel::modulesAsked;
bool CliThroughTheKernel::moduleLoads = true;
FakeI2cKernel* CliThroughTheKernel::loadingInto = nullptr;

// The same commands, the same faults: the same output, exit status and
// transactions through the kernel's driver as through the host's ports,
// and the same rollback where a register does not take its value.
TEST_F(CliThroughTheKernel, TheKernelsPathMakesTheSameTransactions)
{
    const std::string trace = file("cli_kernel_trace.txt");
    for (const char* scenario : {"", "nakreg=20", "stuckreg=31", "fault=emptyblock", "fsb=150.5 ratio=5"}) {
        for (std::initializer_list<std::string> command :
             {std::initializer_list<std::string>{"get"}, {"set", "150", "1/5"}, {"smbus-read", "0x69", "0x12"}}) {
            SCOPED_TRACE(std::string(scenario) + " " + *command.begin());
            std::vector<std::string> words{"--sim", scenario, "--trace", trace};
            words.insert(words.end(), command);
            const CliRun ports = runWords(words, seams());
            const std::string portsTrace = readFile(trace);
            const int portsFsb = machine.board.runningFsbHalfMhz();
            kernel.requests.clear();
            const CliRun throughKernelRun = runWords(words, throughKernel());
            EXPECT_EQ(throughKernelRun.status, ports.status);
            EXPECT_EQ(throughKernelRun.out, ports.out);
            EXPECT_EQ(throughKernelRun.err, ports.err);
            EXPECT_EQ(readFile(trace), portsTrace);
            EXPECT_EQ(machine.board.runningFsbHalfMhz(), portsFsb);
            EXPECT_GT(transfers(), 0u) << "nothing went through the kernel";
            EXPECT_NE(portsTrace, "");
            EXPECT_NE(ports.status, 2) << ports.err;
        }
    }
}

TEST_F(CliThroughTheKernel, WhatTheKernelsPathNeedsAndRefuses)
{
    struct Case {
        const char* name;
        std::initializer_list<std::string> arguments;
        std::function<void()> arrange;
        int status;
        const char* said;  // in the error stream; "" for silence
        int fsbHalfMhz;    // the clock chip's FSB afterwards
    };
    const Case cases[] = {
        {"the host's own adapter", {"get"}, [] {}, 0, "", 266},
        {"a kernel client at 0x69", {"set", "150", "1/5"}, [&] { claimClockChip(); }, 2,
         "SMBus address 0x69 on i2c-3 (SMBus I801 adapter at e800) belongs to the kernel's ics932s401 driver; --force "
         "shares it",
         266},
        {"--force shares it", {"--force", "set", "150", "1/5"}, [&] { claimClockChip(); }, 0,
         "--force: sharing SMBus address 0x69 with the kernel's ics932s401 driver", 300},
        {"i2c-dev loaded when missing", {"get"}, [&] { kernel.openError = ENOENT; }, 0, "", 266},
        {"i2c-dev missing", {"get"}, [&] { kernel.openError = ENOENT; moduleLoads = false; }, 2,
         "cannot open /dev/i2c-3 for the SMBus of i2c-3 (SMBus I801 adapter at e800): No such file or directory; it "
         "comes with the kernel's i2c-dev module (modprobe i2c-dev)",
         266},
        {"no block transfers", {"set", "150", "1/5"}, [&] { kernel.functions = kI2cWordRead; }, 2,
         "i2c-3 (SMBus I801 adapter at e800) offers no SMBus word and block transfers, which the clock generator needs",
         266},
        {"a word read needs only that", {"smbus-read", "0x69", "0x12"}, [&] { kernel.functions = kI2cWordRead; }, 0,
         "", 266},
        {"no adapter", {"get"}, [&] { rmdir((root + "/pci/0000:00:1f.3/i2c-3").c_str()); }, 2,
         "the kernel's i801_smbus driver owns the SMBus host at 0:1f.3 but shows no i2c adapter for it", 266},
        {"another adapter", {"--i2c-bus", "5", "get"}, [] {}, 2,
         "--i2c-bus 5: i2c-5 is not the SMBus host's adapter; --force uses it anyway", 266},
        {"the host's adapter by its number", {"--i2c-bus", "3", "set", "150", "1/5"}, [] {}, 0, "", 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeTree();
        makeTree();
        c.arrange();
        std::vector<std::string> words{"--sim", ""};
        words.insert(words.end(), c.arguments);
        const CliRun result = runWords(words, throughKernel());
        EXPECT_EQ(result.status, c.status) << result.err;
        if (*c.said == '\0') EXPECT_EQ(result.err, "");
        else EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
        EXPECT_EQ(machine.board.runningFsbHalfMhz(), c.fsbHalfMhz);
        EXPECT_EQ(modulesAsked, kernel.openError == 0 && std::string(c.name).find("i2c-dev") == std::string::npos
                                    ? std::vector<std::string>{}
                                    : std::vector<std::string>{"i2c-dev"});
    }
}

}  // namespace
