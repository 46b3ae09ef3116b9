// Strings are bytes in the active ANSI code page. These helpers walk them
// character by character, so that the second byte of a double-byte character
// is never lower-cased or matched on its own. Only the single-byte letters
// A-Z are lower-cased.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class CodePage {
    kSingleByte,  // every byte is a character
    kUtf8,
    kShiftJis,    // code page 932
};

// Chooses the code page from the locale's character set (LC_CTYPE); on
// Windows, where the program keeps its text in UTF-8, always UTF-8. Called
// once at start-up, after setlocale.
void SelectCodePageFromLocale();
void SetCodePage(CodePage codePage);
CodePage ActiveCodePage();

// Length in bytes of the character that starts at text[0] (at least 1, never
// past the end of text).
std::size_t CharacterLength(std::string_view text, CodePage codePage = ActiveCodePage());

// Lower-cases A-Z in place, character by character.
void MbsLower(std::string& text, CodePage codePage = ActiveCodePage());

// Byte offset of the first occurrence of `needle` that begins on a character
// boundary, or npos.
std::size_t MbsFind(std::string_view haystack, std::string_view needle,
                    CodePage codePage = ActiveCodePage());

// Byte offset just after the last folder separator (or the root, paths.h),
// that is where the file name starts.
std::size_t FileNameOffset(std::string_view path, CodePage codePage = ActiveCodePage());

// UTF-8 text in the locale's code set (LC_CTYPE), for a terminal that
// does not show UTF-8; unchanged under a UTF-8 or plain "C" locale, and on
// Windows, where the text is converted as it is written (console_text.h).
// A character the code set has no equivalent for stays in UTF-8.
std::string Utf8ToLocaleText(std::string_view text);

}  // namespace platform
