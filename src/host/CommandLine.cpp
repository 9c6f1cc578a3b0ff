#include "host/CommandLine.h"

#include <cstdlib>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number after a switch: every non-digit is skipped, so "/p:12", "/p 12"
// and "/p-12" all name window 12.
uintptr_t ReadWindowNumber(const char* p) {
    while (*p && !IsDigit(*p)) ++p;
    if (!*p) return 0;
    return uintptr_t(std::strtoul(p, nullptr, 10));
}

const char* SkipProgramName(const char* p) {
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ') ++p;
        if (*p == ' ') ++p;
    }
    return p;
}

}  // namespace

CommandLine ParseCommandLine(const char* pszLine) {
    CommandLine result;
    if (!pszLine) return result;
    const char* p = SkipProgramName(pszLine);
    while (*p && *p != '/' && *p != '-') ++p;
    if (!*p) return result;
    const char letter = p[1];
    switch (letter) {
    case 'a': case 'A':
        result.nRunMode = RUNMODE_PASSWORD;
        result.nWindow = ReadWindowNumber(p + 2);
        break;
    case 'c': case 'C':
        result.nRunMode = RUNMODE_CONFIG;
        result.nWindow = ReadWindowNumber(p + 2);
        break;
    case 'p': case 'P':
        result.nRunMode = RUNMODE_PREVIEW;
        result.nWindow = ReadWindowNumber(p + 2);
        break;
    case 't': case 'T':
        result.nRunMode = RUNMODE_TEST;
        break;
    default:
        result.nRunMode = RUNMODE_SAVER;
        break;
    }
    return result;
}
