// Several files converted at once, each worker a process of its own with its
// own conversion context: the engine stays single-threaded.
#pragma once

#include "batch.h"

namespace kelmoro {

// Converts the inputs with up to settings.jobs worker processes, started as
// they are needed. Each file's lines (stdout and stderr) and JSON line come
// out whole and in input order, whichever worker finishes first; inputs are
// taken from `inputs` only a few per worker ahead of the one printed next,
// so memory does not grow with the number of inputs. An input whose AU name
// an earlier one is still writing waits for it. An interruption (SIGINT,
// SIGTERM or SIGHUP; Ctrl+C on Windows) is passed on to every worker; once
// they have ended, the program ends as it would have without workers.
RunTotals ConvertInParallel(InputList& inputs, const RunSettings& settings);

}  // namespace kelmoro
