/* Port and MSR instructions that end with a failure instead of a fault.
   RDMSR of an MSR the processor lacks raises #GP, and so does a port
   instruction in a host that runs the driver in user mode (Wine's); in
   kernel mode an unhandled fault stops the machine. Each routine runs its
   one instruction under a structured exception frame whose handler resumes
   only a fault of that instruction, at a path that returns 0. Everything
   else stays unhandled, as it should. The routines are written for each
   processor (fault_guard_i386.c: the fs:[0] chain; fault_guard_x64.c:
   unwind tables); their handler is one (fault_guard.c). */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the instruction ran, 0 when it faulted (outputs then untouched). */
int guardedReadMsr(uint32_t index, uint32_t* low, uint32_t* high);
int guardedInByte(uint32_t port, uint32_t* value);
int guardedInDword(uint32_t port, uint32_t* value);
int guardedOutByte(uint32_t port, uint32_t value);
int guardedOutDword(uint32_t port, uint32_t value);

#ifdef __cplusplus
}
#endif
