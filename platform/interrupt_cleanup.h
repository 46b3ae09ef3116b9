// What happens when the program is told to stop (SIGINT, SIGTERM, SIGHUP)
// while it writes a file: the hidden temporary file is removed, whatever
// the file it would replace is left as it was (a regular file on standard
// output is cut back to its length before), and the program then ends by
// the same signal, so that its parent sees the usual status (130, 143, 129).
// SIGXFSZ is ignored, so that a write beyond the file-size limit fails
// with EFBIG and is reported like any other failed write.
#pragma once

#include <signal.h>
#include <sys/types.h>

namespace platform {

// Installs the handlers; a signal the program was started with ignored
// (nohup, a background job) stays ignored. Call once, early in main.
void InstallInterruptCleanup();

// Names a temporary file to remove if the program is interrupted; returns
// a slot to pass to ForgetOnInterrupt, or -1 when there is no room (then
// the file is not removed on interruption). Several files may be named at
// once (one per job running).
int RemoveOnInterrupt(const char* path);
void ForgetOnInterrupt(int slot);

// Names a file, open as `fd`, to cut back to `length` bytes if the program
// is interrupted (standard output while AU data is written to it); one at
// a time. Forgotten with ForgetCutBackOnInterrupt.
void CutBackOnInterrupt(int fd, off_t length);
void ForgetCutBackOnInterrupt();

// Holds back SIGINT, SIGTERM and SIGHUP in the calling thread while it
// lives: a step that must not be cut in two (creating a file and naming it
// for removal; putting a finished file in place) runs inside one. A signal
// that came meanwhile is delivered when it ends.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace platform
