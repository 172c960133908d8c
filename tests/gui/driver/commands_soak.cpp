#include "commands.h"

#include <cstdio>
#include <set>

#include "command_support.h"

namespace guidriver {

namespace {

// soak.NAME (now) and soak.NAME_growth (since the baseline) on stdout, for
// the test log and make bench.
void printFigure(const std::string& name, long first, long last, const char* unit)
{
    std::printf("soak.%s %ld %s\nsoak.%s_growth %ld %s\n", name.c_str(), last, unit, name.c_str(), last - first, unit);
}

// A census of the program once it has handled all that was sent to it.
bool census(Session& s, Census& taken, std::string& failure)
{
    if (!s.target.running()) {
        failure = "the program is not running";
        return false;
    }
    return settle(s, failure) &&
           takeCensus(s.target.process(), s.target.processId(), s.target.threadId(), taken, failure);
}

}  // namespace

// soak-baseline: the first time a census of the program, the baseline of
// soak-check; each later time one pass more since then. At the end of a
// repeated block it takes its census after the first pass, a warm-up that
// fills the caches of first uses.
bool cmdSoakBaseline(Session& s, const ScriptLine&, std::string& failure)
{
    if (s.soakPasses++ > 0) return true;
    QueryPerformanceCounter(&s.soakBaselineAt);
    return census(s, s.soakBaseline, failure);
}

// soak-check NAME ALLOWANCE ...: a census now, against the baseline. Prints
// the figures of both, and fails where a count grew by more than its
// allowance (0 where none is named): handles, windows, gdi, resident-kb;
// bitmaps-per-pass lets bitmaps alone grow that much more for each pass
// since the baseline.
bool cmdSoakCheck(Session& s, const ScriptLine& line, std::string& failure)
{
    SoakAllowances allowed;
    if (!readSoakAllowances(line.words, allowed, failure)) return false;
    const long passes = s.soakPasses - 1;
    if (passes < 1) {
        failure = "soak-check needs passes after soak-baseline's first";
        return false;
    }
    const double passMs = millisecondsSince(s.soakBaselineAt) / static_cast<double>(passes);
    const Census& first = s.soakBaseline;
    Census last;
    if (!census(s, last, failure)) return false;
    std::printf("soak.passes %ld cycles\nsoak.pass_time %.0f ms\n", passes, passMs);
    printFigure("handles", first.handles, last.handles, "handles");
    printFigure("windows", first.windows, last.windows, "windows");
    printFigure("gdi", gdiTotal(first), gdiTotal(last), "objects");
    std::set<std::string> kinds;
    for (const auto& kind : first.gdi) kinds.insert(kind.first);
    for (const auto& kind : last.gdi) kinds.insert(kind.first);
    for (const std::string& kind : kinds)
        printFigure("gdi." + kind, gdiCount(first, kind), gdiCount(last, kind), "objects");
    printFigure("resident", first.residentKb, last.residentKb, "KB");
    std::fflush(stdout);

    failure = soakExcess(first, last, passes, allowed);
    if (failure.empty()) return true;
    failure += " over " + std::to_string(passes) + " passes";
    return false;
}

}  // namespace guidriver
