// Text for people on the standard streams, and the command line. Program
// text is UTF-8 inside the program.
//   POSIX: the arguments are taken as given, and text is written as it
//   is (messages are already in the locale's character set, see
//   code_page.h).
//   Windows: the arguments come from the UTF-16 command line; text goes to
//   a console through WriteConsoleW, so every character shows whatever the
//   console's code page, and to a file or a pipe in the ANSI code page, as
//   classic console tools write, or in UTF-8 when asked (JSON).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The program's arguments, argv[0] first.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Whether `stream` is a terminal (a console window on Windows).
bool IsTerminal(std::FILE* stream);

enum class TextEncoding {
    kShown,  // as the console or the locale shows it
    kUtf8,   // UTF-8 bytes whatever the locale (a console still shows it)
};
// Writes `text` on `stream` (a standard stream, or a stream of the
// program's own, which gets the bytes as they are) and flushes it; false
// when that failed, with errno saying why.
bool WriteText(std::FILE* stream, std::string_view text,
               TextEncoding encoding = TextEncoding::kShown);

}  // namespace platform
