// Parsing of kelmoro-cli's command line, its help text and usage errors.
#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

// The options, each with the letter and the long name it is given by.
enum class Option {
    kQuiet,
    kNoClobber,
    kNull,
    kFilter,
    kStdout,
    kJson,
    kOutputDir,
    kJobs,
    kFilesFrom,
    kHelp,
    kVersion
};
struct OptionName {
    Option option;
    char letter;  // '\0': a long name only
    const char* name;
    bool takesValue;
};
constexpr OptionName kOptionNames[] = {
    {Option::kQuiet, 'q', "quiet", false},
    {Option::kNoClobber, 'n', "no-clobber", false},
    {Option::kNull, '0', "null", false},
    {Option::kFilter, 'F', "filter", false},
    {Option::kStdout, 'c', "stdout", false},
    {Option::kJson, '\0', "json", false},
    {Option::kOutputDir, 'o', "output-dir", true},
    {Option::kJobs, 'j', "jobs", true},
    {Option::kFilesFrom, '\0', "files-from", true},
    {Option::kHelp, 'h', "help", false},
    {Option::kVersion, '\0', "version", false},
};

const OptionName* ByLetter(char letter) {
    for (const OptionName& name : kOptionNames) {
        if (letter != '\0' && name.letter == letter) return &name;
    }
    return nullptr;
}

const OptionName* ByName(std::string_view given) {
    for (const OptionName& name : kOptionNames) {
        if (given == name.name) return &name;
    }
    return nullptr;
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
        return UsageError(what +
                          " takes one input file: its AU data is all that goes to standard output");
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
        std::fputs("kelmoro-cli: AU data not written to a terminal; redirect standard output\n",
                   stderr);
        return kExitFailed;
    }
    if (readsStandardInput && platform::IsTerminal(stdin)) {
        std::fputs("kelmoro-cli: WAV data not read from a terminal; redirect standard input\n",
                   stderr);
        return kExitFailed;
    }
    return std::nullopt;
}

// Carries out one option as given (`spelled`: "-o" or "--output-dir"), with
// its value when it takes one and one was there. Nothing to go on, or the
// status to end with at once.
std::optional<int> Apply(const OptionName& given, const std::string& spelled,
                         const std::optional<std::string>& value, CliOptions& options,
                         bool& anyInput) {
    switch (given.option) {
        case Option::kQuiet:
            options.console.quiet = true;
            break;
        case Option::kNoClobber:
            options.console.noClobber = true;
            break;
        case Option::kNull:
            options.nullSeparated = true;
            break;
        case Option::kFilter:
            options.console.filtered = true;
            break;
        case Option::kStdout:
            options.console.toStandardOutput = true;
            break;
        case Option::kJson:
            options.json = true;
            break;
        case Option::kOutputDir:
            if (!value) return UsageError("option '" + spelled + "' needs a folder");
            if (auto problem = OutputFolderProblem(*value)) return UsageError(*problem);
            options.console.outputFolder = *value;
            break;
        case Option::kJobs: {
            if (!value) return UsageError("option '" + spelled + "' needs a number");
            char* end = nullptr;
            const long jobs = std::strtol(value->c_str(), &end, 10);
            if (value->empty() || *end != '\0' || jobs < 0 || jobs > 1024) {
                return UsageError("jobs must be a number from 0 to 1024, not '" + *value + "'");
            }
            options.jobs = static_cast<int>(jobs);
            break;
        }
        case Option::kFilesFrom:
            if (!value || value->empty())
                return UsageError("option '" + spelled + "' needs a file");
            options.sources.push_back({true, *value});
            anyInput = true;
            break;
        case Option::kHelp:
            std::fputs(kUsage, stdout);
            return kExitConverted;
        case Option::kVersion:
            std::printf("kelmoro-cli %s\n", KELMORO_VERSION);
            return kExitConverted;
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
        if (std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> value;
        if (argument[1] == '-') {
            // "--name", "--name=VALUE" or "--name VALUE".
            const char* equals = std::strchr(argument, '=');
            const std::string_view name =
                equals == nullptr ? std::string_view(argument + 2)
                                  : std::string_view(argument + 2, equals - argument - 2);
            const OptionName* given = ByName(name);
            if (given == nullptr || (equals != nullptr && !given->takesValue)) {
                return UsageError(std::string("unknown option '") + argument + "'");
            }
            if (given->takesValue && equals != nullptr) value = equals + 1;
            if (given->takesValue && equals == nullptr && i + 1 < argc) value = argv[++i];
            const std::string spelled = "--" + std::string(name);
            if (auto status = Apply(*given, spelled, value, options, anyInput)) return status;
            continue;
        }
        // Letters, several in one argument as getopt takes them ("-qn"); one
        // that takes a value takes the rest of the argument ("-j2", "-qj2"),
        // or else the next argument ("-qj 2").
        for (const char* letter = argument + 1; *letter != '\0'; ++letter) {
            const OptionName* given = ByLetter(*letter);
            if (given == nullptr)
                return UsageError(std::string("unknown option '-") + *letter + "'");
            if (given->takesValue && letter[1] != '\0') value = letter + 1;
            if (given->takesValue && letter[1] == '\0' && i + 1 < argc) value = argv[++i];
            const std::string spelled = std::string("-") + *letter;
            if (auto status = Apply(*given, spelled, value, options, anyInput)) return status;
            if (given->takesValue) break;
        }
    }
    if (!anyInput) return UsageError("no input file");
    if (auto status = CheckStandardStreams(options)) return status;
    // Only "-" alone on the command line is standard input; in a list it is
    // a file of that name.
    options.console.dashIsStandardInput = options.sources.size() == 1 &&
                                          !options.sources[0].isList &&
                                          options.sources[0].name == kStandardInputArgument;
    return std::nullopt;
}

}  // namespace kelmoro
