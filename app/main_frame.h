// CMainFrame: the single-document main window: its menu, accelerators, a
// dockable toolbar with a gripper, tooltips and fly-by prompts, a status bar
// with a message pane and four keyboard indicators, and the help commands.
// No help file is part of the program: the help commands say so.
//
// OnCreate makes the bars one at a time and fails (-1) at the first that
// cannot be made; LoadFrame then destroys the window and reports false.
#pragma once

#include <wx/aui/aui.h>
#include <wx/docview.h>

#include <memory>

#include "help_mode.h"
#include "keyboard_leds.h"
#include "tool_tips.h"

namespace kelmoro {

class CMainFrame : public wxDocParentFrame {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Creates the window with the bars of `resourceId` and runs OnCreate.
    bool LoadFrame(wxDocManager* manager, int resourceId);

    // The view's window becomes the centre pane (null: none).
    void SetViewWindow(wxWindow* window);
    // Lays out bars and view again (the framework's RecalcLayout).
    void RecalcLayout();

    wxAuiToolBar* ToolBar() const { return m_wndToolBar; }
    wxAuiPaneInfo& ToolBarPane() { return m_manager.GetPane(m_wndToolBar); }

protected:
    // 0 on success, -1 when a bar cannot be made.
    int OnCreate();
    // The steps of OnCreate, one bar at a time; each returns false on failure.
    virtual bool CreateToolBarEx();
    virtual bool LoadToolBar(int resourceId);
    virtual bool CreateStatusBarEx();
    virtual bool SetIndicators(const int* ids, int count);
    wxStatusBar* OnCreateStatusBar(int number, long style, wxWindowID id,
                                   const wxString& name) override;

private:
    void BuildMenu();
    void BuildAccelerators();
    void ShowIdleMessage();
    void UpdateIndicators();

    void OnIdle(wxIdleEvent& event);
    void OnActivate(wxActivateEvent& event);
    // Gives the keyboard focus to the view when no window of the frame has
    // it, so that the accelerators keep working.
    void KeepFocusInFrame();
    void OnViewToolBar(wxCommandEvent& event);
    void OnUpdateViewToolBar(wxUpdateUIEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    // Every help command, F1 and a help-mode click: no help is installed.
    void OnHelp(wxCommandEvent& event);
    void ShowNoHelpInstalled();
    void OnContextHelp(wxCommandEvent& event);
    void OnHelpModeEnd(bool helpWanted);
    void OnToolBarMotion(wxMouseEvent& event);
    void OnToolBarLeave(wxMouseEvent& event);
    void OnToolBarDoubleClick(wxMouseEvent& event);
    void OnMenuOpen(wxMenuEvent& event);
    void OnMenuClose(wxMenuEvent& event);

    wxStatusBar* m_wndStatusBar = nullptr;
    wxAuiToolBar* m_wndToolBar = nullptr;
    std::unique_ptr<ToolBarToolTips> m_toolTips;
    wxAuiManager m_manager;
    wxWindow* m_viewWindow = nullptr;
    HelpMode m_helpMode;
    std::unique_ptr<KeyboardLeds> m_leds;  // of the display's windowing system
    int m_flyByTool = -1;
    wxString m_indicatorTexts[5];

    wxDECLARE_DYNAMIC_CLASS(CMainFrame);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelmoro
