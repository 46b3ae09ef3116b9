// CAboutDlg: laid out in dialog units of its 9-point font.
#include "about_dlg.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "dialog_units.h"
#include "images.h"
#include "res/resource.h"
#include "res/strings.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {

CAboutDlg::CAboutDlg(wxWindow* parent) {
    Create(parent != nullptr ? parent : DefaultOwner(), res::IDD_ABOUTBOX, U8(res::kAboutCaption),
           wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
    wxFont font(wxFontInfo(res::kFormFontPoints).FaceName(res::kDialogFontFace));
    if (font.IsOk()) SetFont(font);
    const DialogUnits units(*this);
    auto at = [&units](int x, int y) { return units.Point(x, y); };
    auto size = [&units](int w, int h) { return units.Size(w, h); };

    // In the template's order.
    new wxStaticBitmap(this, wxID_STATIC, AppIconBitmap(32), at(11, 17), wxSize(32, 32));
    auto* version = new wxStaticText(this, wxID_STATIC, wxEmptyString, at(40, 10), size(119, 8),
                                     wxST_NO_AUTORESIZE);
    version->SetLabelText(U8(res::kAboutVersion));  // no mnemonic prefixes
    new wxStaticText(this, wxID_STATIC, U8(res::kAboutNotice), at(40, 25), size(119, 8),
                     wxST_NO_AUTORESIZE);
    auto* ok = new wxButton(this, wxID_OK, U8(res::kAboutOk), at(178, 7), size(50, 14));
    ok->SetDefault();
    ok->SetFocus();

    SetClientSize(size(235, 55));
    SetIcons(AppIcons());
    PlaceInWorkArea(this);  // over the main window
}

}  // namespace kelmoro
