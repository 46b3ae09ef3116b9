// Character-wise string helpers for UTF-8, Shift-JIS and single-byte code
// pages; which one the locale chooses is each system's own (locale_text.cpp).
#include "code_page.h"

#include "paths.h"

namespace platform {
namespace {

CodePage g_codePage = CodePage::kUtf8;

bool IsShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsShiftJisTrail(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

bool IsUtf8Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of a well-formed UTF-8 sequence at text[0], or 1 for ASCII and for
// any byte that does not start one (a Latin-1 name, say): a "/" or "." after
// a stray lead byte must still count as itself.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsUtf8Continuation(static_cast<unsigned char>(text[i]))) return 1;
    }
    return length;
}

}  // namespace

void SetCodePage(CodePage codePage) { g_codePage = codePage; }

CodePage ActiveCodePage() { return g_codePage; }

std::size_t CharacterLength(std::string_view text, CodePage codePage) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    switch (codePage) {
        case CodePage::kSingleByte:
            return 1;
        case CodePage::kUtf8:
            return Utf8SequenceLength(text);
        case CodePage::kShiftJis:
            // A lead byte pairs only with a byte that can follow it; anything
            // else (a "/" or the end of the text) stands on its own.
            return IsShiftJisLead(lead) && text.size() >= 2 &&
                           IsShiftJisTrail(static_cast<unsigned char>(text[1]))
                       ? 2
                       : 1;
    }
    return 1;
}

void MbsLower(std::string& text, CodePage codePage) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = CharacterLength(std::string_view(text).substr(i), codePage);
        if (length == 1 && text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] + ('a' - 'A'));
        i += length;
    }
}

std::size_t MbsFind(std::string_view haystack, std::string_view needle, CodePage codePage) {
    if (needle.empty()) return 0;
    for (std::size_t i = 0; i < haystack.size();) {
        if (haystack.substr(i, needle.size()) == needle) return i;
        i += CharacterLength(haystack.substr(i), codePage);
    }
    return std::string_view::npos;
}

std::size_t FileNameOffset(std::string_view path, CodePage codePage) {
    std::size_t start = RootLength(path);
    for (std::size_t i = start; i < path.size();) {
        std::size_t length = CharacterLength(path.substr(i), codePage);
        if (length == 1 && IsFolderSeparator(path[i])) start = i + 1;
        i += length;
    }
    return start;
}

}  // namespace platform
