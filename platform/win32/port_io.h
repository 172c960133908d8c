// x86 port instructions, for the 9x line where a program may execute them.
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
