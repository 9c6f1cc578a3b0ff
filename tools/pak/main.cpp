// cordelune-pak: the archive tool of the build.
//   cordelune-pak list ARCHIVE
//   cordelune-pak extract ARCHIVE ENTRY [-p PASSWORD] [-o FILE]
//   cordelune-pak test ARCHIVE [-p PASSWORD]
//   cordelune-pak pack ARCHIVE FILE... [-m0..-m5] [--audio auto|on|off] [--solid] [-p PASSWORD] [--dir NAME]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PakCommands.h"

namespace {

const char kUsage[] =
    "usage: cordelune-pak list ARCHIVE\n"
    "       cordelune-pak extract ARCHIVE ENTRY [-p PASSWORD] [-o FILE]\n"
    "       cordelune-pak test ARCHIVE [-p PASSWORD]\n"
    "       cordelune-pak pack ARCHIVE FILE... [-m0..-m5] [--audio auto|on|off] [--solid]\n"
    "                          [-p PASSWORD] [--dir NAME]\n";

int Usage(const std::string& strProblem) {
    if (!strProblem.empty()) pak::ReportError(strProblem);
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("");
    const std::string strCommand = argv[1];
    if (strCommand == "-h" || strCommand == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::vector<std::string> args;
    std::string strPassword, strOutput;
    pak::PackOptions pack;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& dest) {
            if (i + 1 >= argc) return false;
            dest = argv[++i];
            return true;
        };
        if (a == "-p") {
            if (!value(strPassword)) return Usage("-p needs a password");
        } else if (a == "-o") {
            if (!value(strOutput)) return Usage("-o needs a file name");
        } else if (a == "--audio") {
            if (!value(pack.strAudio) || (pack.strAudio != "auto" && pack.strAudio != "on" && pack.strAudio != "off"))
                return Usage("--audio takes auto, on or off");
        } else if (a == "--dir") {
            if (!value(pack.strDirectory) || pack.strDirectory.empty()) return Usage("--dir needs a name");
        } else if (a == "--solid") {
            pack.bSolid = true;
        } else if (a.size() == 3 && a[0] == '-' && a[1] == 'm' && a[2] >= '0' && a[2] <= '5') {
            pack.nLevel = a[2] - '0';
        } else if (a == "--") {
            for (++i; i < argc; ++i) args.push_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option " + a);
        } else {
            args.push_back(a);
        }
    }
    pack.strPassword = strPassword;

    if (strCommand == "list") {
        if (args.size() != 1) return Usage("list takes one archive");
        return pak::CommandList(args[0]);
    }
    if (strCommand == "extract") {
        if (args.size() != 2) return Usage("extract takes an archive and an entry name");
        return pak::CommandExtract(args[0], args[1], strPassword, strOutput);
    }
    if (strCommand == "test") {
        if (args.size() != 1) return Usage("test takes one archive");
        return pak::CommandTest(args[0], strPassword);
    }
    if (strCommand == "pack") {
        if (args.size() < 2) return Usage("pack takes an archive and at least one file");
        return pak::CommandPack(args[0], std::vector<std::string>(args.begin() + 1, args.end()), pack);
    }
    return Usage("unknown command " + strCommand);
}
