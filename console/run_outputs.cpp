// The run's written AU files: an open-addressing table of file identities.
#include "run_outputs.h"

#include "engine/convert_job.h"

namespace kelmoro {
namespace {

// Where the name of an input that could not be kept "is": nowhere.
constexpr std::uint64_t kNameNotKept = ~std::uint64_t{0};
constexpr std::size_t kFirstCapacity = 64;

std::size_t Hash(const platform::FileIdentity& identity) {
    std::uint64_t mixed =
        (identity.index ^ (identity.volume << 32 | identity.volume >> 32)) * 0x9E3779B97F4A7C15u;
    return static_cast<std::size_t>(mixed ^ mixed >> 29);
}

}  // namespace

RunOutputs::RunOutputs() = default;
RunOutputs::~RunOutputs() = default;

RunOutputs::Entry* RunOutputs::Find(const platform::FileIdentity& identity) const {
    if (capacity_ == 0) return nullptr;
    for (std::size_t at = Hash(identity) & (capacity_ - 1);; at = (at + 1) & (capacity_ - 1)) {
        Entry& entry = table_[at];
        if (entry.nameAt == 0 || entry.identity == identity) return &entry;
    }
}

void RunOutputs::Grow() {
    std::unique_ptr<Entry[]> old = std::move(table_);
    const std::size_t oldCapacity = capacity_;
    capacity_ = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
    table_ = std::make_unique<Entry[]>(capacity_);
    for (std::size_t i = 0; i < oldCapacity; ++i) {
        if (old[i].nameAt != 0) *Find(old[i].identity) = old[i];
    }
}

std::optional<std::string> RunOutputs::Refusal(const std::string& input,
                                               const std::string& outputFolder) {
    if (count_ == 0) return std::nullopt;
    const auto target = OutputPathFor(input, outputFolder);
    const auto identity = target ? platform::IdentityOf(*target) : std::nullopt;
    const Entry* entry = identity ? Find(*identity) : nullptr;
    if (entry == nullptr || entry->nameAt == 0) return std::nullopt;
    std::optional<std::string> earlier;
    std::uint32_t length = 0;
    if (entry->nameAt != kNameNotKept && names_.ReadAt(entry->nameAt - 1, &length, sizeof length)) {
        earlier.emplace(length, '\0');
        if (!names_.ReadAt(entry->nameAt - 1 + sizeof length, earlier->data(), length)) {
            earlier.reset();
        }
    }
    return AlreadyWrittenMessage(*target, earlier);
}

void RunOutputs::Record(const std::string& input, const std::string& output) {
    const auto identity = platform::IdentityOf(output);
    if (!identity) return;
    if ((count_ + 1) * 5 > capacity_ * 4) Grow();
    Entry* entry = Find(*identity);
    if (entry->nameAt == 0) ++count_;
    // The name goes out with its length before it; a name that cannot be
    // kept still has its file refused, only without the name.
    const auto length = static_cast<std::uint32_t>(input.size());
    const auto at = names_.Append(&length, sizeof length);
    const bool kept = at && names_.Append(input.data(), input.size());
    *entry = Entry{*identity, kept ? *at + 1 : kNameNotKept};
}

std::string AlreadyWrittenMessage(const std::string& outputPath,
                                  const std::optional<std::string>& earlierInput) {
    return outputPath + " was written for " + (earlierInput ? *earlierInput : "another input") +
           " earlier in this run; not replaced, nothing written";
}

}  // namespace kelmoro
