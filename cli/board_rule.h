// The safety rule: the clock generator at SMBus address 0x69 is read and
// programmed only on the board this tool is for, unless the user insists.
// Reading it is no plain read either: it rewrites the chip's control block
// and register 16, and on other boards 0x69 is often another clock chip,
// whose clocks those bytes can stop.
#pragma once

#include <cstdio>

enum class BoardUse { Read, Program };

// True on a QZ8-II (Intel 850 host bridge, the SMBus host at the ICH2's
// function), or when `force` is set (said on `err`); otherwise false after
// saying which host bridge and SMBus host were found.
bool mayUseThisBoard(BoardUse use, bool force, std::FILE* err);
