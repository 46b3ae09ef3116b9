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

// Bytes from the command line or the engine to wxString: UTF-8 when they are
// valid UTF-8, else each byte as one Latin-1 character, so that a caption
// or message never silently loses a path that is not UTF-8.
wxString FromBytes(const std::string& bytes);

// A path chosen in a window back to the bytes the file system knows.
std::string PathBytes(const wxString& path);

}  // namespace kelmoro
