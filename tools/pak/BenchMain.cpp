// cordelune-pak-bench: in-process decoding speed of the saver's reader.
//   cordelune-pak-bench ARCHIVE [-p PASSWORD] [-n RUNS]
// Extracts every file entry RUNS times (default 3) and prints the best
// throughput in MB/s (10^6 bytes of output per second), wall and CPU time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "FileIo.h"
#include "RarListing.h"
#include "assets/ArchiveReader.h"

int main(int argc, char** argv) {
    std::string strArchive, strPassword;
    int nRuns = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-p" && i + 1 < argc) strPassword = argv[++i];
        else if (a == "-n" && i + 1 < argc) nRuns = std::atoi(argv[++i]);
        else strArchive = a;
    }
    if (strArchive.empty() || nRuns < 1) {
        std::fprintf(stderr, "usage: cordelune-pak-bench ARCHIVE [-p PASSWORD] [-n RUNS]\n");
        return 2;
    }
    std::vector<uint8_t> data;
    std::string strError;
    rarwrite::RarListing listing;
    if (!pak::ReadWholeFile(strArchive, data, strError) ||
        !rarwrite::ListArchive(data.data(), data.size(), listing, strError)) {
        std::fprintf(stderr, "cordelune-pak-bench: %s\n", strError.c_str());
        return 1;
    }
    double dBestWall = 1e30, dBestCpu = 1e30;
    uint64_t nBytes = 0;
    for (int run = 0; run < nRuns; ++run) {
        nBytes = 0;
        const auto t0 = std::chrono::steady_clock::now();
        const std::clock_t c0 = std::clock();
        for (const rarwrite::RarListedEntry& e : listing.entries) {
            if (e.IsDirectory()) continue;
            ResourceBlob blob;
            blob.pData = data.data();
            blob.nSize = uint32_t(data.size());
            uint8_t* p = nullptr;
            uint32_t n = 0;
            if (!ExtractArchiveEntry(&p, &n, e.strName.c_str(), &blob,
                                     strPassword.empty() ? nullptr : strPassword.c_str())) {
                std::fprintf(stderr, "cordelune-pak-bench: %s: extraction failed\n", e.strName.c_str());
                return 1;
            }
            nBytes += n;
            std::free(p);
        }
        const double dCpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
        const double dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (dWall < dBestWall) dBestWall = dWall;
        if (dCpu < dBestCpu) dBestCpu = dCpu;
    }
    std::printf("%llu bytes: best of %d runs %.3f s wall (%.1f MB/s), %.3f s CPU (%.1f MB/s)\n",
                static_cast<unsigned long long>(nBytes), nRuns, dBestWall, nBytes / dBestWall / 1e6, dBestCpu,
                nBytes / dBestCpu / 1e6);
    return 0;
}
