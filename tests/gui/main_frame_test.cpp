// CMainFrame::OnCreate in a real X session (run under xvfb-run):
// the bars are made one at a time, the first that fails makes OnCreate
// return -1 and LoadFrame false, and the later ones are not attempted; a
// frame that loads has resource 128's menu, toolbar and status bar.
#include "main_frame.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "wx_test_main.h"

namespace kelmoro {
namespace {

// Records each step and fails the one named.
class StepFrame : public CMainFrame {
public:
    StepFrame(std::vector<std::string>& steps, std::string failing)
        : m_steps(steps), m_failing(std::move(failing)) {}

protected:
    bool CreateToolBarEx() override { return Step("toolbar") && CMainFrame::CreateToolBarEx(); }
    bool LoadToolBar(int id) override { return Step("load") && CMainFrame::LoadToolBar(id); }
    bool CreateStatusBarEx() override {
        return Step("statusbar") && CMainFrame::CreateStatusBarEx();
    }
    bool SetIndicators(const int* ids, int count) override {
        return Step("indicators") && CMainFrame::SetIndicators(ids, count);
    }

private:
    bool Step(const char* name) {
        m_steps.push_back(name);
        return m_failing != name;
    }
    std::vector<std::string>& m_steps;
    std::string m_failing;
};

struct FailCase {
    const char* failing;
    std::vector<std::string> attempted;
};

class OnCreateFails : public testing::TestWithParam<FailCase> {};

TEST_P(OnCreateFails, AtTheFirstBarThatCannotBeMade) {
    if (!g_haveDisplay) GTEST_SKIP() << "no display";
    std::vector<std::string> steps;
    wxDocManager manager;
    auto* frame = new StepFrame(steps, GetParam().failing);
    EXPECT_FALSE(frame->LoadFrame(&manager, res::IDR_MAINFRAME));
    EXPECT_EQ(steps, GetParam().attempted);
    wxTheApp->ProcessIdle();  // the failed frame is destroyed
}

INSTANTIATE_TEST_SUITE_P(
    Table, OnCreateFails,
    testing::Values(FailCase{"toolbar", {"toolbar"}}, FailCase{"load", {"toolbar", "load"}},
                    FailCase{"statusbar", {"toolbar", "load", "statusbar"}},
                    FailCase{"indicators", {"toolbar", "load", "statusbar", "indicators"}}));

TEST(MainFrame, LoadsResource128) {
    if (!g_haveDisplay) GTEST_SKIP() << "no display";
    std::vector<std::string> steps;
    wxDocManager manager;
    auto* frame = new StepFrame(steps, "");
    ASSERT_TRUE(frame->LoadFrame(&manager, res::IDR_MAINFRAME));
    EXPECT_EQ(steps, (std::vector<std::string>{"toolbar", "load", "statusbar", "indicators"}));

    wxMenuBar* menus = frame->GetMenuBar();
    ASSERT_NE(menus, nullptr);
    EXPECT_EQ(menus->GetMenuCount(), 3u);
    EXPECT_EQ(menus->GetMenuLabel(0).utf8_string(), "ﾌｧｲﾙ(&F)");
    EXPECT_NE(menus->FindItem(res::cmd::ID_FILE_OPEN), nullptr);
    EXPECT_NE(menus->FindItem(res::cmd::ID_HELP_AUTHOR), nullptr);

    // Toolbar: open, separator, about, context help; 16 x 15 buttons; it
    // docks at the top, may dock on every side and float.
    wxAuiToolBar* toolBar = frame->ToolBar();
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(toolBar->GetId(), res::cmd::AFX_IDW_TOOLBAR);
    ASSERT_EQ(toolBar->GetToolCount(), 4);
    EXPECT_EQ(toolBar->FindToolByIndex(0)->GetId(), res::cmd::ID_FILE_OPEN);
    EXPECT_EQ(toolBar->FindToolByIndex(1)->GetKind(), wxITEM_SEPARATOR);
    EXPECT_EQ(toolBar->FindToolByIndex(2)->GetId(), res::cmd::ID_APP_ABOUT);
    EXPECT_EQ(toolBar->FindToolByIndex(3)->GetId(), res::cmd::ID_CONTEXT_HELP);
    EXPECT_EQ(toolBar->FindToolByIndex(0)->GetBitmapBundle().GetDefaultSize(), wxSize(16, 15));
    EXPECT_EQ(toolBar->FindToolByIndex(0)->GetShortHelp().utf8_string(), "開く");
    EXPECT_EQ(toolBar->FindToolByIndex(0)->GetLongHelp().utf8_string(), "既存のﾌｧｲﾙを開く");
    EXPECT_TRUE(toolBar->HasFlag(wxAUI_TB_GRIPPER));
    wxAuiPaneInfo& pane = frame->ToolBarPane();
    EXPECT_TRUE(pane.IsToolbar());
    EXPECT_EQ(pane.dock_direction, wxAUI_DOCK_TOP);
    EXPECT_TRUE(pane.IsTopDockable());
    EXPECT_TRUE(pane.IsBottomDockable());
    EXPECT_TRUE(pane.IsLeftDockable());
    EXPECT_TRUE(pane.IsRightDockable());
    EXPECT_TRUE(pane.IsFloatable());

    // Status bar: the message pane and four indicators.
    wxStatusBar* statusBar = frame->GetStatusBar();
    ASSERT_NE(statusBar, nullptr);
    EXPECT_EQ(statusBar->GetId(), res::cmd::AFX_IDW_STATUS_BAR);
    EXPECT_EQ(statusBar->GetFieldsCount(), 5);
    EXPECT_EQ(statusBar->GetStatusText(0).utf8_string(),
              "ﾍﾙﾌﾟを表示するには [F1] を押してください。");

    frame->Destroy();
    wxTheApp->ProcessIdle();
}

}  // namespace
}  // namespace kelmoro
