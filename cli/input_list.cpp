// File lists read entry by entry, as getdelim reads them.
#include "input_list.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/console_text.h"
#include "platform/file_lists.h"

namespace kelmoro {

InputList::InputList(std::vector<InputSource> sources, bool nullSeparated)
    : separator_(nullSeparated ? '\0' : '\n') {
    for (InputSource& source : sources) sources_.push_back({std::move(source), nullptr});
}

InputList::~InputList() {
    for (Source& source : sources_) {
        if (source.list != nullptr && source.list != stdin) std::fclose(source.list);
    }
    std::free(line_);
}

std::optional<std::string> InputList::OpenLists() {
    for (Source& source : sources_) {
        if (!source.given.isList) continue;
        source.list = source.given.name == "-" ? stdin : platform::OpenList(source.given.name);
        int error = source.list == nullptr ? errno : 0;
        // A folder opens, and only its first read fails: it is refused here,
        // as a list that cannot be opened.
        if (error == 0 && platform::IsFolder(source.list)) error = EISDIR;
        if (error != 0) {
            return "cannot read file list '" + source.given.name + "': " + std::strerror(error);
        }
    }
    return std::nullopt;
}

std::optional<std::string> InputList::Next() {
    interrupted_ = false;
    while (current_ < sources_.size()) {
        Source& source = sources_[current_];
        if (!source.given.isList) {
            ++current_;
            return std::move(source.given.name);
        }
        if (source.list != nullptr) {
            errno = 0;
            const long long length =
                platform::ReadEntry(&line_, &lineCapacity_, separator_, source.list);
            if (length > 0) {
                std::size_t size = static_cast<std::size_t>(length);
                if (line_[size - 1] == separator_) --size;
                std::string name = platform::NameFromEntry(std::string(line_, size));
                if (name.empty()) continue;
                return name;
            }
            if (std::ferror(source.list) && errno == EINTR) {
                std::clearerr(source.list);
                interrupted_ = true;
                return std::nullopt;
            }
            if (std::ferror(source.list)) {
                platform::WriteText(stderr, "kelmoro-cli: " + source.given.name +
                                                ": file list not read to its end: " +
                                                std::strerror(errno != 0 ? errno : EIO) + "\n");
                readFailed_ = true;
            }
            if (source.list != stdin) std::fclose(source.list);
            source.list = nullptr;
        }
        ++current_;
    }
    return std::nullopt;
}

}  // namespace kelmoro
