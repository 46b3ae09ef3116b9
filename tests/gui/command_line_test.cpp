// The framework's command-line rules, adapted to this platform:
// "-" starts a shell option, "--" ends the options, the first other argument
// is the file name, byte for byte.
#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelmoro {
namespace {

struct Case {
    std::vector<std::string> arguments;
    CCommandLineInfo::ShellCommand command;
    std::string fileName;
    // Every file name, when more than the one above.
    std::vector<std::string> fileNames = {};
};

TEST(CommandLine, ParsesLikeTheFramework) {
    const Case cases[] = {
        Case{{}, CCommandLineInfo::FileNew, ""},
        Case{{"a.wav"}, CCommandLineInfo::FileOpen, "a.wav"},
        Case{{"C:\\a\\b.wav"}, CCommandLineInfo::FileOpen, "C:\\a\\b.wav"},
        Case{{"/x/音声 Ｔ.WAV"}, CCommandLineInfo::FileOpen, "/x/音声 Ｔ.WAV"},
        Case{{"\x83\x5c.wav"}, CCommandLineInfo::FileOpen, "\x83\x5c.wav"},  // Shift-JIS bytes
        Case{{"first.wav", "second.wav"},
             CCommandLineInfo::FileOpen,
             "first.wav",
             {"first.wav", "second.wav"}},
        Case{{"a.wav", "--", "-b.wav", "c.wav"},
             CCommandLineInfo::FileOpen,
             "a.wav",
             {"a.wav", "-b.wav", "c.wav"}},
        Case{{"-p"}, CCommandLineInfo::FilePrint, ""},
        Case{{"-P", "a.wav"}, CCommandLineInfo::FilePrint, "a.wav"},
        Case{{"-pt", "a.wav", "printer"}, CCommandLineInfo::FilePrintTo, "a.wav"},
        Case{{"-dde"}, CCommandLineInfo::FileDDE, ""},
        Case{{"-unregister"}, CCommandLineInfo::AppUnregister, ""},
        Case{{"-Unregserver"}, CCommandLineInfo::AppUnregister, ""},
        Case{{"-embedding"}, CCommandLineInfo::FileNew, ""},
        Case{{"-automation", "a.wav"}, CCommandLineInfo::FileOpen, "a.wav"},
        Case{{"-unknown"}, CCommandLineInfo::FileNew, ""},
        Case{{"--", "-p"}, CCommandLineInfo::FileOpen, "-p"},
        Case{{"-p", "--", "--"}, CCommandLineInfo::FilePrint, "--"},
        Case{{"--help"}, CCommandLineInfo::FileNew, ""},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const auto& argument : c.arguments) label += "[" + argument + "]";
        const CCommandLineInfo info = ParseCommandLine(c.arguments);
        EXPECT_EQ(info.shellCommand, c.command) << label;
        EXPECT_EQ(info.fileName, c.fileName) << label;
        std::vector<std::string> fileNames = c.fileNames;
        if (fileNames.empty() && !c.fileName.empty()) fileNames = {c.fileName};
        EXPECT_EQ(info.fileNames, fileNames) << label;
    }
}

// "--help" and "--version" are found up to "--"; the first one counts.
TEST(CommandLine, FindsHelpAndVersionBeforeTheFiles) {
    const std::pair<std::vector<std::string>, InfoRequest> cases[] = {
        {{"--help"}, InfoRequest::kHelp},
        {{"--version"}, InfoRequest::kVersion},
        {{"-p", "a.wav", "--version", "--help"}, InfoRequest::kVersion},
        {{"--", "--help"}, InfoRequest::kNone},
        {{"-help", "-version", "-h"}, InfoRequest::kNone},
        {{"a.wav"}, InfoRequest::kNone},
    };
    for (const auto& [arguments, request] : cases) {
        EXPECT_EQ(FindInfoRequest(arguments), request) << arguments.front();
    }
}

}  // namespace
}  // namespace kelmoro
