// Parsing of kelmoro-cli's command line, its help text and usage errors.
#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/console_text.h"
#include "platform/file_queries.h"

namespace kelmoro {
namespace {

const char kUsage[] =
    "Usage: kelmoro-cli [OPTION]... [--] FILE...\n"
    "  or:  kelmoro-cli [OPTION]... --files-from=LIST [FILE]...\n"
    "  or:  kelmoro-cli [-q] [-F] -c FILE > OUT.au\n"
    "  or:  kelmoro-cli [-q] [-F] - < IN.wav > OUT.au\n"
    "Converts each WAV file (PCM, 8/16/24/32 bits, one or two channels) to a Sun AU\n"
    "file (8-bit mu-law, one channel, 8012 Hz) beside it: the file name lower-cased,\n"
    "its first \".wav\" replaced by \".au\".\n"
    "\n"
    "  -q, --quiet             no success lines, no progress bar, no summary\n"
    "                          (errors still shown, except with --json)\n"
    "  -o, --output-dir=DIR    write the AU files into DIR (an existing folder)\n"
    "  -n, --no-clobber        keep an AU file that already exists; say it was\n"
    "                          skipped\n"
    "  -j, --jobs=N            convert up to N files at once (0: one per\n"
    "                          processor; default 1)\n"
    "      --files-from=LIST   convert the files named in LIST, one per line\n"
    "                          (\"-\": standard input); read as the run goes,\n"
    "                          mixed with the FILEs in the order given\n"
    "  -0, --null              names in LIST end with NUL, not newline\n"
    "                          (find -print0)\n"
    "      --json              one JSON object per input on stdout, in input\n"
    "                          order, instead of the success lines\n"
    "  -F, --filter            change the rate through a band-limiting filter\n"
    "                          (libsoxr) instead of keeping and dropping samples\n"
    "  -c, --stdout            write the AU data of the one FILE to standard output\n"
    "  -                       as FILE: read the WAV from standard input and write\n"
    "                          the AU data to standard output\n"
    "  -h, --help              show this help and exit\n"
    "      --version           show the version and exit\n"
    "\n"
    "An AU file written in this run is never replaced by a later input that\n"
    "maps to the same name: that input fails.\n"
    "Errors: one line each on stderr, \"kelmoro-cli: FILE: MESSAGE\".\n"
    "Exit status: 0 when every file was converted (or skipped), 1 when any failed,\n"
    "2 on a usage error; ended by a signal: 128 + its number.\n";

int UsageError(const std::string& text) {
    platform::WriteText(
        stderr, "kelmoro-cli: " + text + "\nTry 'kelmoro-cli --help' for more information.\n");
    return kExitUsage;
}

bool Is(const char* argument, const char* shortName, const char* longName) {
    return (shortName != nullptr && std::strcmp(argument, shortName) == 0) ||
           std::strcmp(argument, longName) == 0;
}

// The value of an option given as "--name=VALUE", "--name VALUE", "-xVALUE"
// or "-x VALUE"; nothing when `argument` is not that option. `shortName`
// may be null for a long option alone.
std::optional<std::string> OptionValue(int argc, char** argv, int& i, const char* shortName,
                                       const char* longName, bool& missing) {
    const char* argument = argv[i];
    const std::size_t longLength = std::strlen(longName);
    const char* inlineValue = nullptr;
    if (std::strncmp(argument, longName, longLength) == 0 && argument[longLength] == '=') {
        inlineValue = argument + longLength + 1;
    } else if (shortName != nullptr && std::strncmp(argument, shortName, 2) == 0 &&
               argument[2] != '\0') {
        inlineValue = argument + 2;
    } else if (!Is(argument, shortName, longName)) {
        return std::nullopt;
    }
    if (inlineValue != nullptr) return std::string(inlineValue);
    if (i + 1 >= argc) {
        missing = true;
        return std::string();
    }
    return std::string(argv[++i]);
}

// A usage error for an output folder that cannot be used, or nothing.
std::optional<std::string> OutputFolderProblem(const std::string& folder) {
    if (folder.empty()) return "output folder '' does not exist";
    std::string error;
    switch (platform::CheckFolder(folder, error)) {
        case platform::FolderCheck::kFolder:
            return std::nullopt;
        case platform::FolderCheck::kMissing:
            return "output folder '" + folder + "' does not exist";
        case platform::FolderCheck::kNotFolder:
            return "output folder '" + folder + "' is not a folder";
        case platform::FolderCheck::kError:
            break;
    }
    return "output folder '" + folder + "': " + error;
}

// AU data on standard output leaves room for one input named on the command
// line and for no output file, no JSON and no list read from standard input;
// and neither end of it may be a terminal. Nothing to go on, or the status.
std::optional<int> CheckStandardStreams(const CliOptions& options) {
    bool readsStandardInput = false;
    std::size_t lists = 0;
    for (const InputSource& source : options.sources) {
        if (source.isList) {
            ++lists;
        } else {
            readsStandardInput |= source.name == kStandardInputArgument;
        }
    }
    if (!readsStandardInput && !options.console.toStandardOutput) return std::nullopt;
    const std::string what = options.console.toStandardOutput ? "-c" : "'-'";
    if (options.sources.size() > 1 || lists > 0) {
        return UsageError(what + " takes one input file: its AU data is all that goes to standard output");
    }
    if (!options.console.outputFolder.empty()) {
        return UsageError(what + " writes to standard output; it cannot be combined with -o");
    }
    if (options.console.noClobber) {
        return UsageError(what + " writes to standard output; it cannot be combined with -n");
    }
    if (options.json) {
        return UsageError(what + " writes to standard output; it cannot be combined with --json");
    }
    if (platform::IsTerminal(stdout)) {
        std::fputs("kelmoro-cli: AU data not written to a terminal; redirect standard output\n", stderr);
        return kExitFailed;
    }
    if (readsStandardInput && platform::IsTerminal(stdin)) {
        std::fputs("kelmoro-cli: WAV data not read from a terminal; redirect standard input\n", stderr);
        return kExitFailed;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> ParseArguments(int argc, char** argv, CliOptions& options) {
    bool optionsEnded = false;
    bool anyInput = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (optionsEnded || argument[0] != '-' || argument[1] == '\0') {
            options.sources.push_back({false, argument});
            anyInput = true;
            continue;
        }
        bool missing = false;
        if (std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (Is(argument, "-q", "--quiet")) {
            options.console.quiet = true;
        } else if (Is(argument, "-n", "--no-clobber")) {
            options.console.noClobber = true;
        } else if (Is(argument, "-0", "--null")) {
            options.nullSeparated = true;
        } else if (Is(argument, "-F", "--filter")) {
            options.console.filtered = true;
        } else if (Is(argument, "-c", "--stdout")) {
            options.console.toStandardOutput = true;
        } else if (Is(argument, nullptr, "--json")) {
            options.json = true;
        } else if (auto folder = OptionValue(argc, argv, i, "-o", "--output-dir", missing)) {
            if (missing) return UsageError(std::string("option '") + argument + "' needs a folder");
            if (auto problem = OutputFolderProblem(*folder)) return UsageError(*problem);
            options.console.outputFolder = *folder;
        } else if (auto jobs = OptionValue(argc, argv, i, "-j", "--jobs", missing)) {
            if (missing) return UsageError(std::string("option '") + argument + "' needs a number");
            char* end = nullptr;
            const long value = std::strtol(jobs->c_str(), &end, 10);
            if (jobs->empty() || *end != '\0' || value < 0 || value > 1024) {
                return UsageError("jobs must be a number from 0 to 1024, not '" + *jobs + "'");
            }
            options.jobs = static_cast<int>(value);
        } else if (auto list = OptionValue(argc, argv, i, nullptr, "--files-from", missing)) {
            if (missing || list->empty()) {
                return UsageError(std::string("option '") + argument + "' needs a file");
            }
            options.sources.push_back({true, *list});
            anyInput = true;
        } else if (Is(argument, "-h", "--help")) {
            std::fputs(kUsage, stdout);
            return kExitConverted;
        } else if (Is(argument, nullptr, "--version")) {
            std::printf("kelmoro-cli %s\n", KELMORO_VERSION);
            return kExitConverted;
        } else {
            return UsageError(std::string("unknown option '") + argument + "'");
        }
    }
    if (!anyInput) return UsageError("no input file");
    if (auto status = CheckStandardStreams(options)) return status;
    // Only "-" alone on the command line is standard input; in a list it is
    // a file of that name.
    options.console.dashIsStandardInput = options.sources.size() == 1 && !options.sources[0].isList &&
                                          options.sources[0].name == kStandardInputArgument;
    return std::nullopt;
}

}  // namespace kelmoro
