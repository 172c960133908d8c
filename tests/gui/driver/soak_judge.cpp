#include "soak_judge.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace guidriver {

namespace {

struct AllowanceName {
    const char* name;
    long SoakAllowances::*field;
};
constexpr AllowanceName kAllowanceNames[] = {
    {"handles", &SoakAllowances::handles},
    {"windows", &SoakAllowances::windows},
    {"gdi", &SoakAllowances::gdi},
    {"resident-kb", &SoakAllowances::residentKb},
    {"bitmaps-per-pass", &SoakAllowances::bitmapsPerPass},
};

// Adds to `excess` when `grown` is above `allowed`.
void judge(const char* what, long first, long last, long grown, long allowed, std::string& excess)
{
    if (grown <= allowed) return;
    excess += std::string(excess.empty() ? "" : "; ") + what + " grew by " + std::to_string(grown) + " (" +
              std::to_string(first) + " to " + std::to_string(last) + "), allowed " + std::to_string(allowed);
}

}  // namespace

long gdiTotal(const Census& census)
{
    long total = 0;
    for (const auto& kind : census.gdi) total += kind.second;
    return total;
}

long gdiCount(const Census& census, const std::string& kind)
{
    const auto found = census.gdi.find(kind);
    return found == census.gdi.end() ? 0 : found->second;
}

bool readSoakAllowances(const std::vector<std::string>& words, SoakAllowances& allowed, std::string& failure)
{
    if (words.size() % 2 == 0) {
        failure = "allowances come as NAME VALUE pairs";
        return false;
    }
    for (size_t i = 1; i + 1 < words.size(); i += 2) {
        const auto* known = std::find_if(std::begin(kAllowanceNames), std::end(kAllowanceNames),
                                         [&](const AllowanceName& a) { return words[i] == a.name; });
        char* end = nullptr;
        const long value = std::strtol(words[i + 1].c_str(), &end, 10);
        if (known == std::end(kAllowanceNames) || words[i + 1].empty() || *end != '\0' || value < 0) {
            failure = "bad allowance " + words[i] + " " + words[i + 1];
            return false;
        }
        allowed.*(known->field) = value;
    }
    return true;
}

std::string soakExcess(const Census& first, const Census& last, long passes, const SoakAllowances& allowed)
{
    // Bitmaps up to their allowance per pass are no part of the GDI count.
    const long bitmapsGrown = gdiCount(last, "bitmap") - gdiCount(first, "bitmap");
    const long bitmapsExcused = std::min(std::max(bitmapsGrown, 0L), allowed.bitmapsPerPass * passes);
    std::string excess;
    judge("handles", first.handles, last.handles, last.handles - first.handles, allowed.handles, excess);
    judge("windows", first.windows, last.windows, last.windows - first.windows, allowed.windows, excess);
    judge("GDI objects (bitmaps beyond those allowed per pass)", gdiTotal(first), gdiTotal(last),
          gdiTotal(last) - gdiTotal(first) - bitmapsExcused, allowed.gdi, excess);
    judge("resident KB", first.residentKb, last.residentKb, last.residentKb - first.residentKb, allowed.residentKb,
          excess);
    return excess;
}

}  // namespace guidriver
