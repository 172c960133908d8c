// What a soak judges: two censuses of a program, the first after a warm-up
// pass and the second after the last pass, and how far each count may grow
// between them. Plain C++: tested natively.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace guidriver {

struct Census {
    long handles = 0;
    long windows = 0;                 // top-level windows of the thread and all their children
    std::map<std::string, long> gdi;  // live objects by kind, stock objects left out
    long residentKb = 0;
};

long gdiTotal(const Census& census);
long gdiCount(const Census& census, const std::string& kind);

// 0 where a script names none.
struct SoakAllowances {
    long handles = 0;
    long windows = 0;
    long gdi = 0;  // objects of all kinds together
    long residentKb = 0;
    // On top: for each pass between the censuses, so many bitmaps that the
    // system under test keeps where Windows frees them.
    long bitmapsPerPass = 0;
};

// NAME VALUE pairs from words[1] on: handles, windows, gdi, resident-kb,
// bitmaps-per-pass. False with the reason on a bad pair.
bool readSoakAllowances(const std::vector<std::string>& words, SoakAllowances& allowed, std::string& failure);

// "" when every count stayed within its allowance over `passes`; else each
// count that grew beyond it, with both values.
std::string soakExcess(const Census& first, const Census& last, long passes, const SoakAllowances& allowed);

}  // namespace guidriver
