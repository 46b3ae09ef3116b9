// The settings file: read what can be read, save a clean copy.
#include "settings_file.h"

#include <wx/ffile.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/wfstream.h>

namespace kelmoro {
namespace {

// Copies the entries of `from` under `path`, and its groups' in turn, into
// `to`: only what wxFileConfig understood, never the lines it could not.
void CopyGroup(wxConfigBase& from, wxConfigBase& to, const wxString& path) {
    from.SetPath(path);
    const wxString prefix = path.EndsWith("/") ? path : path + "/";
    wxString name;
    long index = 0;
    for (bool more = from.GetFirstEntry(name, index); more;
         more = from.GetNextEntry(name, index)) {
        to.Write(prefix + name, from.Read(name, wxString()));
    }
    wxArrayString groups;
    for (bool more = from.GetFirstGroup(name, index); more;
         more = from.GetNextGroup(name, index)) {
        groups.push_back(name);
    }
    for (const wxString& group : groups) CopyGroup(from, to, prefix + group);
}

}  // namespace

std::unique_ptr<wxFileConfig> LoadSettings(const wxFileName& file) {
    // wxFileConfig logs every malformed line, and the GUI's log would show
    // them in an English error window: the file is read quietly instead.
    wxLogNull quiet;
    wxString text;
    if (file.FileExists()) {
        wxFFile input(file.GetFullPath(), "rb");
        if (input.IsOpened()) input.ReadAll(&text, wxConvAuto());
    }
    const wxScopedCharBuffer bytes = text.utf8_str();
    wxMemoryInputStream stream(bytes.data(), bytes.length());
    wxFileConfig readable(stream, wxConvUTF8);
    // Values are copied as written, with no $VARIABLE expanded.
    readable.SetExpandEnvVars(false);
    wxMemoryInputStream empty(nullptr, 0);
    auto settings = std::make_unique<wxFileConfig>(empty, wxConvUTF8);
    settings->SetExpandEnvVars(false);
    CopyGroup(readable, *settings, "/");
    settings->SetPath("/");
    return settings;
}

bool SaveSettings(wxFileConfig& config, const wxFileName& file) {
    wxLogNull quiet;
    if (!wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) return false;
    wxTempFileOutputStream output(file.GetFullPath());
    return output.IsOk() && config.Save(output, wxConvUTF8) && output.Commit();
}

}  // namespace kelmoro
