// Removal of temporary files (and cutting back of standard output) on
// Ctrl+C, Ctrl+Break, the console closed, logoff and shutdown: the Windows
// side. The console control handler runs
// on a thread of its own, so it may take the lock that a step held against
// interruptions holds, and wait for that step to end.
#include "interrupt_cleanup.h"

#include <windows.h>

#include <string>
#include <vector>

#include "interrupt_end.h"
#include "wide_path.h"
#include "win32_calls.h"

namespace platform {
namespace {

constexpr int kSlots = 64;

// Guards the slots; held by InterruptsHeld, and taken for good by the end.
CRITICAL_SECTION& Lock() {
    static CRITICAL_SECTION lock = [] {
        CRITICAL_SECTION made;
        InitializeCriticalSection(&made);
        return made;
    }();
    return lock;
}

// Standard output to cut back, and to what length; -1: none. Guarded by
// the lock.
long long g_cutBackLength = -1;

std::vector<std::wstring>& Slots() {
    static std::vector<std::wstring> slots(kSlots);
    return slots;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            EndAsInterrupted();
    }
    return FALSE;
}

}  // namespace

void InstallInterruptCleanup() {
    Lock();
    Slots();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int RemoveOnInterrupt(const char* path) {
    const std::wstring name = Utf8ToWide(path);
    EnterCriticalSection(&Lock());
    int found = -1;
    for (int index = 0; index < kSlots && found < 0; ++index) {
        if (Slots()[index].empty()) found = index;
    }
    if (found >= 0) Slots()[found] = name;
    LeaveCriticalSection(&Lock());
    return found;
}

void ForgetOnInterrupt(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    EnterCriticalSection(&Lock());
    Slots()[slot].clear();
    LeaveCriticalSection(&Lock());
}

void CutBackOnInterrupt(std::uint64_t length) {
    EnterCriticalSection(&Lock());
    g_cutBackLength = static_cast<long long>(length);
    LeaveCriticalSection(&Lock());
}

void ForgetCutBackOnInterrupt() {
    EnterCriticalSection(&Lock());
    g_cutBackLength = -1;
    LeaveCriticalSection(&Lock());
}

void EndAsInterrupted() {
    // Never left: a step held against interruptions finishes first, and
    // nothing starts after.
    EnterCriticalSection(&Lock());
    for (const std::wstring& name : Slots()) {
        if (!name.empty()) Win32().DeleteFileW(name.c_str());
    }
    if (g_cutBackLength >= 0) {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        LARGE_INTEGER length;
        length.QuadPart = g_cutBackLength;
        if (SetFilePointerEx(output, length, nullptr, FILE_BEGIN)) SetEndOfFile(output);
    }
    // As a signal ends a POSIX program: at once, with no exit handlers that
    // could wait on a lock another thread holds.
    TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    for (;;) Sleep(INFINITE);
}

InterruptsHeld::InterruptsHeld() : saved_{} {
    EnterCriticalSection(&Lock());
}

InterruptsHeld::~InterruptsHeld() {
    LeaveCriticalSection(&Lock());
}

}  // namespace platform
