// Several files converted at once, each worker a process of its own with its
// own conversion context: the engine stays single-threaded.
#pragma once

#include <string>
#include <vector>

#include "console/console_host.h"

namespace kelmoro {

// Converts `files` with up to `jobs` worker processes. Each file's lines
// (stdout and stderr) come out whole and in the order of `files`, whichever
// worker finishes first. SIGINT, SIGTERM or SIGHUP is passed on to every
// worker; once they have ended, the program ends by the same signal.
// Returns the outcome of each file, in order.
std::vector<FileOutcome> ConvertInParallel(const std::vector<std::string>& files,
                                           const ConsoleOptions& options, int jobs);

}  // namespace kelmoro
