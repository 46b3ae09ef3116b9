// CKelmoroApp: start-up and the application's commands.
#include "kelmoro_app.h"

#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <algorithm>

#include "about_dlg.h"
#include "batch_dlg.h"
#include "convert_dlg.h"
#include "doc_template.h"
#include "engine/convert_context.h"
#include "file_drop_target.h"
#include "kelmoro_doc.h"
#include "kelmoro_view.h"
#include "main_frame.h"
#include "message_box.h"
#include "native_controls.h"
#include "native_window_fit.h"
#include "res/resource.h"
#include "res/strings.h"
#include "settings.h"
#include "wx_text.h"

wxIMPLEMENT_APP_NO_MAIN(kelmoro::CKelmoroApp);

namespace kelmoro {

// The command table, in this order on purpose: the first ID_FILE_OPEN entry is the
// one that runs, so the framework's document opening is never reached.
wxBEGIN_EVENT_TABLE(CKelmoroApp, wxApp)
    EVT_MENU(res::cmd::ID_APP_ABOUT, CKelmoroApp::OnAppAbout)
    EVT_MENU(res::cmd::ID_FILE_OPEN, CKelmoroApp::OnFileOpen)
    EVT_MENU(res::cmd::ID_FILE_NEW, CKelmoroApp::OnFileNew)
    EVT_MENU(res::cmd::ID_FILE_OPEN, CKelmoroApp::OnFrameworkFileOpen)
    EVT_MENU(res::cmd::ID_APP_EXIT, CKelmoroApp::OnAppExit)
wxEND_EVENT_TABLE()

CKelmoroApp::CKelmoroApp() {
    // No application name of its own: the title is the program's title.
    SetAppName("kelmoro");
    SetAppDisplayName(U8(res::kAppTitle));
}

bool CKelmoroApp::OnInit() {
    return InitInstance();
}

int CKelmoroApp::OnExit() {
    m_docManager.reset();
    delete wxConfigBase::Set(nullptr);
    return wxApp::OnExit();
}

// ----------------------------------------------------------------------------
// Start-up.

bool CKelmoroApp::InitInstance() {
    // Settings first: the recent-file list lives there.
    SetRegistryKey(res::kRegistryKey);
    LoadStdProfileSettings(res::kRecentFileCount);

    // The single-document template, registered with the manager.
    m_docManager = std::make_unique<wxDocManager>();
    m_docManager->SetMaxDocsOpen(1);
    new CSingleDocTemplate(m_docManager.get(), wxCLASSINFO(CKelmoroDoc), wxCLASSINFO(CMainFrame),
                           wxCLASSINFO(CKelmoroView));

    // File names on the command line (parsed in main) are converted without
    // a confirmation, and the program ends without a main window: status 0
    // only if every file was converted. One file runs in the conversion
    // dialog with its own boxes; several run in the batch window, which
    // ends with one summary.
    if (m_cmdInfo.shellCommand > CCommandLineInfo::FileNew && !m_cmdInfo.fileNames.empty()) {
        if (m_cmdInfo.fileNames.size() == 1) {
            CConvertDlg dlg(nullptr);
            SetInputPath(m_cmdInfo.fileNames.front());
            dlg.DoModal();
            m_exitCode = dlg.Converted() ? 0 : 1;
        } else {
            CBatchDlg dlg(m_cmdInfo.fileNames, nullptr);
            dlg.DoModal();
            m_exitCode = dlg.Outcome().AllConverted() ? 0 : 1;
        }
        return false;
    }

    // No file: the new-file command makes document, frame and view.
    if (!ProcessShellCommand(m_cmdInfo)) return false;

    // Show the main window at once, then give it its caption.
    wxWindow* mainWindow = GetTopWindow();
    mainWindow->Show();
    mainWindow->Raise();
    mainWindow->Update();
    mainWindow->SetLabel(U8(res::kMainCaption));
    // Files dropped on it are opened as if chosen with File > Open.
    mainWindow->SetDropTarget(new CFileDropTarget(
        [this](const std::vector<std::string>& paths) { OpenDroppedFiles(paths); }));
    return true;
}

void CKelmoroApp::SetRegistryKey(const char* key) {
    // Nothing is written unless a setting changes.
    SetVendorName(U8(key));
    OpenSettings(key);
}

void CKelmoroApp::LoadStdProfileSettings(int recentFiles) {
    // The recent-file list is held but never shown (the menu has no entries
    // for it) and never filled.
    m_recentFiles = std::make_unique<wxFileHistory>(recentFiles);
    wxConfigBase* config = wxConfigBase::Get();
    const wxString oldPath = config->GetPath();
    config->SetPath("/Recent File List");
    m_recentFiles->Load(*config);
    config->SetPath(oldPath);
}

bool CKelmoroApp::ProcessShellCommand(const CCommandLineInfo&) {
    // Every shell command without a file name opens a new document; the
    // framework's printing, DDE and unregistering have no meaning here.
    return NewDocument() && GetTopWindow() != nullptr;
}

bool CKelmoroApp::NewDocument() {
    return m_docManager->CreateNewDocument() != nullptr;
}

// ----------------------------------------------------------------------------
// Commands.

void CKelmoroApp::OnFileOpen(wxCommandEvent&) {
    const std::string path = ChooseFileToOpen();
    if (!path.empty()) ConfirmAndConvert(path);
}

std::string CKelmoroApp::ChooseFileToOpen() {
    // The filter string of the resource, "Wave(*.wav)|*.wav|全て(*.*)|*.*||",
    // ends in "||"; wx wants it without the empty pair.
    const wxString filter = ChooserFilter(U8(res::kOpenFilter));
    // The default extension "wav" has nothing to do here: the chooser
    // returns only files that exist.
    // It opens in the folder last chosen from, while that still exists.
    wxConfigBase* config = wxConfigBase::Get();
    wxString folder = config->Read(U8(res::kOpenFolderSetting), wxString());
    if (!wxFileName::DirExists(folder)) folder.clear();
    auto* dialog =
        new wxFileDialog(GetTopWindow(), U8(res::kOpenDialogTitle), folder,
                         U8(res::kOpenInitialName), filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    // GTK gives the chooser a size of its own, taller than a small screen.
    KeepNativeWindowInWorkArea(dialog);
    std::string path;
    wxString chosenFolder;
    if (dialog->ShowModal() == wxID_OK) {
        path = PathBytes(dialog->GetPath());
        chosenFolder = wxFileName(dialog->GetPath()).GetPath();
    }
    dialog->Destroy();
    if (!path.empty() && !chosenFolder.empty() && chosenFolder != folder) {
        WriteSetting(U8(res::kOpenFolderSetting), chosenFolder);
    }
    return path;
}

void CKelmoroApp::ConfirmAndConvert(const std::string& path) {
    if (KelmoroMessageBox(FromBytes(path) + U8(res::kConfirmSuffix), BoxStyle::kConfirmation) !=
        wxID_OK) {
        return;
    }
    {
        CConvertDlg dlg(nullptr);
        SetInputPath(path);
        dlg.DoModal();
    }
    ReactivateMainWindow();
}

void CKelmoroApp::OpenDroppedFiles(const std::vector<std::string>& paths) {
    // One drop at a time, in the order dropped. A drop made while the boxes
    // of an earlier one are up waits its turn behind it.
    m_droppedFiles.push_back(paths);
    if (m_openingDroppedFiles) return;
    m_openingDroppedFiles = true;
    // The drop came from another program, which still has the keyboard:
    // the boxes that follow are for this one.
    ReactivateMainWindow();
    while (!m_droppedFiles.empty()) {
        const std::vector<std::string> drop = std::move(m_droppedFiles.front());
        m_droppedFiles.pop_front();
        // One file takes the road of File > Open; several are confirmed
        // once and converted in the batch window.
        if (drop.size() == 1) {
            ConfirmAndConvert(drop.front());
        } else {
            ConfirmAndConvertBatch(drop);
        }
    }
    m_openingDroppedFiles = false;
}

namespace {

// How many files a drop will convert, then the first few by name.
wxString BatchConfirmationText(const std::vector<std::string>& paths) {
    const int count = static_cast<int>(paths.size());
    const int shown = std::min(count, res::kBatchConfirmNamesShown);
    wxString text = wxString::Format(U8(res::kBatchConfirmFormat), count) + "\n";
    for (int i = 0; i < shown; ++i) text << "\n" << FromBytes(paths[i]);
    if (count > shown)
        text << "\n" << wxString::Format(U8(res::kBatchConfirmMoreFormat), count - shown);
    return text;
}

}  // namespace

void CKelmoroApp::ConfirmAndConvertBatch(const std::vector<std::string>& paths) {
    if (KelmoroMessageBox(BatchConfirmationText(paths), BoxStyle::kConfirmation) != wxID_OK) {
        return;
    }
    {
        CBatchDlg dlg(paths, nullptr);
        dlg.DoModal();
    }
    ReactivateMainWindow();
}

void CKelmoroApp::ReactivateMainWindow() {
    // The owner of a modal dialog gets the focus back when the dialog ends;
    // under GTK the window manager may leave it with no window at all once
    // the job has disabled and re-enabled the main window.
    if (wxWindow* mainWindow = GetTopWindow()) mainWindow->Raise();
}

void CKelmoroApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg aboutDlg(nullptr);
    aboutDlg.DoModal();
}

void CKelmoroApp::OnFileNew(wxCommandEvent&) {
    NewDocument();
}

void CKelmoroApp::OnFrameworkFileOpen(wxCommandEvent& event) {
    // Shadowed by OnFileOpen above: the earlier entry of the event table wins.
    event.Skip();
}

void CKelmoroApp::OnAppExit(wxCommandEvent&) {
    if (wxWindow* mainWindow = GetTopWindow()) mainWindow->Close();
}

}  // namespace kelmoro
