// The x86 port instructions, 8 and 32 bits wide. Each is one bus cycle of its
// width: a 32-bit write to 0xCF8 reaches CONFIG_ADDRESS alone, never the
// reset control register at 0xCF9. Fault unless the process may do port I/O.
#pragma once

#include <cstdint>

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
