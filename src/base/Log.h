#pragma once
// The diagnostic log. Call sites pass LogPath(): the file named by the
// environment variable CORDELUNE_LOG, or null, in which case nothing is written.

const char* LogPath();

// Formats into one process-wide buffer, appends the text to the file and
// closes it again, so the log survives a crash. A null or empty path writes nothing.
void LogMessage(const char* pszPath, const char* pszFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
