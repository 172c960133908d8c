#include "commands.h"

#include "command_support.h"

namespace guidriver {

// hold-mutex NAME: the script's own process takes a named mutex, as another
// copy of the program holding the SMBus would; release-mutex gives it back.
bool cmdHoldMutex(Session& s, const ScriptLine& line, std::string& failure)
{
    if (s.heldMutex == nullptr) s.heldMutex = CreateMutexA(nullptr, FALSE, line.words[1].c_str());
    if (s.heldMutex != nullptr && WaitForSingleObject(s.heldMutex, s.timeoutMs) == WAIT_OBJECT_0) return true;
    failure = "cannot take mutex " + line.words[1] + ": error " + std::to_string(GetLastError());
    return false;
}

bool cmdReleaseMutex(Session& s, const ScriptLine&, std::string& failure)
{
    if (s.heldMutex != nullptr && ReleaseMutex(s.heldMutex)) {
        CloseHandle(s.heldMutex);
        s.heldMutex = nullptr;
        return true;
    }
    failure = "no mutex is held";
    return false;
}

}  // namespace guidriver
