// The job that takes the context's input path to a finished AU file beside
// it (or in the context's output folder, or on standard output): open, name
// the output, then read the WAV file and write the AU file block by block.
// Returns true when the AU file was written. Every failure has been reported
// through the host, except one: an input whose file name holds no ".wav",
// which ends with nothing written and no message. Running out of memory is
// a failure like any other: the job throws nothing.
#pragma once

#include <optional>
#include <string>

#include "convert_context.h"
#include "convert_host.h"

namespace kelmoro {

// Runs one conversion of g_convertContext.inputPath.
bool Convert(CConvertHost& host);
// The same on a given context (tests, fuzzing).
bool Convert(CConvertContext& context, CConvertHost& host);

// The output path for an input path: the file name lower-cased (the folders
// keep their case) and its first ".wav" replaced by ".au"; nothing when the
// file name holds no ".wav".
std::optional<std::string> OutputPathFor(const std::string& inputPath);
// The same name placed in `outputFolder` instead, when that is not empty.
std::optional<std::string> OutputPathFor(const std::string& inputPath,
                                         const std::string& outputFolder);

}  // namespace kelmoro
