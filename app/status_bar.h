// CStatusBar: the main window's status bar. It draws like wx's own; each
// change of a pane's text also goes to the test trace, so tests can read
// the prompts and indicators, which no X property carries.
#pragma once

#include <wx/statusbr.h>

namespace kelmoro {

class CStatusBar : public wxStatusBar {
public:
    CStatusBar(wxWindow* parent, wxWindowID id, long style, const wxString& name)
        : wxStatusBar(parent, id, style, name) {}

protected:
    void DoUpdateStatusText(int number) override;

private:
    static constexpr int kTracedPanes = 5;
    wxString m_traced[kTracedPanes];
};

}  // namespace kelmoro
