// Loading a kernel module as the system does it, with modprobe: the tool
// loads i2c-dev itself where the kernel's SMBus driver is there without it.
#pragma once

// True when modprobe ran and loaded `name` (or found it loaded).
bool loadKernelModule(const char* name);
