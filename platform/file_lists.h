// Reading lists of file names (kelmoro-cli --files-from): opening a list by
// its name, reading it an entry at a time, and the name an entry stands
// for. On Windows a list may come from any tool: an entry that is not UTF-8
// is taken in the ANSI code page, and the CR of a CRLF line end is dropped
// (no Windows name ends in one).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// Opens `path` for reading bytes; null with errno set when it cannot.
std::FILE* OpenList(const std::string& path);
// Whether an open list is a folder: POSIX opens one, and only its first
// read fails.
bool IsFolder(std::FILE* stream);

// Reads up to and including the next `delimiter` into *line, growing it as
// getdelim does; returns the bytes read, or -1 at the end or on an error
// (errno and ferror tell which).
long long ReadEntry(char** line, std::size_t* capacity, int delimiter, std::FILE* stream);

// The name a list entry (its delimiter removed) stands for.
std::string NameFromEntry(std::string entry);

}  // namespace platform
