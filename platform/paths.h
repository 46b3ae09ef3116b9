// How this system writes paths: which characters separate folders, where a
// path's root ends, how a folder and a name join, and which names stand for
// devices rather than files.
//   POSIX: only "/" separates; no name is a device.
//   Windows: "\" and "/" both separate; "C:" before a name is a drive; CON,
//   PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 name devices in any case and with
//   any extension ("nul.au" is the null device, not a file).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

bool IsFolderSeparator(char c);

// Bytes at the start of `path` that belong to no folder or file name (a
// drive letter and its colon); 0 on POSIX.
std::size_t RootLength(std::string_view path);

// `name` in `folder`, with one separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether the last name in `path` is one the system maps to a device.
bool NamesDevice(std::string_view path);

}  // namespace platform
