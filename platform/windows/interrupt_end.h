// Ends a Windows program the way Ctrl+C ends it, after removing the files
// named for removal (interrupt_cleanup.h): for a worker process whose run
// tells it to stop, where no console event reaches it.
#pragma once

namespace platform {

[[noreturn]] void EndAsInterrupted();

}  // namespace platform
