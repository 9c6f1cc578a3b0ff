#include "TestHost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool TakeInt(int argc, char** argv, int& i, int& nOut) {
    if (i + 1 >= argc) return false;
    nOut = std::atoi(argv[++i]);
    return true;
}

bool TakeText(int argc, char** argv, int& i, std::string& sOut) {
    if (i + 1 >= argc) return false;
    sOut = argv[++i];
    return true;
}

}  // namespace

bool ParseHostOptions(int argc, char** argv, int nFirst, CHostOptions& opt) {
    for (int i = nFirst; i < argc; ++i) {
        const char* a = argv[i];
        bool bOk = true;
        if (!std::strcmp(a, "--image")) bOk = TakeText(argc, argv, i, opt.sImage);
        else if (!std::strcmp(a, "--class")) bOk = TakeText(argc, argv, i, opt.sClass);
        else if (!std::strcmp(a, "--title")) bOk = TakeText(argc, argv, i, opt.sTitle);
        else if (!std::strcmp(a, "--wait")) bOk = TakeInt(argc, argv, i, opt.nWaitMs);
        else if (!std::strcmp(a, "--timeout")) bOk = TakeInt(argc, argv, i, opt.nTimeoutMs);
        else if (!std::strcmp(a, "--x")) bOk = TakeInt(argc, argv, i, opt.nX);
        else if (!std::strcmp(a, "--y")) bOk = TakeInt(argc, argv, i, opt.nY);
        else if (!std::strcmp(a, "--width")) bOk = TakeInt(argc, argv, i, opt.nWidth);
        else if (!std::strcmp(a, "--height")) bOk = TakeInt(argc, argv, i, opt.nHeight);
        else if (!std::strcmp(a, "--paint-delay")) bOk = TakeInt(argc, argv, i, opt.nPaintDelayMs);
        else if (!std::strcmp(a, "--destroy-parent")) bOk = TakeInt(argc, argv, i, opt.nDestroyParentMs);
        else if (!std::strcmp(a, "--vanish")) bOk = TakeInt(argc, argv, i, opt.nVanishMs);
        else if (!std::strcmp(a, "--children")) opt.bChildren = true;
        else if (!std::strcmp(a, "--visible")) opt.bVisibleOnly = true;
        else if (a[0] == '-' && a[1] == '-') bOk = false;
        else opt.vArgs.push_back(a);
        if (!bOk) {
            std::fprintf(stderr, "cordelune-testhost: bad option %s\n", a);
            return false;
        }
    }
    return true;
}

HWND ParseWindowHandle(const char* psz) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(psz, nullptr, 0)));
}

std::string ToWindowsPath(const std::string& sPath) {
    if (sPath.empty() || sPath[0] != '/') return sPath;
    std::string s = "Z:" + sPath;
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}
