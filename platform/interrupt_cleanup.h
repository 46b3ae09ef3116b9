// What happens when the program is told to stop while it writes a file: the
// hidden temporary file is removed, whatever the file it would replace is
// left as it was (a regular file on standard output is cut back to its
// length before), and the program then ends the way its system reports
// such an end.
//
// POSIX: SIGINT, SIGTERM and SIGHUP; the program ends by the same signal, so
// that its parent sees the usual status (130, 143, 129). SIGXFSZ is ignored,
// so that a write beyond the file-size limit fails with EFBIG and is
// reported like any other failed write.
//
// Windows: Ctrl+C, Ctrl+Break, the console closed, logoff and shutdown; the
// program ends with STATUS_CONTROL_C_EXIT, as Windows programs end on Ctrl+C.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Installs the handlers; on POSIX a signal the program was started with
// ignored (nohup, a background job) stays ignored. Call once, early in main.
void InstallInterruptCleanup();

// Names a temporary file to remove if the program is interrupted; returns
// a slot to pass to ForgetOnInterrupt, or -1 when there is no room (then
// the file is not removed on interruption). Several files may be named at
// once (one per job running).
int RemoveOnInterrupt(const char* path);
void ForgetOnInterrupt(int slot);

// Names standard output, a regular file, to cut back to `length` bytes if
// the program is interrupted (while AU data is written to it). Forgotten
// with ForgetCutBackOnInterrupt.
void CutBackOnInterrupt(std::uint64_t length);
void ForgetCutBackOnInterrupt();

// Holds back interruptions in the calling thread while it lives: a step that
// must not be cut in two (creating a file and naming it for removal; putting
// a finished file in place) runs inside one. An interruption that came
// meanwhile takes effect when it ends.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    // What the system needs to restore (the POSIX signal mask), opaque here.
    alignas(std::max_align_t) unsigned char saved_[128];
};

}  // namespace platform
