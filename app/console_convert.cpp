// The console road of kelmoro, with kelmoro-cli's host and messages.
#include "console_convert.h"

#include <unistd.h>

#include "cli/console_host.h"
#include "cli/console_output.h"

namespace kelmoro {

int ConvertOnConsole(const std::string& path) {
    ConsoleHost host(stderr, isatty(STDERR_FILENO) == 1);
    const int status = ConvertFileOnConsole(host, path, false, "kelmoro") ? 0 : 1;
    return FinishOutput(status, "kelmoro");
}

}  // namespace kelmoro
