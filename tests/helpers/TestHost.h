#pragma once
// cordelune-testhost: the Windows-side eyes and hands of the end-to-end tests.
// Every report is one line of "key=value" fields on stdout, flushed at once,
// so a shell script can wait on it and grep it.
#include <windows.h>

#include <string>
#include <vector>

struct CHostOptions {
    std::vector<std::string> vArgs;  // positional arguments after the command
    std::string sImage;              // process image file name to match (basename)
    std::string sClass;              // window class to match
    std::string sTitle;              // window caption to match
    int nWaitMs = 0;                 // keep looking this long for a first match
    int nTimeoutMs = 15000;          // preview: how long to wait for child and exit
    int nX = 100, nY = 100;          // preview: parent position on the screen
    int nWidth = 300, nHeight = 200; // preview: parent client size
    int nPaintDelayMs = 1000;        // preview: when to look at the child's pixels
    int nDestroyParentMs = -1;       // preview: destroy the parent this long after the child appears
    int nVanishMs = -1;              // preview: end the host this long after the child appears,
                                     // leaving the parent to the system and the saver running
    bool bChildren = false;          // also list each window's children
    bool bVisibleOnly = false;
};

// Parses "--name value" options and positional arguments; false on a bad option.
bool ParseHostOptions(int argc, char** argv, int nFirst, CHostOptions& opt);

// Accepts 0x-prefixed hex or decimal window numbers.
HWND ParseWindowHandle(const char* psz);

// "/work/x/y.scr" -> "Z:\work\x\y.scr"; Windows paths are returned unchanged.
std::string ToWindowsPath(const std::string& sPath);

// Basename of the image of a process, "" when it cannot be opened.
std::string ProcessImageName(DWORD dwPid);

// One report line describing a window (tag "window" or "child").
void PrintWindowLine(const char* pszTag, HWND hWnd);

// Compares the screen inside rc with bitmap resource nBitmapId of sSaver and
// prints one "paint" line.
void ReportPaint(const RECT& rc, const std::string& sSaver, int nBitmapId);

int RunWindowList(const CHostOptions& opt);
int RunPreviewHost(const CHostOptions& opt);
// Waits up to nMs for process dwPid to end; prints "process exit=N ms=T" or
// "process running ms=T" and returns 0 or 1.
int RunWaitProcess(DWORD dwPid, int nMs);
// Monitors and display adapters as the platform reports them.
int RunMonitorList();
int RunProcessObjects(const CHostOptions& opt);
