// CKelmoroApp: the application object. InitInstance chooses
// between the program's two roads: with file names on the command line it
// converts them (one in the progress dialog, several in the batch window)
// and ends; without one it opens the main window and waits for commands.
#pragma once

#include <wx/app.h>
#include <wx/docview.h>
#include <wx/filehistory.h>
#include <wx/filename.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"

namespace kelmoro {

class CKelmoroApp : public wxApp {
public:
    CKelmoroApp();

    // The parsed command line; main() hands it over before OnInit.
    void SetCommandLineInfo(const CCommandLineInfo& info) { m_cmdInfo = info; }
    // Exit status when InitInstance ended the program (the command-line road):
    // 0 when every AU file was written, 1 otherwise.
    int CommandLineExitCode() const { return m_exitCode; }

    bool OnInit() override;
    int OnExit() override;

protected:
    bool InitInstance();

private:
    // The framework's settings, kept under the registry key name.
    void SetRegistryKey(const char* key);
    void LoadStdProfileSettings(int recentFiles);
    // Runs the parsed shell command; new-file makes document, frame and view.
    bool ProcessShellCommand(const CCommandLineInfo& info);

    // The application's commands and the framework's.
    void OnAppAbout(wxCommandEvent& event);
    void OnFileOpen(wxCommandEvent& event);
    // The road of File > Open, in two halves: the chooser (an empty path
    // when cancelled), then the confirmation box and the progress dialog,
    // which dropped files take too.
    std::string ChooseFileToOpen();
    void ConfirmAndConvert(const std::string& path);
    // Several files: one confirmation naming the first few, then the batch
    // window and its summary.
    void ConfirmAndConvertBatch(const std::vector<std::string>& paths);
    void OpenDroppedFiles(const std::vector<std::string>& paths);
    void OnFileNew(wxCommandEvent& event);
    void OnFrameworkFileOpen(wxCommandEvent& event);
    void OnAppExit(wxCommandEvent& event);
    bool NewDocument();
    void ReactivateMainWindow();

    CCommandLineInfo m_cmdInfo;
    int m_exitCode = 1;
    std::unique_ptr<wxDocManager> m_docManager;
    std::unique_ptr<wxFileHistory> m_recentFiles;
    std::deque<std::vector<std::string>> m_droppedFiles;
    bool m_openingDroppedFiles = false;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelmoro

wxDECLARE_APP(kelmoro::CKelmoroApp);
