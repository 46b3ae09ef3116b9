// Captured text in a temporary file that the system deletes when it is
// closed (the C library has no memory streams): the Windows side.
#include "text_capture.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

struct TextCapture::State {
    std::FILE* stream = nullptr;
};

TextCapture::TextCapture() : state_(std::make_unique<State>()) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"kel", 0, name) == 0) {
        return;
    }
    HANDLE file =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        return;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return;
    }
    state_->stream = _fdopen(fd, "w+b");
    if (state_->stream == nullptr) _close(fd);
}

TextCapture::~TextCapture() {
    if (state_->stream != nullptr) std::fclose(state_->stream);
}

std::FILE* TextCapture::Stream() {
    return state_->stream;
}

std::string TextCapture::Take() {
    std::FILE* stream = state_->stream;
    if (stream == nullptr || std::fflush(stream) != 0) return std::string();
    const long size = std::ftell(stream);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::rewind(stream);
    text.resize(std::fread(text.data(), 1, text.size(), stream));
    // Emptied for the next file.
    std::rewind(stream);
    _chsize(_fileno(stream), 0);
    return text;
}

}  // namespace platform
