// The product's name, maker and version as the version resources show them.
// The installer script reads these three lines (dist/Cordelune.nsi): keep
// each on one line, written "#define NAME "text"".
#pragma once

#ifndef CORDELUNE_VERSION_MAJOR
#error "CORDELUNE_VERSION_MAJOR, _MINOR and _PATCH come from the build"
#endif

#define CORDELUNE_STRINGIZE_(x) #x
#define CORDELUNE_STRINGIZE(x) CORDELUNE_STRINGIZE_(x)
#define CORDELUNE_VERSION_TEXT CORDELUNE_STRINGIZE(CORDELUNE_VERSION_MAJOR) "." \
    CORDELUNE_STRINGIZE(CORDELUNE_VERSION_MINOR) "." CORDELUNE_STRINGIZE(CORDELUNE_VERSION_PATCH)

#define CORDELUNE_PRODUCT "Cordelune 3D Screensaver"
#define CORDELUNE_COMPANY "Brightvane"
#define CORDELUNE_COPYRIGHT "Copyright (c) 2026 the Cordelune developers"
