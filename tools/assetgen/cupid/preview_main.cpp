// cupid_preview DIR: renders the cupid and the heart into PNG sheets in DIR.
#include <cstdio>
#include <sys/stat.h>

#include "Preview.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cupid_preview DIR\n");
        return 2;
    }
    mkdir(argv[1], 0755);
    if (!assetgen::cupid::WriteCupidPreviewSheets(argv[1])) {
        std::fprintf(stderr, "cupid_preview: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
