// kelmoro-cli: converts WAV files to AU files (8-bit mu-law, mono, 8012 Hz)
// beside them or into one folder, for scripts and machines without a display.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "console/console_host.h"
#include "console/console_output.h"
#include "parallel_runner.h"
#include "platform/code_page.h"
#include "platform/interrupt_cleanup.h"
#include "platform/standard_streams.h"

namespace {

using kelmoro::FileOutcome;

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: kelmoro-cli [-q] [-n] [-F] [-o DIR] [-j N] [--] FILE...\n"
    "       kelmoro-cli [-q] [-F] -c FILE    (or '-': standard input to standard output)\n"
    "Converts each WAV file (PCM, 8/16/24/32 bits, one or two channels) to a Sun AU\n"
    "file (8-bit mu-law, one channel, 8012 Hz) beside it: the file name lower-cased,\n"
    "its first \".wav\" replaced by \".au\".\n"
    "\n"
    "  -q, --quiet          no success lines, no progress bar, no summary\n"
    "                       (errors still shown)\n"
    "  -o, --output-dir=DIR write the AU files into DIR (an existing folder)\n"
    "  -n, --no-clobber     keep an AU file that already exists; say it was skipped\n"
    "  -j, --jobs=N         convert up to N files at once (0: one per processor;\n"
    "                       default 1)\n"
    "  -F, --filter         change the rate through a band-limiting filter (libsoxr)\n"
    "                       instead of keeping and dropping whole samples\n"
    "  -c, --stdout         write the AU data to standard output instead of a file\n"
    "  -                    as FILE: read the WAV from standard input, write the AU\n"
    "                       data to standard output\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Errors: one line each on stderr, \"kelmoro-cli: FILE: MESSAGE\".\n"
    "Exit status: 0 when every file was converted (or skipped), 1 when any failed,\n"
    "2 on a usage error.\n";

struct Options {
    kelmoro::ConsoleOptions console;
    int jobs = 1;
    std::vector<std::string> files;
};

int UsageError(const std::string& text) {
    std::fprintf(stderr, "kelmoro-cli: %s\n%s", text.c_str(), kUsage);
    return kExitUsage;
}

// The value of an option given as "--name=VALUE", "--name VALUE", "-xVALUE"
// or "-x VALUE"; nothing when `argument` is not that option.
std::optional<std::string> OptionValue(int argc, char** argv, int& i, const char* shortName,
                                       const char* longName, bool& missing) {
    const char* argument = argv[i];
    const std::size_t longLength = std::strlen(longName);
    const char* inline_ = nullptr;
    if (std::strncmp(argument, longName, longLength) == 0 && argument[longLength] == '=') {
        inline_ = argument + longLength + 1;
    } else if (std::strncmp(argument, shortName, 2) == 0 && argument[2] != '\0') {
        inline_ = argument + 2;
    } else if (std::strcmp(argument, longName) != 0 && std::strcmp(argument, shortName) != 0) {
        return std::nullopt;
    }
    if (inline_ != nullptr) return std::string(inline_);
    if (i + 1 >= argc) {
        missing = true;
        return std::string();
    }
    return std::string(argv[++i]);
}

// AU data on standard output leaves room for one input and no output file;
// and neither end of it may be a terminal. Nothing to go on, or the status.
std::optional<int> CheckStandardStreams(const Options& options) {
    const bool readsStandardInput =
        std::find(options.files.begin(), options.files.end(), kelmoro::kStandardInputArgument) !=
        options.files.end();
    if (!readsStandardInput && !options.console.toStandardOutput) return std::nullopt;
    const char* what = options.console.toStandardOutput ? "-c" : "'-'";
    if (options.files.size() > 1) {
        return UsageError(std::string(what) + " takes one input file: its AU data is all that goes to standard output");
    }
    if (!options.console.outputFolder.empty()) {
        return UsageError(std::string(what) + " writes to standard output; it cannot be combined with -o");
    }
    if (options.console.noClobber) {
        return UsageError(std::string(what) + " writes to standard output; it cannot be combined with -n");
    }
    if (isatty(STDOUT_FILENO) == 1) {
        std::fputs("kelmoro-cli: AU data not written to a terminal; redirect standard output\n", stderr);
        return kExitFailed;
    }
    if (readsStandardInput && isatty(STDIN_FILENO) == 1) {
        std::fputs("kelmoro-cli: WAV data not read from a terminal; redirect standard input\n", stderr);
        return kExitFailed;
    }
    return std::nullopt;
}

// Nothing to go on, or the exit status to end with at once.
std::optional<int> ParseArguments(int argc, char** argv, Options& options) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (optionsEnded || argument[0] != '-' || argument[1] == '\0') {
            options.files.emplace_back(argument);
            continue;
        }
        bool missing = false;
        if (std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(argument, "-q") == 0 || std::strcmp(argument, "--quiet") == 0) {
            options.console.quiet = true;
        } else if (std::strcmp(argument, "-F") == 0 || std::strcmp(argument, "--filter") == 0) {
            options.console.filtered = true;
        } else if (std::strcmp(argument, "-c") == 0 || std::strcmp(argument, "--stdout") == 0) {
            options.console.toStandardOutput = true;
        } else if (std::strcmp(argument, "-n") == 0 || std::strcmp(argument, "--no-clobber") == 0) {
            options.console.noClobber = true;
        } else if (auto folder = OptionValue(argc, argv, i, "-o", "--output-dir", missing)) {
            if (missing) return UsageError(std::string("option '") + argument + "' needs a folder");
            struct stat info;
            if (folder->empty() || stat(folder->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
                return UsageError("output folder '" + *folder + "' does not exist");
            }
            options.console.outputFolder = *folder;
        } else if (auto jobs = OptionValue(argc, argv, i, "-j", "--jobs", missing)) {
            if (missing) return UsageError(std::string("option '") + argument + "' needs a number");
            char* end = nullptr;
            const long value = std::strtol(jobs->c_str(), &end, 10);
            if (jobs->empty() || *end != '\0' || value < 0 || value > 1024) {
                return UsageError("jobs must be a number from 0 to 1024, not '" + *jobs + "'");
            }
            options.jobs = static_cast<int>(value);
        } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return kExitConverted;
        } else if (std::strcmp(argument, "--version") == 0) {
            std::printf("kelmoro-cli %s\n", KELMORO_VERSION);
            return kExitConverted;
        } else {
            return UsageError(std::string("unknown option '") + argument + "'");
        }
    }
    if (options.files.empty()) return UsageError("no input file");
    return CheckStandardStreams(options);
}

}  // namespace

int main(int argc, char** argv) {
    platform::KeepStandardStreamsOpen();
    platform::InstallInterruptCleanup();
    std::setlocale(LC_ALL, "");
    platform::SelectCodePageFromLocale();

    Options options;
    options.console.dashIsStandardInput = true;
    if (auto status = ParseArguments(argc, argv, options)) {
        return kelmoro::FinishOutput(*status, "kelmoro-cli");
    }

    int jobs = options.jobs;
    if (jobs == 0) jobs = static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
    if (static_cast<std::size_t>(jobs) > options.files.size()) {
        jobs = static_cast<int>(options.files.size());
    }

    const bool stderrIsTerminal = isatty(STDERR_FILENO) == 1;
    std::vector<FileOutcome> outcomes;
    if (jobs <= 1) {
        kelmoro::ConsoleHost host("kelmoro-cli", stderr,
                                  !options.console.quiet && stderrIsTerminal);
        for (const std::string& file : options.files) {
            outcomes.push_back(kelmoro::ConvertFileOnConsole(host, file, options.console, stdout));
        }
    } else {
        outcomes = kelmoro::ConvertInParallel(options.files, options.console, jobs);
    }

    int converted = 0, skipped = 0, failed = 0;
    for (FileOutcome outcome : outcomes) {
        if (outcome == FileOutcome::kConverted) ++converted;
        if (outcome == FileOutcome::kSkipped) ++skipped;
        if (outcome == FileOutcome::kFailed) ++failed;
    }
    if (options.files.size() > 1 && !options.console.quiet && stderrIsTerminal) {
        std::fprintf(stderr, "kelmoro-cli: %zu files: %d converted, %d skipped, %d failed\n",
                     options.files.size(), converted, skipped, failed);
    }
    return kelmoro::FinishOutput(failed > 0 ? kExitFailed : kExitConverted, "kelmoro-cli");
}
