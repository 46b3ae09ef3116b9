// Conversions between the engine's byte strings and wxString. The engine
// keeps paths byte for byte; windows need text. Narrow literals are never
// handed to wxString directly: under a "C" locale wx would turn non-ASCII
// bytes into an empty string.
#pragma once

#include <wx/string.h>

#include <string>

namespace kelmoro {

// UTF-8 literal or text to wxString.
inline wxString U8(const char* text) {
    return wxString::FromUTF8(text);
}

// A path's bytes (from the command line or the file chooser) to wxString, in
// the code page the locale chose: Shift-JIS (CP932) under a Shift-JIS
// locale, else UTF-8; bytes that do not decode come out one Latin-1
// character each, so a caption never silently loses a path.
wxString FromBytes(const std::string& bytes);

// An engine message to wxString: its own texts are UTF-8, the input path it
// quotes is in the locale's code page, and each part is decoded as what it is.
wxString MessageText(const std::string& text, const std::string& path);

// A path chosen in a window back to the bytes the file system knows.
std::string PathBytes(const wxString& path);

}  // namespace kelmoro
