// The batch summary box: icon, headline, a scrolling list, OK.
#include "summary_box.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "message_box_system.h"
#include "native_controls.h"
#include "res/resource.h"
#include "res/strings.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

// Shares of the work area: the list is as wide as a message box's text
// column and grows with its lines up to this height, then scrolls.
constexpr int kListWidthPercent = 60;
constexpr int kListMaxHeightPercent = 45;
constexpr int kMargin = 12;

}  // namespace

void ShowSummaryBox(const wxString& headline, const wxString& details, BoxStyle style,
                    wxWindow* owner) {
    if (owner == nullptr) owner = DefaultOwner();
    wxDialog box(owner, res::IDD_BATCH_SUMMARY, U8(res::kAppTitle), wxDefaultPosition,
                 wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    const wxRect area = WorkArea(owner != nullptr ? owner : &box);
    const int column = area.width * kListWidthPercent / 100;

    auto* text = new wxBoxSizer(wxVERTICAL);
    text->Add(new wxStaticText(&box, wxID_STATIC, WrapToWidth(headline, box.GetFont(), column)));
    if (!details.empty()) {
        auto* list = new wxTextCtrl(&box, res::IDC_SUMMARY_LIST, details, wxDefaultPosition,
                                    wxDefaultSize, wxTE_MULTILINE | wxTE_READONLY);
        const int lines = static_cast<int>(details.Freq('\n')) + 2;
        const int height = std::min(lines * list->GetCharHeight() + kMargin,
                                    area.height * kListMaxHeightPercent / 100);
        list->SetMinSize(wxSize(column, height));
        ShowScrollBarWhenScrollable(list);
        text->Add(list, 1, wxEXPAND | wxTOP, kMargin);
    }
    const wxIcon icon = SystemMessageBoxIcon(style);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(&box, wxID_STATIC, icon), 0, wxRIGHT, kMargin);
    row->Add(text, 1, wxEXPAND);

    auto* ok = new wxButton(&box, wxID_OK, U8(res::kButtonOk));
    ok->SetDefault();
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(row, 1, wxEXPAND | wxALL, kMargin);
    outer->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, kMargin);
    box.SetSizerAndFit(outer);
    box.SetEscapeId(wxID_OK);  // the only answer, as Escape gives on an OK-only box
    PlaceInWorkArea(&box);
    ok->SetFocus();  // Return answers the box, not the list

    TraceBox(style, details.empty() ? headline : headline + "\n" + details);
    box.ShowModal();
    TraceAnswer(wxID_OK);
}

}  // namespace kelmoro
