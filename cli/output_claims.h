// The AU files one run has written or is writing, so that a later input
// mapping to the same file (A/x.wav and B/X.WAV into one folder, or Song.WAV
// beside song.wav) never replaces an earlier input's result. Memory: one
// entry per distinct output of the run.
#pragma once

#include <string>
#include <unordered_map>

namespace kelmoro {

class OutputClaims {
public:
    enum class State { kFree, kBeingWritten, kWritten };

    // A key naming the file at `outputPath`: its folder by device and inode
    // (so "./x.au", "x.au" and a path through a link to the folder agree),
    // then its name.
    static std::string KeyFor(const std::string& outputPath);

    // Whether `key` is free; when written, `earlierInput` names the input
    // it was written for.
    State Look(const std::string& key, std::string* earlierInput) const;
    // `input` is being converted to `key`.
    void Begin(const std::string& key, const std::string& input);
    // Its conversion ended; a file not written frees the name again.
    void End(const std::string& key, bool written);

private:
    struct Claim {
        std::string input;
        bool written = false;
    };
    std::unordered_map<std::string, Claim> claims_;
};

// The error text of an input refused because `outputPath` was written for
// `earlierInput` in this run.
std::string AlreadyWrittenMessage(const std::string& outputPath, const std::string& earlierInput);

}  // namespace kelmoro
