// kelmoro-cli: converts WAV files to AU files (8-bit mu-law, mono, 8012 Hz)
// beside them, for scripts and machines without a display.
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "console_host.h"
#include "console_output.h"
#include "platform/code_page.h"
#include "platform/interrupt_cleanup.h"
#include "platform/standard_streams.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: kelmoro-cli [-q] [--] FILE...\n"
    "Converts each WAV file (PCM, 8/16/24/32 bits, one or two channels) to a Sun AU\n"
    "file (8-bit mu-law, one channel, 8012 Hz) beside it: the file name lower-cased,\n"
    "its first \".wav\" replaced by \".au\".\n"
    "\n"
    "  -q         quiet: no success lines and no progress bar (errors still shown)\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when any failed, 2 on a usage error.\n";

struct Options {
    bool quiet = false;
    std::vector<std::string> files;
};

// Nothing to go on, or the exit status to end with at once.
std::optional<int> ParseArguments(int argc, char** argv, Options& options) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--") == 0) {
                optionsEnded = true;
            } else if (std::strcmp(argument, "-q") == 0 || std::strcmp(argument, "--quiet") == 0) {
                options.quiet = true;
            } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
                std::fputs(kUsage, stdout);
                return kExitConverted;
            } else if (std::strcmp(argument, "--version") == 0) {
                std::printf("kelmoro-cli %s\n", KELMORO_VERSION);
                return kExitConverted;
            } else {
                std::fprintf(stderr, "kelmoro-cli: unknown option '%s'\n%s", argument, kUsage);
                return kExitUsage;
            }
            continue;
        }
        options.files.emplace_back(argument);
    }
    if (options.files.empty()) {
        std::fprintf(stderr, "kelmoro-cli: no input file\n%s", kUsage);
        return kExitUsage;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    platform::KeepStandardStreamsOpen();
    platform::InstallInterruptCleanup();
    std::setlocale(LC_ALL, "");
    platform::SelectCodePageFromLocale();

    Options options;
    if (auto status = ParseArguments(argc, argv, options)) {
        return kelmoro::FinishOutput(*status, "kelmoro-cli");
    }

    kelmoro::ConsoleHost host(stderr, !options.quiet && isatty(STDERR_FILENO) == 1);
    int status = kExitConverted;
    for (const std::string& file : options.files) {
        if (!kelmoro::ConvertFileOnConsole(host, file, options.quiet, "kelmoro-cli")) {
            status = kExitFailed;
        }
    }
    return kelmoro::FinishOutput(status, "kelmoro-cli");
}
