// Captured text in memory (open_memstream): the POSIX side.
#include "text_capture.h"

#include <cstdlib>

namespace platform {

struct TextCapture::State {
    std::FILE* stream = nullptr;
    char* text = nullptr;
    std::size_t size = 0;

    void Open() { stream = open_memstream(&text, &size); }
    void Close() {
        if (stream != nullptr) std::fclose(stream);
        stream = nullptr;
        std::free(text);
        text = nullptr;
        size = 0;
    }
};

TextCapture::TextCapture() : state_(std::make_unique<State>()) {
    state_->Open();
}

TextCapture::~TextCapture() {
    state_->Close();
}

std::FILE* TextCapture::Stream() {
    return state_->stream;
}

std::string TextCapture::Take() {
    if (state_->stream == nullptr) return std::string();
    // The text is whole once the stream is closed; a new one starts empty.
    std::fclose(state_->stream);
    state_->stream = nullptr;
    std::string taken(state_->text, state_->size);
    state_->Close();
    state_->Open();
    return taken;
}

}  // namespace platform
