// Command-line parsing after the framework's CCommandLineInfo.
#include "command_line.h"

#include <strings.h>

namespace kelmoro {
namespace {

bool Is(const std::string& flag, const char* name) {
    return strcasecmp(flag.c_str(), name) == 0;
}

void ParseFlag(CCommandLineInfo& info, const std::string& flag) {
    if (Is(flag, "pt")) {
        info.shellCommand = CCommandLineInfo::FilePrintTo;
    } else if (Is(flag, "p")) {
        info.shellCommand = CCommandLineInfo::FilePrint;
    } else if (Is(flag, "unregister") || Is(flag, "unregserver")) {
        info.shellCommand = CCommandLineInfo::AppUnregister;
    } else if (Is(flag, "dde")) {
        info.shellCommand = CCommandLineInfo::FileDDE;
    }
    // "-embedding", "-automation" and unknown flags change nothing here.
}

void ParseNotFlag(CCommandLineInfo& info, const std::string& argument) {
    // After "-pt" the arguments that follow the file name the printer,
    // driver and port, which are not used; otherwise each is a file.
    if (info.shellCommand == CCommandLineInfo::FilePrintTo && !info.fileNames.empty()) return;
    if (info.fileName.empty()) info.fileName = argument;
    info.fileNames.push_back(argument);
}

}  // namespace

InfoRequest FindInfoRequest(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument == "--help") return InfoRequest::kHelp;
        if (argument == "--version") return InfoRequest::kVersion;
    }
    return InfoRequest::kNone;
}

CCommandLineInfo ParseCommandLine(const std::vector<std::string>& arguments) {
    CCommandLineInfo info;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && !argument.empty() && argument[0] == '-') {
            ParseFlag(info, argument.substr(1));
        } else {
            ParseNotFlag(info, argument);
        }
    }
    // A file name alone asks for it to be opened.
    if (info.shellCommand == CCommandLineInfo::FileNew && !info.fileName.empty()) {
        info.shellCommand = CCommandLineInfo::FileOpen;
    }
    return info;
}

}  // namespace kelmoro
