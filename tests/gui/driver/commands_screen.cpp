#include "commands.h"

#include <cstdlib>
#include <fstream>

#include "command_support.h"

namespace guidriver {

// The capture itself is made on the X side by the script that runs the
// driver: it waits for NAME.request in QZ8_SHOT_DIR (holding the current
// window's geometry, WxH+X+Y), writes NAME.png and removes the request.
bool cmdScreenshot(Session& s, const ScriptLine& line, std::string& failure)
{
    const char* folder = std::getenv("QZ8_SHOT_DIR");
    if (folder == nullptr) return true;
    if (!settle(s, failure)) return false;
    const std::string request = std::string(folder) + "\\" + line.words[1] + ".request";
    RECT area{};
    if (s.window != nullptr && IsWindow(s.window)) GetWindowRect(s.window, &area);
    std::ofstream(request) << area.right - area.left << 'x' << area.bottom - area.top << '+' << area.left << '+'
                           << area.top << '\n';
    for (int i = 0; i < 600; ++i) {
        if (GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    failure = "nobody took the screenshot " + line.words[1];
    DeleteFileA(request.c_str());
    return false;
}

}  // namespace guidriver
