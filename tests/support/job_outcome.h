// Runs one conversion job and collects what it ended with, in this process
// or in a child process that has dropped root's power to ignore permissions.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/recording_host.h"

namespace kelmoro::test {

// The unprivileged user the denied conversions run as.
constexpr uid_t kNobody = 65534;

struct Result {
    bool converted = false;
    std::vector<std::string> errors;
};

Result ConvertWith(const std::string& inputPath, RecordingHost& host);

// Runs the conversion in a child process without root's power to ignore
// permissions. Returns false (with `why`) when privileges cannot be dropped.
bool ConvertUnprivileged(const std::string& inputPath, Result& result, std::string& why);

}  // namespace kelmoro::test
