// x86 port instructions, for the 9x line where a program may execute them.
// 64-bit Windows is always of the NT line: there the channel never takes the
// 9x path, and the 64-bit test build has no port instructions at all.
#pragma once

#include <cstdint>

#if defined(__i386__)

inline uint8_t portInByte(uint16_t port)
{
    uint8_t value;
    __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port));
    return value;
}

inline uint32_t portInDword(uint16_t port)
{
    uint32_t value;
    __asm__ __volatile__("inl %w1, %0" : "=a"(value) : "Nd"(port));
    return value;
}

inline void portOutByte(uint16_t port, uint8_t value) { __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port)); }

inline void portOutDword(uint16_t port, uint32_t value) { __asm__ __volatile__("outl %0, %w1" : : "a"(value), "Nd"(port)); }

#else

inline uint8_t portInByte(uint16_t) { return 0xFF; }
inline uint32_t portInDword(uint16_t) { return 0xFFFFFFFF; }
inline void portOutByte(uint16_t, uint8_t) {}
inline void portOutDword(uint16_t, uint32_t) {}

#endif
