// Removal of temporary files (and cutting back of standard output) on SIGINT,
// SIGTERM and SIGHUP; SIGXFSZ ignored (the POSIX side).
// The handler may only make async-signal-safe calls: it reads fixed buffers
// whose state is a lock-free atomic, unlinks, truncates, and re-raises the
// signal.
#include "interrupt_cleanup.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 64;

// A slot is free, being filled (the handler passes it over), or armed.
enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free);

Slot g_slots[kSlots];

// The file to cut back, and to what length; -1: none.
std::atomic<int> g_cutBackFd{-1};
std::atomic<off_t> g_cutBackLength{0};
static_assert(std::atomic<off_t>::is_always_lock_free);

sigset_t InterruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kSignals) sigaddset(&set, signal);
    return set;
}

void OnInterrupt(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : g_slots) {
        if (slot.state.load() == kArmed) unlink(slot.path);
    }
    if (const int fd = g_cutBackFd.load(); fd >= 0) ftruncate(fd, g_cutBackLength.load());
    // End the way the signal would have ended the program: default action,
    // delivered as soon as this handler returns (it is blocked until then).
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
    errno = savedErrno;
}

}  // namespace

void InstallInterruptCleanup() {
    for (int signal : kSignals) {
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) != 0) continue;
        if (previous.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        action.sa_mask = InterruptSignals();  // one handler at a time
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

int RemoveOnInterrupt(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX) return -1;
    for (int index = 0; index < kSlots; ++index) {
        Slot& slot = g_slots[index];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(slot.path, path, length + 1);
        slot.state.store(kArmed);  // the path is whole before the handler may use it
        return index;
    }
    return -1;
}

void ForgetOnInterrupt(int slot) {
    if (slot >= 0 && slot < kSlots) g_slots[slot].state.store(kFree);
}

void CutBackOnInterrupt(std::uint64_t length) {
    g_cutBackLength.store(static_cast<off_t>(length));
    g_cutBackFd.store(STDOUT_FILENO);  // the length is in place before the handler may use it
}

void ForgetCutBackOnInterrupt() {
    g_cutBackFd.store(-1);
}

InterruptsHeld::InterruptsHeld() {
    static_assert(sizeof(sigset_t) <= sizeof saved_);
    const sigset_t held = InterruptSignals();
    pthread_sigmask(SIG_BLOCK, &held, reinterpret_cast<sigset_t*>(saved_));
}

InterruptsHeld::~InterruptsHeld() {
    pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(saved_), nullptr);
}

}  // namespace platform
