// CAboutDlg: the version dialog: the application
// icon, "Kelmoro Version 2.1", a notice line and OK. No handlers of its own.
#pragma once

#include <wx/dialog.h>

namespace kelmoro {

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent = nullptr);
    int DoModal() { return ShowModal(); }
};

}  // namespace kelmoro
