// x86 port instructions, for the 9x line where a program may execute them.
// 64-bit Windows is always of the NT line: there the channel never takes the
// 9x path, and the 64-bit test build has no port instructions at all.
#pragma once

#include <cstdint>

#if defined(__i386__)

#include "platform/x86/port_instructions.h"

#else

inline uint8_t portInByte(uint16_t) { return 0xFF; }
inline uint32_t portInDword(uint16_t) { return 0xFFFFFFFF; }
inline void portOutByte(uint16_t, uint8_t) {}
inline void portOutDword(uint16_t, uint32_t) {}

#endif
