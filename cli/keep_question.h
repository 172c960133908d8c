// Keep or revert: after new clocks, the user must say within a time that
// they stay. Over ssh, clocks that break the network card also break the
// answer, and the board goes back to its previous clocks by itself.
#pragma once

#include <cstdint>
#include <cstdio>

// Asks `question` on `err` and waits up to `seconds` for a line on `input`.
// True only for "y" or "yes" (any case); false for anything else, the end
// of the input, an error, or no whole line in time.
bool userKeeps(int input, uint32_t seconds, std::FILE* err, const char* question);
