// CMainFrame: resource 128 (menu, accelerators, toolbar, prompts), the
// status-bar indicators and the help commands.
#include "main_frame.h"

#include <X11/XKBlib.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <cstring>
#include <vector>

#include "images.h"
#include "message_box.h"
#include "res/resource.h"
#include "res/strings.h"
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
    const char* xkbName;  // the keyboard LED it follows
};
const Indicator kIndicatorTable[] = {
    {res::cmd::ID_INDICATOR_KANA, res::kIndicatorKana, "Kana"},
    {res::cmd::ID_INDICATOR_CAPS, res::kIndicatorCaps, "Caps Lock"},
    {res::cmd::ID_INDICATOR_NUM, res::kIndicatorNum, "Num Lock"},
    {res::cmd::ID_INDICATOR_SCRL, res::kIndicatorScrl, "Scroll Lock"},
};

// The keyboard's LEDs, read from XKB: wxGetKeyState reports whether Scroll
// Lock is held, not whether it is on. The LEDs' indices are looked up once;
// each reading is then a single request to the X server.
class KeyboardLeds {
public:
    // Reads the current state; false when there is no X display.
    bool Read() {
        Display* display = wxGetX11Display();
        if (display == nullptr) return false;
        if (!m_resolved) Resolve(display);
        return XkbGetIndicatorState(display, XkbUseCoreKbd, &m_state) == Success;
    }
    // Whether the LED named `name` ("Caps Lock"...) was lit at the last Read.
    bool Lit(const char* name) const {
        for (const Led& led : m_leds) {
            if (std::strcmp(led.name, name) == 0)
                return led.index >= 0 && (m_state >> led.index) & 1;
        }
        return false;
    }

private:
    struct Led {
        const char* name;
        int index;
    };
    void Resolve(Display* display) {
        for (Led& led : m_leds) {
            const Atom atom = XInternAtom(display, led.name, True);
            int index = -1;
            if (atom == None ||
                !XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr)) {
                index = -1;
            }
            led.index = index;
        }
        m_resolved = true;
    }
    Led m_leds[4] = {{"Kana", -1}, {"Caps Lock", -1}, {"Num Lock", -1}, {"Scroll Lock", -1}};
    bool m_resolved = false;
    unsigned int m_state = 0;
};

// The status bar; each change of a pane's text also goes to the test trace
// (see message_box.h), so tests can read prompts and indicators.
class CStatusBar : public wxStatusBar {
public:
    CStatusBar(wxWindow* parent, wxWindowID id, long style, const wxString& name)
        : wxStatusBar(parent, id, style, name) {}

protected:
    void DoUpdateStatusText(int number) override {
        const wxString text = GetStatusText(number);
        if (number >= 0 && number < kTracedPanes && text != m_traced[number]) {
            m_traced[number] = text;
            TraceLine(wxString::Format("status\t%d\t", number) + text);
        }
        wxStatusBar::DoUpdateStatusText(number);
    }

private:
    static constexpr int kTracedPanes = 5;
    wxString m_traced[kTracedPanes];
};

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CMainFrame, wxDocParentFrame);

wxBEGIN_EVENT_TABLE(CMainFrame, wxDocParentFrame)
    EVT_MENU(res::cmd::ID_HELP_FINDER, CMainFrame::OnHelpFinder)
    EVT_MENU(res::cmd::ID_HELP, CMainFrame::OnHelp)
    EVT_MENU(res::cmd::ID_CONTEXT_HELP, CMainFrame::OnContextHelp)
    EVT_MENU(res::cmd::ID_DEFAULT_HELP, CMainFrame::OnHelpFinder)
    EVT_MENU(res::cmd::ID_VIEW_TOOLBAR, CMainFrame::OnViewToolBar)
    EVT_UPDATE_UI(res::cmd::ID_VIEW_TOOLBAR, CMainFrame::OnUpdateViewToolBar)
    EVT_MENU(res::cmd::ID_VIEW_STATUS_BAR, CMainFrame::OnViewStatusBar)
    EVT_UPDATE_UI(res::cmd::ID_VIEW_STATUS_BAR, CMainFrame::OnUpdateViewStatusBar)
    EVT_HELP(wxID_ANY, CMainFrame::OnHelpEvent)
    EVT_IDLE(CMainFrame::OnIdle)
    EVT_MENU_OPEN(CMainFrame::OnMenuOpen)
    EVT_MENU_CLOSE(CMainFrame::OnMenuClose)
wxEND_EVENT_TABLE()

CMainFrame::~CMainFrame() {
    // Closed in help mode: the filter must not outlive the frame.
    if (m_helpFilter) {
        wxEvtHandler::RemoveFilter(m_helpFilter.get());
        wxEndBusyCursor();
    }
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
    m_manager.AddPane(
        m_wndToolBar,
        wxAuiPaneInfo().Name("toolbar").ToolbarPane().Top().Dockable(true).Floatable(true).Gripper(
            false));
    m_manager.Update();
    ShowIdleMessage();
    return 0;
}

bool CMainFrame::CreateToolBarEx() {
    m_wndToolBar = new wxAuiToolBar(this, res::cmd::AFX_IDW_TOOLBAR, wxDefaultPosition,
                                    wxDefaultSize, wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER);
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
        m_wndToolBar->AddTool(button.id, wxEmptyString, ToolbarButton(button.image), wxNullBitmap,
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
// Menu 128 and accelerators 128.

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
    static KeyboardLeds leds;
    if (!leds.Read()) return;
    for (int field = 0; field < m_wndStatusBar->GetFieldsCount(); ++field) {
        for (const Indicator& indicator : kIndicatorTable) {
            if (indicator.id != kIndicators[field]) continue;
            const wxString text = leds.Lit(indicator.xkbName) ? U8(indicator.text) : "";
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
    if (!m_helpFilter) ShowIdleMessage();
}

void CMainFrame::OnMenuOpen(wxMenuEvent& event) {
    event.Skip();
    // Test trace only (see message_box.h): the popup's title and items.
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
    if (!m_helpFilter) CallAfter([this] { ShowIdleMessage(); });
}

// ----------------------------------------------------------------------------
// View commands.

void CMainFrame::OnViewToolBar(wxCommandEvent&) {
    wxAuiPaneInfo& pane = m_manager.GetPane(m_wndToolBar);
    pane.Show(!pane.IsShown());
    m_manager.Update();
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

void CMainFrame::OnHelpFinder(wxCommandEvent&) {
    KelmoroMessageBox(U8(res::kNoHelpInstalled), BoxStyle::kPlain, this);
}

void CMainFrame::OnHelp(wxCommandEvent&) {
    KelmoroMessageBox(U8(res::kNoHelpInstalled), BoxStyle::kPlain, this);
}

void CMainFrame::OnContextHelp(wxCommandEvent&) {
    if (m_helpFilter) return;
    // Help mode: the question-arrow cursor until the next click, which asks
    // for help on what it hit; Escape leaves the mode. An application-wide
    // filter sees the click and the key wherever they land.
    m_helpFilter = std::make_unique<HelpModeFilter>(*this);
    wxEvtHandler::AddFilter(m_helpFilter.get());
    wxBeginBusyCursor(&m_helpCursor);
    SetStatusText(U8(res::kHelpModeMessage), 0);
    TraceLine("helpmode\ton");
}

void CMainFrame::EndHelpMode(bool helpWanted) {
    if (!m_helpFilter) return;
    wxEvtHandler::RemoveFilter(m_helpFilter.get());
    m_helpFilter.reset();
    wxEndBusyCursor();
    TraceLine("helpmode\toff");
    ShowIdleMessage();
    if (helpWanted) KelmoroMessageBox(U8(res::kNoHelpInstalled), BoxStyle::kPlain, this);
}

int CMainFrame::HelpModeFilter::FilterEvent(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN) {
        m_frame.CallAfter([frame = &m_frame] { frame->EndHelpMode(true); });
        return Event_Processed;
    }
    if (type == wxEVT_KEY_DOWN || type == wxEVT_CHAR_HOOK) {
        if (static_cast<wxKeyEvent&>(event).GetKeyCode() == WXK_ESCAPE) {
            m_frame.CallAfter([frame = &m_frame] { frame->EndHelpMode(false); });
        }
        return Event_Processed;
    }
    if (type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_UP ||
        type == wxEVT_CHAR || type == wxEVT_KEY_UP) {
        return Event_Processed;
    }
    return Event_Skip;
}

void CMainFrame::OnHelpEvent(wxHelpEvent&) {
    KelmoroMessageBox(U8(res::kNoHelpInstalled), BoxStyle::kPlain, this);
}

}  // namespace kelmoro
