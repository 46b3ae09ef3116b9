// The replaceable table of Win32 calls used by the file layer.
#include "win32_calls.h"

namespace platform {
namespace {

Win32Calls& Current() {
    static Win32Calls calls = RealWin32Calls();
    return calls;
}

}  // namespace

Win32Calls RealWin32Calls() {
    return Win32Calls{::CreateFileW, ::ReadFile,     ::WriteFile,   ::FlushFileBuffers,
                      ::CloseHandle, ::ReplaceFileW, ::MoveFileExW, ::DeleteFileW};
}

const Win32Calls& Win32() {
    return Current();
}

Win32Calls SetWin32CallsForTesting(const Win32Calls& calls) {
    Win32Calls previous = Current();
    Current() = calls;
    return previous;
}

}  // namespace platform
