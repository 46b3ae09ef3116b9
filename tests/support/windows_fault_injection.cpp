// Fault injection and call recording through the Windows file layer's table
// of Win32 calls.
#include <windows.h>

#include <set>

#include "platform/windows/win32_calls.h"
#include "support/fault_injection.h"

namespace kelmoro::test {
namespace {

Faults g_faults;
long g_bytesWritten = 0;
platform::Win32Calls g_real = platform::RealWin32Calls();
platform::Win32Calls g_previous;
std::vector<std::string> g_calls;
std::set<HANDLE> g_temporaries;  // the output's temporary files, while open

void Record(const std::string& call) {
    if (g_calls.empty() || g_calls.back() != call || call.rfind("write", 0) != 0) {
        g_calls.push_back(call);
    }
}

HANDLE WINAPI FaultyCreateFile(LPCWSTR path, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE model) {
    const bool creates = disposition == CREATE_NEW || disposition == CREATE_ALWAYS;
    if (g_faults.failCreate && creates) {
        SetLastError(ERROR_WRITE_PROTECT);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file =
        g_real.CreateFileW(path, access, share, security, disposition, flags, model);
    if (file != INVALID_HANDLE_VALUE && creates) {
        g_temporaries.insert(file);
        Record("open(temp)");
    }
    return file;
}

BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD done,
                            LPOVERLAPPED overlapped) {
    if (g_faults.writeBytesBeforeFailure >= 0) {
        const long room = g_faults.writeBytesBeforeFailure - g_bytesWritten;
        if (room <= 0) {
            SetLastError(g_faults.writeErrno == ENOSPC ? ERROR_DISK_FULL : ERROR_IO_DEVICE);
            return FALSE;
        }
        if (static_cast<long>(count) > room) count = static_cast<DWORD>(room);
    }
    if (g_temporaries.contains(file)) Record("write(temp)");
    const BOOL wrote = g_real.WriteFile(file, buffer, count, done, overlapped);
    if (wrote) g_bytesWritten += static_cast<long>(*done);
    return wrote;
}

BOOL WINAPI FaultyFlushFileBuffers(HANDLE file) {
    Record(g_temporaries.contains(file) ? "flush(temp)" : "flush(other)");
    if (g_faults.failDataSync) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    return g_real.FlushFileBuffers(file);
}

BOOL WINAPI FaultyCloseHandle(HANDLE handle) {
    if (g_temporaries.erase(handle) != 0) Record("close(temp)");
    const BOOL closed = g_real.CloseHandle(handle);
    if (g_faults.failClose) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    return closed;
}

bool FailRename() {
    Record("rename(temp,target)");
    if (!g_faults.failRename) return false;
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return true;
}

BOOL WINAPI FaultyReplaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                              LPVOID exclude, LPVOID reserved) {
    if (FailRename()) return FALSE;
    return g_real.ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
}

BOOL WINAPI FaultyMoveFile(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (FailRename()) return FALSE;
    return g_real.MoveFileExW(from, to, flags);
}

}  // namespace

ScopedFaults::ScopedFaults(const Faults& faults) {
    g_faults = faults;
    g_bytesWritten = 0;
    g_calls.clear();
    g_temporaries.clear();
    platform::Win32Calls calls = g_real;
    calls.CreateFileW = FaultyCreateFile;
    calls.WriteFile = FaultyWriteFile;
    calls.FlushFileBuffers = FaultyFlushFileBuffers;
    calls.CloseHandle = FaultyCloseHandle;
    calls.ReplaceFileW = FaultyReplaceFile;
    calls.MoveFileExW = FaultyMoveFile;
    g_previous = platform::SetWin32CallsForTesting(calls);
}

ScopedFaults::~ScopedFaults() {
    platform::SetWin32CallsForTesting(g_previous);
}

std::vector<std::string> ScopedFaults::OutputCalls() const {
    return g_calls;
}

}  // namespace kelmoro::test
