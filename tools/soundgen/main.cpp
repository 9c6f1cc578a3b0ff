// soundgen: writes the saver's music and effects as Ogg Vorbis files.
//   soundgen --out OUTPUT_DIR
// Stand-in: empty files until the sounds are composed.
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    std::string outDir;
    for (int i = 1; i + 1 < argc; i += 2)
        if (!std::strcmp(argv[i], "--out")) outDir = argv[i + 1];
    if (outDir.empty()) {
        std::fprintf(stderr, "usage: soundgen --out DIR\n");
        return 2;
    }
    for (const char* name : {"hit.ogg", "shot.ogg", "music.ogg"}) {
        FILE* f = std::fopen((outDir + "/" + name).c_str(), "wb");
        if (!f || std::fclose(f) != 0) return 1;
    }
    return 0;
}
