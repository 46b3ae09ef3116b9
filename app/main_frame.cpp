// CMainFrame: menu, accelerators, toolbar and prompts, the status-bar
// indicators, the View commands and the help commands.
#include "main_frame.h"

#include <wx/menu.h>

#include <vector>

#include "accessibility.h"
#include "images.h"
#include "message_box.h"
#include "res/resource.h"
#include "res/strings.h"
#include "status_bar.h"
#include "test_trace.h"
#include "tool_tips.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

// A string-table prompt: the status-bar text before the new-line, the
// tooltip after it.
wxString Prompt(const char* text) {
    return U8(text).BeforeFirst('\n');
}
wxString ToolTip(const char* text) {
    return U8(text).AfterFirst('\n');
}

// Status-bar indicators: the message pane, kana, caps, num, scroll.
const int kIndicators[] = {res::cmd::ID_SEPARATOR, res::cmd::ID_INDICATOR_KANA,
                           res::cmd::ID_INDICATOR_CAPS, res::cmd::ID_INDICATOR_NUM,
                           res::cmd::ID_INDICATOR_SCRL};

struct Indicator {
    int id;
    const char* text;
    KeyboardLed led;  // the light it follows
};
const Indicator kIndicatorTable[] = {
    {res::cmd::ID_INDICATOR_KANA, res::kIndicatorKana, KeyboardLed::kKana},
    {res::cmd::ID_INDICATOR_CAPS, res::kIndicatorCaps, KeyboardLed::kCapsLock},
    {res::cmd::ID_INDICATOR_NUM, res::kIndicatorNum, KeyboardLed::kNumLock},
    {res::cmd::ID_INDICATOR_SCRL, res::kIndicatorScrl, KeyboardLed::kScrollLock},
};

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CMainFrame, wxDocParentFrame);

wxBEGIN_EVENT_TABLE(CMainFrame, wxDocParentFrame)
    EVT_MENU(res::cmd::ID_HELP_FINDER, CMainFrame::OnHelp)
    EVT_MENU(res::cmd::ID_HELP, CMainFrame::OnHelp)
    EVT_MENU(res::cmd::ID_CONTEXT_HELP, CMainFrame::OnContextHelp)
    EVT_MENU(res::cmd::ID_DEFAULT_HELP, CMainFrame::OnHelp)
    EVT_MENU(res::cmd::ID_VIEW_TOOLBAR, CMainFrame::OnViewToolBar)
    EVT_UPDATE_UI(res::cmd::ID_VIEW_TOOLBAR, CMainFrame::OnUpdateViewToolBar)
    EVT_MENU(res::cmd::ID_VIEW_STATUS_BAR, CMainFrame::OnViewStatusBar)
    EVT_UPDATE_UI(res::cmd::ID_VIEW_STATUS_BAR, CMainFrame::OnUpdateViewStatusBar)
    // A help request from a window (wxHelpEvent is a command event).
    EVT_COMMAND(wxID_ANY, wxEVT_HELP, CMainFrame::OnHelp)
    EVT_IDLE(CMainFrame::OnIdle)
    EVT_ACTIVATE(CMainFrame::OnActivate)
    EVT_MENU_OPEN(CMainFrame::OnMenuOpen)
    EVT_MENU_CLOSE(CMainFrame::OnMenuClose)
wxEND_EVENT_TABLE()

CMainFrame::CMainFrame()
    : m_helpMode(*this, [this](bool helpWanted) { OnHelpModeEnd(helpWanted); }),
      m_leds(OpenKeyboardLeds()) {}

CMainFrame::~CMainFrame() {
    m_manager.UnInit();
}

bool CMainFrame::LoadFrame(wxDocManager* manager, int resourceId) {
    // The framework's default size; the view shrinks it to fit the form.
    if (!wxDocParentFrame::Create(manager, nullptr, resourceId, U8(res::kAppTitle),
                                  wxDefaultPosition, wxSize(800, 600))) {
        return false;
    }
    SetIcons(AppIcons());
    BuildMenu();
    BuildAccelerators();
    if (OnCreate() == -1) {
        m_manager.UnInit();
        Destroy();
        return false;
    }
    return true;
}

// ----------------------------------------------------------------------------
// OnCreate and its bars.

int CMainFrame::OnCreate() {
    m_manager.SetManagedWindow(this);
    if (!CreateToolBarEx() || !LoadToolBar(res::IDR_MAINFRAME) || !CreateStatusBarEx() ||
        !SetIndicators(kIndicators, WXSIZEOF(kIndicators))) {
        return -1;
    }
    // Dockable on every side and floatable by its gripper; docked at the top.
    // Floating, it is a small tool window titled with the bar's name. Its
    // pane is as large as the bar's buttons: AUI would otherwise take the
    // bar's size of the moment, which on Windows is the frame's whole inside
    // (a frame stretches its only child), and the bar would take the window.
    const wxString title = wxStripMenuCodes(U8(res::kMenuViewToolbar), wxStrip_Menu);
    m_manager.AddPane(m_wndToolBar, wxAuiPaneInfo()
                                        .Name("toolbar")
                                        .Caption(title)
                                        .ToolbarPane()
                                        .BestSize(m_wndToolBar->GetMinSize())
                                        .Top()
                                        .Dockable(true)
                                        .Floatable(true)
                                        .Gripper(false));
    m_manager.Update();
    // wx draws the buttons itself: screen readers are told of them apart.
    ExposeToolBarButtons(m_wndToolBar, title);
    ShowIdleMessage();
    return 0;
}

bool CMainFrame::CreateToolBarEx() {
    m_wndToolBar =
        new wxAuiToolBar(this, res::cmd::AFX_IDW_TOOLBAR, wxDefaultPosition, wxDefaultSize,
                         wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER | wxAUI_TB_NO_TOOLTIPS);
    m_toolTips = std::make_unique<ToolBarToolTips>(m_wndToolBar);
    m_wndToolBar->Bind(wxEVT_MOTION, &CMainFrame::OnToolBarMotion, this);
    m_wndToolBar->Bind(wxEVT_LEAVE_WINDOW, &CMainFrame::OnToolBarLeave, this);
    m_wndToolBar->Bind(wxEVT_LEFT_DCLICK, &CMainFrame::OnToolBarDoubleClick, this);
    return true;
}

bool CMainFrame::LoadToolBar(int) {
    struct Button {
        int id;
        int image;  // index in the 48 x 15 strip; -1 for a separator
        const char* prompt;
    };
    const Button buttons[] = {
        {res::cmd::ID_FILE_OPEN, 0, res::kPromptFileOpen},
        {0, -1, nullptr},
        {res::cmd::ID_APP_ABOUT, 1, res::kPromptAppAbout},
        {res::cmd::ID_CONTEXT_HELP, 2, res::kPromptContextHelp},
    };
    m_wndToolBar->SetToolBitmapSize(wxSize(16, 15));
    for (const Button& button : buttons) {
        if (button.image < 0) {
            m_wndToolBar->AddSeparator();
            continue;
        }
        m_wndToolBar->AddTool(button.id, wxEmptyString, ToolbarImages(button.image), wxNullBitmap,
                              wxITEM_NORMAL, ToolTip(button.prompt), Prompt(button.prompt),
                              nullptr);
    }
    return m_wndToolBar->Realize();
}

bool CMainFrame::CreateStatusBarEx() {
    m_wndStatusBar = CreateStatusBar(1, wxSTB_DEFAULT_STYLE, res::cmd::AFX_IDW_STATUS_BAR);
    return m_wndStatusBar != nullptr;
}

wxStatusBar* CMainFrame::OnCreateStatusBar(int number, long style, wxWindowID id,
                                           const wxString& name) {
    auto* statusBar = new CStatusBar(this, id, style, name);
    statusBar->SetFieldsCount(number);
    return statusBar;
}

bool CMainFrame::SetIndicators(const int* ids, int count) {
    if (count <= 0) return false;
    m_wndStatusBar->SetFieldsCount(count);
    std::vector<int> widths(count, -1);
    std::vector<int> styles(count, wxSB_SUNKEN);
    for (int i = 0; i < count; ++i) {
        for (const Indicator& indicator : kIndicatorTable) {
            if (indicator.id != ids[i]) continue;
            widths[i] = m_wndStatusBar->GetTextExtent(U8(indicator.text)).x + 12;
        }
    }
    m_wndStatusBar->SetStatusWidths(count, widths.data());
    m_wndStatusBar->SetStatusStyles(count, styles.data());
    UpdateIndicators();
    return true;
}

// ----------------------------------------------------------------------------
// Menu and accelerators.

void CMainFrame::BuildMenu() {
    auto* file = new wxMenu;
    file->Append(res::cmd::ID_FILE_OPEN, U8(res::kMenuFileOpen), Prompt(res::kPromptFileOpen));
    file->AppendSeparator();
    file->Append(res::cmd::ID_APP_EXIT, U8(res::kMenuAppExit), Prompt(res::kPromptAppExit));
    auto* view = new wxMenu;
    view->AppendCheckItem(res::cmd::ID_VIEW_TOOLBAR, U8(res::kMenuViewToolbar),
                          Prompt(res::kPromptViewToolbar));
    view->AppendCheckItem(res::cmd::ID_VIEW_STATUS_BAR, U8(res::kMenuViewStatusBar),
                          Prompt(res::kPromptViewStatusBar));
    auto* help = new wxMenu;
    help->Append(res::cmd::ID_HELP_FINDER, U8(res::kMenuHelpFinder),
                 Prompt(res::kPromptHelpFinder));
    help->AppendSeparator();
    help->Append(res::cmd::ID_APP_ABOUT, U8(res::kMenuAppAbout), Prompt(res::kPromptAppAbout));
    // No prompt of its own.
    help->Append(res::cmd::ID_HELP_AUTHOR, U8(res::kMenuHelpAuthor));
    auto* bar = new wxMenuBar;
    bar->Append(file, U8(res::kMenuFile));
    bar->Append(view, U8(res::kMenuView));
    bar->Append(help, U8(res::kMenuHelp));
    SetMenuBar(bar);
}

void CMainFrame::BuildAccelerators() {
    const wxAcceleratorEntry entries[] = {
        {wxACCEL_CTRL, 'N', res::cmd::ID_FILE_NEW},
        {wxACCEL_CTRL, 'O', res::cmd::ID_FILE_OPEN},
        {wxACCEL_CTRL, 'S', res::cmd::ID_FILE_SAVE},
        {wxACCEL_CTRL, 'Z', res::cmd::ID_EDIT_UNDO},
        {wxACCEL_CTRL, 'X', res::cmd::ID_EDIT_CUT},
        {wxACCEL_CTRL, 'C', res::cmd::ID_EDIT_COPY},
        {wxACCEL_CTRL, 'V', res::cmd::ID_EDIT_PASTE},
        {wxACCEL_ALT, WXK_BACK, res::cmd::ID_EDIT_UNDO},
        {wxACCEL_SHIFT, WXK_DELETE, res::cmd::ID_EDIT_CUT},
        {wxACCEL_CTRL, WXK_INSERT, res::cmd::ID_EDIT_COPY},
        {wxACCEL_SHIFT, WXK_INSERT, res::cmd::ID_EDIT_PASTE},
        {wxACCEL_NORMAL, WXK_F6, res::cmd::ID_NEXT_PANE},
        {wxACCEL_SHIFT, WXK_F6, res::cmd::ID_PREV_PANE},
        {wxACCEL_SHIFT, WXK_F1, res::cmd::ID_CONTEXT_HELP},
        {wxACCEL_NORMAL, WXK_F1, res::cmd::ID_HELP},
    };
    SetAcceleratorTable(wxAcceleratorTable(WXSIZEOF(entries), entries));
}

// ----------------------------------------------------------------------------
// Layout and the view window.

void CMainFrame::SetViewWindow(wxWindow* window) {
    if (m_viewWindow != nullptr) m_manager.DetachPane(m_viewWindow);
    m_viewWindow = window;
    if (window != nullptr) m_manager.AddPane(window, wxAuiPaneInfo().Name("view").CenterPane());
    m_manager.Update();
}

void CMainFrame::RecalcLayout() {
    SendSizeEvent();
    m_manager.Update();
}

// ----------------------------------------------------------------------------
// Status bar: the idle message, fly-by prompts, indicators.

void CMainFrame::ShowIdleMessage() {
    if (m_wndStatusBar != nullptr) SetStatusText(U8(res::kIdleMessage), 0);
}

void CMainFrame::UpdateIndicators() {
    if (m_wndStatusBar == nullptr) return;
    if (!m_leds->Read()) return;
    for (int field = 0; field < m_wndStatusBar->GetFieldsCount(); ++field) {
        for (const Indicator& indicator : kIndicatorTable) {
            if (indicator.id != kIndicators[field]) continue;
            const wxString text = m_leds->Lit(indicator.led) ? U8(indicator.text) : "";
            if (text != m_indicatorTexts[field]) {
                m_indicatorTexts[field] = text;
                m_wndStatusBar->SetStatusText(text, field);
            }
        }
    }
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    UpdateIndicators();
    event.Skip();
}

void CMainFrame::OnActivate(wxActivateEvent& event) {
    event.Skip();
    // Back from a modal dialog or box, GTK leaves the focus nowhere; the
    // frame's accelerators reach it only through a focused window.
    if (event.GetActive()) CallAfter([this] { KeepFocusInFrame(); });
}

void CMainFrame::KeepFocusInFrame() {
    if (m_viewWindow == nullptr || !IsActive()) return;
    wxWindow* focus = FindFocus();
    if (focus != nullptr && focus != this && focus->IsShownOnScreen() &&
        wxGetTopLevelParent(focus) == this) {
        return;  // a shown window of the frame has it
    }
    m_viewWindow->SetFocus();
}

void CMainFrame::OnToolBarMotion(wxMouseEvent& event) {
    event.Skip();
    wxAuiToolBarItem* item = m_wndToolBar->FindToolByPosition(event.GetX(), event.GetY());
    const int id = item != nullptr && item->GetKind() != wxITEM_SEPARATOR ? item->GetId() : -1;
    if (id == m_flyByTool) return;
    m_flyByTool = id;
    if (id == -1) {
        ShowIdleMessage();
    } else {
        SetStatusText(item->GetLongHelp(), 0);
    }
}

void CMainFrame::OnToolBarDoubleClick(wxMouseEvent& event) {
    // As with the framework's toolbars: a double click on a floating bar
    // (away from its buttons) docks it again where it was docked last.
    wxAuiPaneInfo& pane = m_manager.GetPane(m_wndToolBar);
    wxAuiToolBarItem* item = m_wndToolBar->FindToolByPosition(event.GetX(), event.GetY());
    if (!pane.IsFloating() || (item != nullptr && item->GetKind() != wxITEM_SEPARATOR)) {
        event.Skip();
        return;
    }
    pane.Dock();
    m_manager.Update();
}

void CMainFrame::OnToolBarLeave(wxMouseEvent& event) {
    event.Skip();
    m_flyByTool = -1;
    if (!m_helpMode.Active()) ShowIdleMessage();
}

void CMainFrame::OnMenuOpen(wxMenuEvent& event) {
    event.Skip();
    // Test trace only: the popup's title and items.
    wxMenu* menu = event.GetMenu();
    wxMenuBar* bar = GetMenuBar();
    if (menu == nullptr || bar == nullptr) return;
    menu->UpdateUI(this);  // the check marks as the user sees them
    wxString line = "menu";
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        if (bar->GetMenu(i) == menu) line << "\t" << bar->GetMenuLabel(i);
    }
    for (wxMenuItem* item : menu->GetMenuItems()) {
        if (item->IsSeparator()) {
            line << "\t-";
            continue;
        }
        wxString label = item->GetItemLabel();
        label.Replace("\t", "\\t");  // one field per item
        line << "\t" << label;
        if (item->IsCheckable()) line << (item->IsChecked() ? " [x]" : " [ ]");
    }
    TraceLine(line);
}

void CMainFrame::OnMenuClose(wxMenuEvent& event) {
    event.Skip();
    if (!m_helpMode.Active()) CallAfter([this] { ShowIdleMessage(); });
}

// ----------------------------------------------------------------------------
// View commands.

void CMainFrame::OnViewToolBar(wxCommandEvent&) {
    wxAuiPaneInfo& pane = m_manager.GetPane(m_wndToolBar);
    pane.Show(!pane.IsShown());
    m_manager.Update();
    KeepFocusInFrame();  // the hidden toolbar may have held it
}

void CMainFrame::OnUpdateViewToolBar(wxUpdateUIEvent& event) {
    event.Check(m_manager.GetPane(m_wndToolBar).IsShown());
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&) {
    m_wndStatusBar->Show(!m_wndStatusBar->IsShown());
    RecalcLayout();
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) {
    event.Check(m_wndStatusBar->IsShown());
}

// ----------------------------------------------------------------------------
// Help: no help file is installed, and the commands say so.

void CMainFrame::OnHelp(wxCommandEvent&) {
    ShowNoHelpInstalled();
}

void CMainFrame::ShowNoHelpInstalled() {
    KelmoroMessageBox(U8(res::kNoHelpInstalled), BoxStyle::kPlain, this);
}

void CMainFrame::OnContextHelp(wxCommandEvent&) {
    if (m_helpMode.Active()) return;
    m_helpMode.Begin();
    SetStatusText(U8(res::kHelpModeMessage), 0);
}

void CMainFrame::OnHelpModeEnd(bool helpWanted) {
    ShowIdleMessage();
    if (helpWanted) ShowNoHelpInstalled();
}

}  // namespace kelmoro
