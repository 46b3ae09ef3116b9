// CKelmoroApp: start-up and the application's commands.
#include "kelmoro_app.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/stdpaths.h>

#include "convert_dlg.h"
#include "engine/convert_context.h"
#include "images.h"
#include "res/strings.h"
#include "wx_text.h"

wxIMPLEMENT_APP_NO_MAIN(kelmoro::CKelmoroApp);

namespace kelmoro {

CKelmoroApp::CKelmoroApp() {
    // No application name of its own: the title comes from string 57344.
    SetAppName("kelmoro");
    SetAppDisplayName(U8(res::kAppTitle));
}

bool CKelmoroApp::OnInit() {
    return InitInstance();
}

// ----------------------------------------------------------------------------
// Start-up.

bool CKelmoroApp::InitInstance() {
    // Step 1 (control containers, 3D controls) has no counterpart here.
    SetRegistryKey(res::kRegistryKey);
    LoadStdProfileSettings(res::kRecentFileCount);

    if (m_cmdInfo.shellCommand > CCommandLineInfo::FileNew) {
        CConvertDlg dlg(nullptr);
        if (!m_cmdInfo.fileName.empty()) {
            SetInputPath(m_cmdInfo.fileName);
            dlg.DoModal();
            m_exitCode = dlg.Converted() ? 0 : 1;
            return false;
        }
    }

    // Until the main window is built: its bare frame.
    auto* frame = new wxFrame(nullptr, wxID_ANY, U8(res::kAppTitle));
    frame->SetIcons(AppIcons());
    SetTopWindow(frame);
    frame->Show();
    frame->Update();
    frame->SetTitle(U8(res::kMainCaption));
    return true;
}

void CKelmoroApp::SetRegistryKey(const char* key) {
    // HKEY_CURRENT_USER\Software\<key>\<application> becomes
    // $XDG_CONFIG_HOME/<key>/Kelmoro.conf; nothing is written unless a
    // setting changes.
    SetVendorName(U8(key));
    wxFileName file(wxStandardPaths::Get().GetUserConfigDir(), U8(res::kSettingsName) + ".conf");
    file.AppendDir(U8(key));
    wxConfigBase::Set(new wxFileConfig(U8(res::kSettingsName), U8(key), file.GetFullPath(),
                                       wxEmptyString, wxCONFIG_USE_LOCAL_FILE));
}

void CKelmoroApp::LoadStdProfileSettings(int recentFiles) {
    (void)recentFiles;  // the recent-file list comes with the document manager
}

}  // namespace kelmoro
