// The framework's command-line record and parser, adapted to this
// platform: an argument that begins with "-" is a shell option, "--" ends the
// options, and the other arguments are file names, kept byte for byte; the
// first is the file name of the framework's record.
// Unknown options are ignored, as the framework ignores unknown flags.
#pragma once

#include <string>
#include <vector>

namespace kelmoro {

struct CCommandLineInfo {
    // In the framework's order; everything above FileNew converts a file
    // name given with it.
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister };

    ShellCommand shellCommand = FileNew;
    std::string fileName;                // the first file name
    std::vector<std::string> fileNames;  // every file name, in order
};

// "--help" and "--version" are no shell options but requests to print the
// usage or the version and end at once, without a window, as Linux programs
// do. The first of them before any "--" counts.
enum class InfoRequest { kNone, kHelp, kVersion };
InfoRequest FindInfoRequest(const std::vector<std::string>& arguments);

// Parses arguments (without the program name) as the document framework
// does: each option sets the shell command or a flag, a bare file name makes
// the command FileOpen when nothing else was asked for.
CCommandLineInfo ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace kelmoro
