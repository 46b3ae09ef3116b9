// The inputs of one run, handed out one at a time in the order given: names
// from the command line, and the names in each file list read as the run
// goes, so that a list of any length needs memory only for the name at hand.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "options.h"

namespace kelmoro {

class InputList {
public:
    InputList(std::vector<InputSource> sources, bool nullSeparated);
    ~InputList();
    InputList(const InputList&) = delete;
    InputList& operator=(const InputList&) = delete;

    // Opens every list file, so that a wrong name stops the run before any
    // conversion. Returns the first problem, "LIST: REASON", or nothing.
    std::optional<std::string> OpenLists();

    // The next input, or nothing at the end. An empty entry in a list is
    // passed over. A list that cannot be read to its end is reported once
    // on stderr and makes ReadFailed() true.
    // A read cut short by a signal handler gives nothing with Interrupted()
    // true; the next call goes on where it stopped.
    std::optional<std::string> Next();
    bool ReadFailed() const { return readFailed_; }
    bool Interrupted() const { return interrupted_; }

private:
    struct Source {
        InputSource given;
        std::FILE* list = nullptr;
    };
    std::vector<Source> sources_;
    std::size_t current_ = 0;
    char separator_;
    char* line_ = nullptr;
    std::size_t lineCapacity_ = 0;
    bool readFailed_ = false;
    bool interrupted_ = false;
};

}  // namespace kelmoro
