// The AU files one run has written, so that a later input of the run that
// maps to one of them (A/x.wav and B/X.WAV into one folder, Song.WAV beside
// song.wav, or two names a case-folding file system takes as one) never
// replaces an earlier input's result: it is refused with a message naming
// the file and the earlier input. Every front that converts several files
// in one run asks here; a single file has nothing to be refused by.
//
// Memory: 24 bytes per file written (its identity, and where the name of
// its input is kept), in a table kept at most 80 % full. The input names
// themselves wait in a scratch file in the temporary folder, on the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_identity.h"
#include "platform/scratch_file.h"

namespace kelmoro {

class RunOutputs {
public:
    RunOutputs();
    ~RunOutputs();
    RunOutputs(const RunOutputs&) = delete;
    RunOutputs& operator=(const RunOutputs&) = delete;

    // Why `input` may not be converted: the AU file it maps to (in
    // `outputFolder`, or beside it when that is empty) was written for an
    // earlier input of this run. Nothing when it may be converted.
    std::optional<std::string> Refusal(const std::string& input, const std::string& outputFolder);
    // `input` has been converted into the AU file `output`.
    void Record(const std::string& input, const std::string& output);

private:
    struct Entry {
        platform::FileIdentity identity;
        std::uint64_t nameAt;  // offset + 1 of its input's name; 0: a free entry
    };
    Entry* Find(const platform::FileIdentity& identity) const;
    void Grow();

    std::unique_ptr<Entry[]> table_;
    std::size_t capacity_ = 0;  // a power of two
    std::size_t count_ = 0;
    platform::ScratchFile names_;
};

// The error text of an input refused because `outputPath` was written for
// `earlierInput` in this run (nothing: its name could not be kept).
std::string AlreadyWrittenMessage(const std::string& outputPath,
                                  const std::optional<std::string>& earlierInput);

}  // namespace kelmoro
