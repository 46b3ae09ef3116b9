// The settings file: read what can be read, save a clean copy.
#include "settings_file.h"

#include <wx/ffile.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/stdpaths.h>
#include <wx/wfstream.h>

#include <string>

#include "res/strings.h"
#include "settings.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

// Counts what wxFileConfig reports while it reads, instead of showing it.
class ReportCounter : public wxLog {
public:
    ReportCounter() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~ReportCounter() override { wxLog::SetActiveTarget(m_previous); }
    int Count() const { return m_count; }

protected:
    void DoLogRecord(wxLogLevel level, const wxString&, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Warning) ++m_count;
    }

private:
    wxLog* m_previous;
    int m_count = 0;
};

// A line wxFileConfig reads without a complaint: a group header, an entry,
// a comment or a blank, in UTF-8.
bool ReadableLine(const std::string& line) {
    if (!wxString::FromUTF8(line.data(), line.size()).empty() || line.empty()) {
        const std::string text = line + "\n";
        ReportCounter reports;
        wxMemoryInputStream stream(text.data(), text.size());
        wxFileConfig probe(stream, wxConvUTF8);
        return reports.Count() == 0;
    }
    return false;  // not UTF-8
}

}  // namespace

std::unique_ptr<wxFileConfig> LoadSettings(const wxFileName& file) {
    // Line by line, so that a damaged line costs only itself: the lines
    // wxFileConfig would complain of (in an English log window) are left
    // out, and the others kept as they are written.
    std::string bytes;
    if (file.FileExists()) {
        wxLogNull quiet;
        wxFFile input(file.GetFullPath(), "rb");
        char block[4096];
        size_t count = 0;
        while (input.IsOpened() && (count = input.Read(block, sizeof block)) > 0) {
            bytes.append(block, count);
        }
    }
    std::string readable;
    size_t begin = 0;
    while (begin < bytes.size()) {
        size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) end = bytes.size();
        size_t length = end - begin;
        if (length > 0 && bytes[begin + length - 1] == '\r') --length;
        const std::string line = bytes.substr(begin, length);
        if (ReadableLine(line)) readable += line + "\n";
        begin = end + 1;
    }
    wxLogNull quiet;  // nothing is left to report, should the whole disagree
    wxMemoryInputStream stream(readable.data(), readable.size());
    auto settings = std::make_unique<wxFileConfig>(stream, wxConvUTF8);
    // Values are read back as they were written, with no $VARIABLE expanded
    // (a folder's name may hold a dollar sign).
    settings->SetExpandEnvVars(false);
    return settings;
}

bool SaveSettings(wxFileConfig& config, const wxFileName& file) {
    wxLogNull quiet;
    if (!wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) return false;
    wxTempFileOutputStream output(file.GetFullPath());
    return output.IsOk() && config.Save(output, wxConvUTF8) && output.Commit();
}

// ----------------------------------------------------------------------------
// The program's settings in that file.

namespace {

wxFileName& SettingsFile() {
    static wxFileName file;
    return file;
}

}  // namespace

void OpenSettings(const char* registryKey) {
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    SettingsFile().Assign(wxStandardPaths::Get().GetUserConfigDir(),
                          U8(res::kSettingsName) + ".conf");
    SettingsFile().AppendDir(U8(registryKey));
    delete wxConfigBase::Set(LoadSettings(SettingsFile()).release());
}

void WriteSetting(const wxString& key, const wxString& value) {
    // Saved at once, so a later crash or kill does not lose it.
    auto* config = dynamic_cast<wxFileConfig*>(wxConfigBase::Get());
    if (config == nullptr) return;
    config->Write(key, value);
    SaveSettings(*config, SettingsFile());
}

}  // namespace kelmoro
