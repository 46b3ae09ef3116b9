// One input's result as a line of JSON, for scripts (--json):
//   {"input":"a.wav","output":"a.au","status":"converted","frames":8012}
// A text field whose bytes are not valid UTF-8 is given instead as the same
// name with "_base64" appended, holding its exact bytes in base64, so that
// any file name comes back unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "console/console_host.h"

namespace kelmoro {

struct FileReport {
    std::string input;
    FileOutcome outcome = FileOutcome::kFailed;
    std::string output;   // empty when nothing was written
    std::string message;  // the messages said about the file, UTF-8; empty on success
    std::int64_t frames = 0;
};

// The report as one JSON object and a newline.
std::string JsonLine(const FileReport& report);

bool IsValidUtf8(const std::string& text);

}  // namespace kelmoro
