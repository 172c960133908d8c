// What a process holds, counted from outside it: its kernel handles, the
// windows of its user-interface thread, its GDI objects by kind, and its
// resident memory. Windows 98 keeps every program's USER and GDI objects in
// two 64 KB heaps of the whole system; what a window loses per action adds
// up there.
#pragma once

#include <windows.h>

#include <string>

#include "soak_judge.h"

namespace guidriver {

// False with the reason when one of the figures cannot be had.
bool takeCensus(HANDLE process, DWORD processId, DWORD threadId, Census& census, std::string& failure);

}  // namespace guidriver
