// What start-up asks of the system before the toolkit runs: the user's
// locale, a character set the toolkit can take text in, and a way to show
// the text of --help and --version. One implementation per system.
#pragma once

namespace kelmoro {

// The user's locale for the C library; it chooses the engine's code page.
void UseUserLocale();

// A character set in which wx takes UTF-8 text, whatever the user's locale.
void UseUtf8Characters();

// Shows `text` (--help, --version) where the user who asked sees it, and
// returns the exit status: 0 when it was shown, 1 when it could not be
// written.
int ShowInfoText(const char* text);

}  // namespace kelmoro
