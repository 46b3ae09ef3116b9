// kelmoro-cli: converts WAV files to AU files (8-bit mu-law, mono, 8012 Hz)
// beside them or into one folder, for scripts and machines without a display.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "batch.h"
#include "console/console_output.h"
#include "input_list.h"
#include "options.h"
#include "platform/code_page.h"
#include "platform/console_text.h"
#include "platform/interrupt_cleanup.h"
#include "platform/standard_streams.h"
#include "worker_pool.h"

namespace {

int Run(int argc, char** argv) {
    using namespace kelmoro;
    CliOptions options;
    if (auto status = ParseArguments(argc, argv, options)) return *status;

    InputList inputs(std::move(options.sources), options.nullSeparated);
    if (auto problem = inputs.OpenLists()) {
        platform::WriteText(stderr, "kelmoro-cli: " + *problem +
                                        "\nTry 'kelmoro-cli --help' for more information.\n");
        return kExitUsage;
    }
    const bool stderrIsTerminal = platform::IsTerminal(stderr);
    RunSettings settings;
    settings.console = options.console;
    settings.json = options.json;
    // In JSON mode -q silences the error lines too: the JSON says it all.
    settings.showErrors = !(options.json && options.console.quiet);
    settings.drawProgress = !options.console.quiet && stderrIsTerminal;
    settings.jobs = options.jobs;
    if (settings.jobs == 0) {
        settings.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }

    const RunTotals totals = RunBatch(inputs, settings);
    if (totals.files > 1 && !options.console.quiet && stderrIsTerminal) {
        std::fprintf(stderr, "kelmoro-cli: %zu files: %zu converted, %zu skipped, %zu failed\n",
                     totals.files, totals.converted, totals.skipped, totals.failed);
    }
    return totals.failed > 0 || inputs.ReadFailed() ? kExitFailed : kExitConverted;
}

}  // namespace

int main(int argc, char** argv) {
    platform::KeepStandardStreamsOpen();
    platform::InstallInterruptCleanup();
    std::setlocale(LC_ALL, "");
    platform::SelectCodePageFromLocale();
    int status;
    try {
        std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
        if (auto served = kelmoro::ServeAsWorker(arguments)) return *served;
        std::vector<char*> pointers;
        for (std::string& argument : arguments) pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        status = Run(static_cast<int>(arguments.size()), pointers.data());
    } catch (const std::bad_alloc&) {
        // Nothing the program throws on purpose; out of memory outside a
        // job (a job reports its own) ends the run with a line and status 1.
        std::fputs("kelmoro-cli: out of memory\n", stderr);
        status = kelmoro::kExitFailed;
    } catch (...) {
        // A library's own text means nothing to the user.
        std::fputs("kelmoro-cli: an internal error ended the run\n", stderr);
        status = kelmoro::kExitFailed;
    }
    return kelmoro::FinishOutput(status, "kelmoro-cli");
}
