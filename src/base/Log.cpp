#include "base/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
char g_szLogBuffer[4096];
}

const char* LogPath() {
    static const char* s_pszPath = std::getenv("CORDELUNE_LOG");
    return s_pszPath;
}

void LogMessage(const char* pszPath, const char* pszFormat, ...) {
    if (!pszPath || !*pszPath || !pszFormat) return;
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(g_szLogBuffer, sizeof g_szLogBuffer, pszFormat, args);
    va_end(args);
    FILE* f = std::fopen(pszPath, "a+");
    if (!f) return;
    std::fputs(g_szLogBuffer, f);
    std::fclose(f);
}
