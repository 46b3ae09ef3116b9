// The console programs' own output on stdout (the success lines, help and
// version), checked: a write that fails or falls short (a full disk, a
// closed stdout) is said once on stderr, "PROGRAM: standard output:
// REASON", and makes the program end with status 1. The AU files already
// written are kept.
#pragma once

#include <cstdio>
#include <string>

#include "platform/console_text.h"

namespace kelmoro {

// Writes `text` (whole lines) on `out`, standard output or what stands for
// it, and flushes it: as the console shows text, or as UTF-8 (JSON). False
// when that failed (said on stderr the first time).
bool WriteOutput(std::FILE* out, const std::string& text, const char* programName,
                 platform::TextEncoding encoding = platform::TextEncoding::kShown);

// Flushes stdout as the program ends. Returns `status`, or 1 in its place
// when it was 0 and anything written to stdout was lost.
int FinishOutput(int status, const char* programName);

}  // namespace kelmoro
