// A stdio stream whose text stays in the program: what a worker process
// prints about a file, kept to be sent to its run. POSIX keeps it in memory;
// Windows, whose C library has no memory streams, in a temporary file that
// the system deletes when it is closed.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace platform {

class TextCapture {
public:
    TextCapture();
    ~TextCapture();
    TextCapture(const TextCapture&) = delete;
    TextCapture& operator=(const TextCapture&) = delete;

    // The stream to write to; null when none could be made.
    std::FILE* Stream();
    // Everything written since the last Take.
    std::string Take();

private:
    struct State;  // each system's own
    std::unique_ptr<State> state_;
};

}  // namespace platform
