/* Never shipped: programs that Windows NT 4.0 and 98 refuse to load, for the
 * image check to reject. GetTickCount64 arrived with Windows Vista; the
 * headers hide it below _WIN32_WINNT 0x0600, so it is declared here. Built
 * with CANARY_OLD_IMPORTS the program imports nothing new, so only its header
 * (linked for subsystem 6.0) is wrong. */
#include <windows.h>

__declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show)
{
    (void)instance;
    (void)previous;
    (void)command_line;
    (void)show;
#ifdef CANARY_OLD_IMPORTS
    return 0;
#else
    return (int)(GetTickCount64() & 1u);
#endif
}
