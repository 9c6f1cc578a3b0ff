// The screensaver command line on arbitrary text (cut at its first NUL, as
// Windows hands it over).
#include <string>

#include "host/CommandLine.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string strLine(reinterpret_cast<const char*>(data), size);
    const CommandLine cl = ParseCommandLine(strLine.c_str());
    FUZZ_CHECK(cl.nRunMode >= RUNMODE_CONFIG && cl.nRunMode <= RUNMODE_PASSWORD);
    return 0;
}
