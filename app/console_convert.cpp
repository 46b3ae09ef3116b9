// The console road of kelmoro, with kelmoro-cli's host and messages.
#include "console_convert.h"

#include "console/console_host.h"
#include "console/console_output.h"
#include "console/run_outputs.h"
#include "platform/console_text.h"

namespace kelmoro {

int ConvertOnConsole(const std::vector<std::string>& paths) {
    ConsoleHost host("kelmoro", stderr, platform::IsTerminal(stderr));
    // The files make one run: none replaces the AU file of an earlier one.
    RunOutputs run;
    bool allConverted = true;
    for (const std::string& path : paths) {
        if (ConvertFileOnConsole(host, path, ConsoleOptions{}, stdout, &run) !=
            FileOutcome::kConverted) {
            allConverted = false;
        }
    }
    return FinishOutput(allConverted ? 0 : 1, "kelmoro");
}

}  // namespace kelmoro
