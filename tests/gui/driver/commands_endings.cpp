#include "commands.h"

#include "command_support.h"

namespace guidriver {

// The ways a program ends that are not its own buttons.

// close: what Alt+F4 and a window's close box send.
bool cmdClose(Session& s, const ScriptLine&, std::string& failure)
{
    if (s.window == nullptr || !IsWindow(s.window)) {
        failure = "no current window";
        return false;
    }
    if (s.target.press(s.window, WM_SYSCOMMAND, SC_CLOSE, 0, s.timeoutMs) != Target::Outcome::TimedOut) return true;
    failure = "the program did not finish handling the close";
    return false;
}

// end-session: log-off or shutdown as the system does it: it asks, tells the
// window the session ends, and then ends the process itself.
bool cmdEndSession(Session& s, const ScriptLine&, std::string& failure)
{
    if (s.window == nullptr || !IsWindow(s.window)) {
        failure = "no current window";
        return false;
    }
    LRESULT allowed = 0;
    if (!send(s, s.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &allowed, failure)) return false;
    if (allowed == 0) {
        failure = "the program refused the end of the session";
        return false;
    }
    if (!send(s, s.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, nullptr, failure)) return false;
    s.target.kill();
    s.window = nullptr;
    return true;
}

// crash: a thread of the program starts at an address where nothing is
// mapped, as a wild jump would; the exception goes unhandled.
bool cmdCrash(Session& s, const ScriptLine&, std::string& failure)
{
    if (s.target.crash()) return true;
    failure = "cannot start a thread in the program: error " + std::to_string(GetLastError());
    return false;
}

}  // namespace guidriver
