// The safety rule: the clock generator is programmed only on the board this
// tool is for, unless the user insists.
#pragma once

#include <cstdio>

// True on a QZ8-II (Intel 850 host bridge, the SMBus host at the ICH2's
// function), or when `force` is set (said on `err`); otherwise false after
// saying which host bridge and SMBus host were found.
bool mayProgramThisBoard(bool force, std::FILE* err);
