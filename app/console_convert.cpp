// The console road of kelmoro, with kelmoro-cli's host and messages.
#include "console_convert.h"

#include <unistd.h>

#include <cstdio>

#include "cli/console_host.h"
#include "engine/convert_context.h"
#include "engine/convert_job.h"
#include "engine/messages.h"

namespace kelmoro {

int ConvertOnConsole(const std::string& path) {
    ConsoleHost host(stderr, isatty(STDERR_FILENO) == 1);
    host.StartFile();
    SetInputPath(path);
    const bool converted = Convert(host);
    host.FinishBar();
    if (converted) {
        std::printf("%s\n", ConvertedMessage(path).c_str());
        std::fflush(stdout);
        return 0;
    }
    if (host.ErrorsReported() == 0) {
        // The engine says nothing when the name gives no output name.
        std::fprintf(stderr,
                     "kelmoro: %s: the file name holds no \".wav\" to replace with \".au\"; "
                     "no AU file written\n",
                     path.c_str());
    }
    return 1;
}

}  // namespace kelmoro
