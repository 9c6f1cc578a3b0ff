#pragma once
// The commands of cordelune-pak. Each returns the process exit status:
// 0 success, 1 failure (with a one-line message on stderr), 2 bad usage.
#include <string>
#include <vector>

namespace pak {

struct PackOptions {
    int nLevel = 3;            // -m0 .. -m5
    std::string strAudio = "auto";
    bool bSolid = false;
    std::string strPassword;
    std::string strDirectory;  // --dir: entries go under this folder
};

int CommandList(const std::string& strArchive);
int CommandExtract(const std::string& strArchive, const std::string& strEntry, const std::string& strPassword,
                   const std::string& strOutput);
int CommandTest(const std::string& strArchive, const std::string& strPassword);
int CommandPack(const std::string& strArchive, const std::vector<std::string>& files, const PackOptions& options);

// Prints "cordelune-pak: MESSAGE" on stderr.
void ReportError(const std::string& strMessage);

} // namespace pak
