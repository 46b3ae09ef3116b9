// Temporary streams on files made with FILE_FLAG_DELETE_ON_CLOSE.
#include "temporary_stream.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

namespace platform {

std::FILE* OpenTemporaryStream() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"kel", 0, name) == 0) {
        return nullptr;
    }
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "w+b");
    if (stream == nullptr) _close(fd);
    return stream;
}

}  // namespace platform
