// kelmoro-cli's command line: the options it takes and the inputs it names,
// names and file lists in the order they were given.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "console/console_host.h"

namespace kelmoro {

// One input source as given on the command line: a file to convert, or a
// list of such files (`--files-from`; "-" is standard input).
struct InputSource {
    bool isList = false;
    std::string name;
};

struct CliOptions {
    ConsoleOptions console;
    int jobs = 1;  // 0: one per processor
    bool json = false;
    bool nullSeparated = false;  // lists separated by NUL, not newline
    std::vector<InputSource> sources;
};

// Exit statuses. 255 is never used: xargs takes it as "stop everything" and
// GNU parallel reserves it.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Reads `argv` into `options`. Returns nothing to go on, or the exit status
// to end with at once (after --help, --version or a usage error, which has
// been printed).
std::optional<int> ParseArguments(int argc, char** argv, CliOptions& options);

}  // namespace kelmoro
