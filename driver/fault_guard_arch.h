/* Between the guarded routines of one processor (fault_guard_i386.c,
   fault_guard_x64.c) and the handler they share (fault_guard.c). */
#pragma once

#include <ntddk.h>

EXCEPTION_DISPOSITION __cdecl qz8FaultHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                              void* dispatcher);

/* The instruction pointer of a fault's context, and setting it. */
ULONG_PTR faultAddress(const CONTEXT* context);
void resumeAt(CONTEXT* context, ULONG_PTR address);
