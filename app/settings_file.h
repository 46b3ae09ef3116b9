// The settings file on Linux ($XDG_CONFIG_HOME/<key>/Kelmoro.conf; settings.h),
// read leniently and saved whole. Whatever in it cannot be read as a setting (a damaged or
// foreign file) is dropped without a word: the program runs with the
// settings that could be read, and the next save replaces the file with a
// valid one holding just those and the new value.
#pragma once

#include <wx/fileconf.h>
#include <wx/filename.h>

#include <memory>

namespace kelmoro {

// The settings read from `file` (none if it is missing or unreadable),
// held in memory: nothing is written until SaveSettings.
std::unique_ptr<wxFileConfig> LoadSettings(const wxFileName& file);

// Writes every setting of `config` to `file` (its folder made if needed)
// through a temporary file renamed over it, so a crash never leaves half a
// file. False if it could not be written.
bool SaveSettings(wxFileConfig& config, const wxFileName& file);

}  // namespace kelmoro
