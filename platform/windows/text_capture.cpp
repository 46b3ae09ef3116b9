// Captured text in a temporary file that the system deletes when it is
// closed (the C library has no memory streams): the Windows side.
#include "text_capture.h"

#include <io.h>

#include "temporary_stream.h"

namespace platform {

struct TextCapture::State {
    std::FILE* stream = nullptr;
};

TextCapture::TextCapture() : state_(std::make_unique<State>()) {
    state_->stream = OpenTemporaryStream();
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
