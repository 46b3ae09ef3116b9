// Text and paths as Win32 takes them: UTF-16, and paths made whole and given
// the \\?\ prefix, so that paths longer than 260 characters work and every
// folder separator is one ("C:/a/./b.au" is "\\?\C:\a\b.au").
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 to UTF-16 and back. Bytes that are not UTF-8 become U+FFFD; with
// `strict`, they give an empty result instead.
std::wstring Utf8ToWide(std::string_view text, bool strict = false);
std::string WideToUtf8(std::wstring_view text);

// The path Win32 calls are given for `path` (UTF-8, relative or whole, with
// "\" or "/"); empty when it cannot be one (not UTF-8, or holding a NUL).
std::wstring Win32Path(const std::string& path);

// The system's words for an error code (GetLastError).
std::string SystemErrorText(unsigned long error);

}  // namespace platform
