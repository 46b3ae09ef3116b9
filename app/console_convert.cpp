// The console road of kelmoro, with kelmoro-cli's host and messages.
#include "console_convert.h"

#include <unistd.h>

#include "console/console_host.h"
#include "console/console_output.h"

namespace kelmoro {

int ConvertOnConsole(const std::string& path) {
    ConsoleHost host("kelmoro", stderr, isatty(STDERR_FILENO) == 1);
    const bool converted =
        ConvertFileOnConsole(host, path, ConsoleOptions{}, stdout) == FileOutcome::kConverted;
    return FinishOutput(converted ? 0 : 1, "kelmoro");
}

}  // namespace kelmoro
