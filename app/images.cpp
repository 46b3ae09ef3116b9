// Embedded pictures and their drawn stand-ins.
#include "images.h"

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <cstring>
#include <string>

#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

constexpr int kBannerWidth = 561;
constexpr int kBannerHeight = 70;
constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 15;
constexpr int kButtonCount = 3;

// The embedded picture `name` at exactly `width` x `height`, or an invalid
// bitmap when it was not embedded or has another size.
wxBitmap Embedded(const char* name, int width, int height) {
    for (const EmbeddedImage* image = kEmbeddedImages; image->name != nullptr; ++image) {
        if (std::strcmp(image->name, name) != 0) continue;
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
        wxMemoryInputStream stream(image->bytes, image->size);
        wxImage decoded(stream, wxBITMAP_TYPE_PNG);
        if (!decoded.IsOk() || decoded.GetWidth() != width || decoded.GetHeight() != height) {
            return wxBitmap();
        }
        return wxBitmap(decoded);
    }
    return wxBitmap();
}

// A plain stand-in: a pale yellow ground with a dark red frame and a label.
wxBitmap Placeholder(int width, int height, const wxString& label) {
    wxBitmap bitmap(width, height, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxColour(255, 251, 214)));
    dc.Clear();
    dc.SetPen(wxPen(wxColour(122, 18, 18)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, width, height);
    if (!label.empty()) {
        wxFont font(wxFontInfo(height >= 40 ? 24 : 7).Bold());
        dc.SetFont(font);
        dc.SetTextForeground(wxColour(128, 128, 128));
        const wxSize extent = dc.GetTextExtent(label);
        dc.DrawText(label, (width - extent.x) / 2, (height - extent.y) / 2);
    }
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

}  // namespace

wxBitmap BannerBitmap() {
    wxBitmap bitmap = Embedded("banner.png", kBannerWidth, kBannerHeight);
    return bitmap.IsOk() ? bitmap : Placeholder(kBannerWidth, kBannerHeight, U8(res::kBannerTitle));
}

wxBitmap ToolbarStrip() {
    wxBitmap bitmap = Embedded("toolbar.png", kButtonWidth * kButtonCount, kButtonHeight);
    if (bitmap.IsOk()) return bitmap;
    wxBitmap strip(kButtonWidth * kButtonCount, kButtonHeight, 24);
    wxMemoryDC dc(strip);
    dc.SetBackground(*wxLIGHT_GREY_BRUSH);
    dc.Clear();
    dc.SetFont(wxFont(wxFontInfo(7)));
    const char* labels[kButtonCount] = {"O", "?", "\xE2\x86\x96?"};
    for (int i = 0; i < kButtonCount; ++i) {
        dc.DrawLabel(U8(labels[i]), wxRect(i * kButtonWidth, 0, kButtonWidth, kButtonHeight),
                     wxALIGN_CENTER);
    }
    dc.SelectObject(wxNullBitmap);
    return strip;
}

wxBitmap ToolbarButton(int index) {
    const wxBitmap strip = ToolbarStrip();
    return strip.GetSubBitmap(wxRect(index * kButtonWidth, 0, kButtonWidth, kButtonHeight));
}

wxBitmapBundle ToolbarImages(int index) {
    // The 2x strip, when embedded, gives screens scaled by 2 a picture drawn
    // for their resolution instead of the 1x one enlarged pixel by pixel.
    const wxBitmap large =
        Embedded("toolbar@2x.png", 2 * kButtonWidth * kButtonCount, 2 * kButtonHeight);
    if (!large.IsOk()) return wxBitmapBundle::FromBitmap(ToolbarButton(index));
    return wxBitmapBundle::FromBitmaps(
        ToolbarButton(index), large.GetSubBitmap(wxRect(2 * index * kButtonWidth, 0,
                                                        2 * kButtonWidth, 2 * kButtonHeight)));
}

wxBitmap AppIconBitmap(int size) {
    // kelmoro.png is the 32 x 32 picture; every other size has its own file.
    const std::string name =
        size == 32 ? "kelmoro.png" : "kelmoro-" + std::to_string(size) + ".png";
    wxBitmap bitmap = Embedded(name.c_str(), size, size);
    return bitmap.IsOk() ? bitmap : Placeholder(size, size, "K");
}

wxIconBundle AppIcons() {
    // Every size res/ has, so that docks and switchers that read the
    // window's own icons need not scale a small one up.
    wxIconBundle icons;
    for (int size : kAppIconSizes) {
        wxIcon icon;
        icon.CopyFromBitmap(AppIconBitmap(size));
        icons.AddIcon(icon);
    }
    return icons;
}

}  // namespace kelmoro
