// What a run and its worker processes say to each other over a pair of
// pipes: frames of a 64-bit length and that many bytes. The first frame to
// a worker carries the run's settings (a process started afresh inherits
// no memory); each later one names one input, and the worker answers each
// with one frame: the file's result and the text it would have printed.
// The same on every system; only the pipes differ (PipeEnd).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "batch.h"
#include "platform/text_capture.h"

namespace kelmoro {

// One end of a pipe: whole reads and writes, false once the other end is
// gone or the pipe fails.
class PipeEnd {
public:
    virtual ~PipeEnd() = default;
    virtual bool ReadAll(void* bytes, std::size_t count) = 0;
    virtual bool WriteAll(const void* bytes, std::size_t count) = 0;
};

bool SendFrame(PipeEnd& pipe, std::string_view bytes);
bool ReceiveFrame(PipeEnd& pipe, std::string& bytes);

// A worker's answer for one input.
struct WorkerAnswer {
    FileReport report;
    std::string out;  // its success line
    std::string err;  // its error lines
};

// Every field of the settings, and of an answer, as bytes and back; false
// for bytes that are not one.
std::string EncodeSettings(const RunSettings& settings);
bool DecodeSettings(std::string_view bytes, RunSettings& settings);
std::string EncodeAnswer(const WorkerAnswer& answer);
bool DecodeAnswer(std::string_view bytes, WorkerAnswer& answer);

// The worker's life: takes the settings, then converts each input it is
// sent and answers, its lines written into the two captures. Returns when
// the run closes the task pipe (true) or a pipe fails (false).
bool ServeRun(PipeEnd& tasks, PipeEnd& results, platform::TextCapture& out,
              platform::TextCapture& err);

}  // namespace kelmoro
