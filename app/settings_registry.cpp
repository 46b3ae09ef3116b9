// The settings on Windows: the registry, as wxConfig keeps them there,
// HKEY_CURRENT_USER\Software\<registry key name>\Kelmoro. Each value is in
// the registry as soon as it is written.
#include <wx/log.h>
#include <wx/msw/regconf.h>

#include "res/strings.h"
#include "settings.h"
#include "wx_text.h"

namespace kelmoro {

void OpenSettings(const char* registryKey) {
    auto* settings = new wxRegConfig(U8(res::kSettingsName), U8(registryKey));
    // Values are read back as they were written, with no %VARIABLE%
    // expanded (a folder's name may hold a per cent sign).
    settings->SetExpandEnvVars(false);
    delete wxConfigBase::Set(settings);
}

void WriteSetting(const wxString& key, const wxString& value) {
    // A value that cannot be written costs only itself: not reported.
    wxLogNull quiet;
    wxConfigBase::Get()->Write(key, value);
}

}  // namespace kelmoro
