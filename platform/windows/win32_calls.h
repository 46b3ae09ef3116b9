// The Win32 calls the file layer makes, gathered in one table so that tests
// can make an open, a write, a flush, a close or the rename fail on purpose,
// or record the order of the calls: the Windows twin of posix_calls.h.
#pragma once

#include <windows.h>

namespace platform {

struct Win32Calls {
    HANDLE(WINAPI* CreateFileW)
    (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE model);
    BOOL(WINAPI* ReadFile)
    (HANDLE file, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped);
    BOOL(WINAPI* WriteFile)
    (HANDLE file, LPCVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped);
    BOOL(WINAPI* FlushFileBuffers)(HANDLE file);
    BOOL(WINAPI* CloseHandle)(HANDLE handle);
    BOOL(WINAPI* ReplaceFileW)
    (LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID);
    BOOL(WINAPI* MoveFileExW)(LPCWSTR from, LPCWSTR to, DWORD flags);
    BOOL(WINAPI* DeleteFileW)(LPCWSTR path);
};

// The table in force; starts out as the real calls.
const Win32Calls& Win32();

// Replaces the table (tests only) and returns the one it replaced.
Win32Calls SetWin32CallsForTesting(const Win32Calls& calls);

// The real calls.
Win32Calls RealWin32Calls();

}  // namespace platform
