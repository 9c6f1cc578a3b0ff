// assetgen: writes every data file the saver carries into the build tree.
//   assetgen --res SOURCE_RES_DIR --out OUTPUT_DIR
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "Placeholders.h"

int main(int argc, char** argv) {
    std::string resDir, outDir;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--res")) resDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--out")) outDir = argv[i + 1];
    }
    if (resDir.empty() || outDir.empty()) {
        std::fprintf(stderr, "usage: assetgen --res DIR --out DIR\n");
        return 2;
    }
    mkdir(outDir.c_str(), 0755);
    if (!assetgen::WritePlaceholders(resDir, outDir)) {
        std::fprintf(stderr, "assetgen: failed to write the content into %s\n", outDir.c_str());
        return 1;
    }
    return 0;
}
