// assetgen: writes every data file the saver carries into the build tree.
//   assetgen --res SOURCE_RES_DIR --out OUTPUT_DIR [--preview PREVIEW_DIR]
// --preview also writes PNG contact sheets of the textures, renders of the
// meshes and a top view of every camera path.
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "Content.h"
#include "Preview.h"

int main(int argc, char** argv) {
    std::string resDir, outDir, previewDir;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--res")) resDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--out")) outDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--preview")) previewDir = argv[i + 1];
    }
    if (resDir.empty() || (outDir.empty() && previewDir.empty())) {
        std::fprintf(stderr, "usage: assetgen --res DIR --out DIR [--preview DIR]\n");
        return 2;
    }
    assetgen::ContentSet content;
    std::string error;
    if (!assetgen::BuildContent(resDir, content, error)) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    if (!outDir.empty()) {
        mkdir(outDir.c_str(), 0755);
        if (!assetgen::WriteContent(content, outDir)) {
            std::fprintf(stderr, "assetgen: failed to write the content into %s\n", outDir.c_str());
            return 1;
        }
    }
    if (!previewDir.empty()) {
        mkdir(previewDir.c_str(), 0755);
        if (!assetgen::WritePreview(content, previewDir)) {
            std::fprintf(stderr, "assetgen: failed to write the preview into %s\n", previewDir.c_str());
            return 1;
        }
    }
    return 0;
}
