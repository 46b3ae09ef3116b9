// CConvertDlg as the engine's host, without running it: template
// 131's controls in order, the caption from the context, the bar's range and
// clamped positions, the nested wait cursor.
#include "convert_dlg.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/gauge.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "engine/convert_context.h"
#include "res/resource.h"
#include "wx_test_main.h"

namespace kelmoro {
namespace {

class ConvertDlgTest : public testing::Test {
protected:
    void SetUp() override {
        if (!g_haveDisplay) GTEST_SKIP() << "no display";
        dlg = new CConvertDlg(nullptr);
        gauge = wxDynamicCast(dlg->FindWindow(res::IDC_PROGRESS1), wxGauge);
        ASSERT_NE(gauge, nullptr);
    }
    void TearDown() override {
        if (dlg != nullptr) dlg->Destroy();
        if (wxTheApp != nullptr) wxTheApp->ProcessIdle();
    }
    CConvertDlg* dlg = nullptr;
    wxGauge* gauge = nullptr;
};

TEST_F(ConvertDlgTest, TemplateHasItsControlsInOrder) {
    EXPECT_EQ(dlg->GetId(), res::IDD_CONVERT);
    const wxWindowList& children = dlg->GetChildren();
    ASSERT_EQ(children.size(), 3u);
    auto it = children.begin();
    EXPECT_NE(wxDynamicCast(*it++, wxGauge), nullptr);
    auto* text = wxDynamicCast(*it++, wxStaticText);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetLabel().utf8_string(), "変換中暫らくお待ちください");
    EXPECT_NE(wxDynamicCast(*it++, wxStaticBitmap), nullptr);
    EXPECT_EQ(dlg->GetTitle(), "Conversion");  // design-time caption
}

TEST_F(ConvertDlgTest, PositionsBeyondTheRangeShowAsTheNearestEnd) {
    dlg->SetProgressRange(0, 100);
    EXPECT_EQ(gauge->GetRange(), 100);
    dlg->SetProgressPos(1);
    EXPECT_EQ(gauge->GetValue(), 1);
    dlg->SetProgressPos(57);
    EXPECT_EQ(gauge->GetValue(), 57);
    dlg->SetProgressPos(250);
    EXPECT_EQ(gauge->GetValue(), 100);
    dlg->SetProgressPos(-7);
    EXPECT_EQ(gauge->GetValue(), 0);
    dlg->SetProgressRange(10, 20);
    dlg->SetProgressPos(15);
    EXPECT_EQ(gauge->GetValue(), 5);
    dlg->SetProgressPos(5);
    EXPECT_EQ(gauge->GetValue(), 0);
}

TEST_F(ConvertDlgTest, WaitCursorNests) {
    EXPECT_FALSE(wxIsBusy());
    dlg->BeginWait();
    dlg->BeginWait();
    EXPECT_TRUE(wxIsBusy());
    dlg->EndWait();
    EXPECT_TRUE(wxIsBusy());
    dlg->EndWait();
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(ConvertDlgTest, NothingConvertedBeforeItRuns) {
    EXPECT_FALSE(dlg->Converted());
}

}  // namespace
}  // namespace kelmoro
