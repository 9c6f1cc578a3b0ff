#pragma once
// The screensaver command line: which run mode Windows asks for.
#include <cstdint>

enum RunMode : int32_t {
    RUNMODE_CONFIG = 0,    // no switch, /c
    RUNMODE_PREVIEW = 1,   // /p <parent window>
    RUNMODE_SAVER = 2,     // /s and any unknown letter
    RUNMODE_TEST = 3,      // /t
    RUNMODE_PASSWORD = 4,  // /a <parent window>
};

struct CommandLine {
    int32_t nRunMode = RUNMODE_CONFIG;
    uintptr_t nWindow = 0;  // the window number given after the switch, 0 if none
};

// Parses the full command line, program name included. A null line is empty.
CommandLine ParseCommandLine(const char* pszLine);
