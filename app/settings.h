// The program's settings, kept under the registry key name start-up gives
// and the settings name "Kelmoro": on Linux in the file
// $XDG_CONFIG_HOME/<key>/Kelmoro.conf (settings_file.h), on Windows in the
// registry under HKEY_CURRENT_USER\Software\<key>\Kelmoro, where wxConfig
// keeps an application's settings there. Once opened, they are wx's config
// (wxConfigBase::Get()).
#pragma once

#include <wx/string.h>

namespace kelmoro {

// Opens the settings and makes them wx's config. Nothing is written.
void OpenSettings(const char* registryKey);

// Writes one setting at once, so a later crash or kill does not lose it.
// A setting that cannot be written costs only the remembered value, so it
// is not reported.
void WriteSetting(const wxString& key, const wxString& value);

}  // namespace kelmoro
