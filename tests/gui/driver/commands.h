// The script commands, one function each, grouped by the file that defines
// them. commands.cpp maps their names to them.
#pragma once

#include <string>

#include "session.h"

namespace guidriver {

// Runs one command; the line has at least the words the command needs.
using CommandFunction = bool(Session& s, const ScriptLine& line, std::string& failure);

// commands_process.cpp: the program under test, its windows, timing.
CommandFunction cmdCd, cmdEnv, cmdStart, cmdWaitWindow, cmdWaitGone, cmdExit, cmdExpectNever, cmdExpectNoWindows,
    cmdTimeout, cmdSleep, cmdPrintElapsed, cmdPrintLast;

// commands_controls.cpp: the controls of the current window.
CommandFunction cmdClick, cmdFocus, cmdKey, cmdSlide, cmdSelect, cmdSetText, cmdExpectFocus, cmdExpectText,
    cmdExpectEnabled, cmdExpectSlider, cmdExpectList, cmdExpectCount, cmdExpectStatic;

// commands_boxes.cpp: message boxes.
CommandFunction cmdExpectBox;
CommandFunction cmdWaitBox;
CommandFunction cmdExpectNoBox;

// commands_files.cpp: files and folders.
CommandFunction cmdWriteFile, cmdExpectFile, cmdWriteText, cmdExpectSameFile, cmdExpectNoFile, cmdFileHas,
    cmdFileLacks, cmdCopyFile, cmdDeleteFile, cmdMakeFolder;

// commands_services.cpp: the driver service.
CommandFunction cmdExpectNoService, cmdExpectServiceRunning, cmdCreateService, cmdHoldDeletedService, cmdStopService;

// commands_endings.cpp: ways out that are not the program's own buttons.
CommandFunction cmdClose, cmdEndSession, cmdCrash;

// commands_bus.cpp: a named mutex held by the script's own process.
CommandFunction cmdHoldMutex, cmdReleaseMutex;

// commands_screen.cpp: screenshots.
CommandFunction cmdScreenshot;

// commands_soak.cpp: what the program holds, counted and compared.
CommandFunction cmdSoakBaseline, cmdSoakCheck;

}  // namespace guidriver
