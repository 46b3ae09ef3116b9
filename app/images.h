// The program's pictures, embedded at build time from the PNG files in res/
// (banner.png 561x70, toolbar.png 48x15 and toolbar@2x.png 96x30, and the
// application icon: kelmoro.png 32x32, kelmoro-N.png NxN for 16, 48, 64, 128
// and 256). A picture whose file was missing when the program was built is
// replaced by a plain drawn one of the same size, so the program never fails
// for want of an image.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

#include <cstddef>

namespace kelmoro {

struct EmbeddedImage {
    const char* name;  // file name in res/
    const unsigned char* bytes;
    std::size_t size;
};
// Generated table, ended by an entry whose name is null.
extern const EmbeddedImage kEmbeddedImages[];

// The banner of the main window: 561 x 70.
wxBitmap BannerBitmap();
// Toolbar 128: the 48 x 15 strip of three 16 x 15 buttons.
wxBitmap ToolbarStrip();
// One 16 x 15 button of the strip (0 open, 1 about, 2 context help).
wxBitmap ToolbarButton(int index);
// The same button for any screen scale: the 1x picture and, from
// toolbar@2x.png, its 32 x 30 twin for screens scaled by 2.
wxBitmapBundle ToolbarImages(int index);
// The application icon, at any of kAppIconSizes.
inline constexpr int kAppIconSizes[] = {16, 32, 48, 64, 128, 256};
wxBitmap AppIconBitmap(int size);
// The window icons: the application icon at every one of kAppIconSizes.
wxIconBundle AppIcons();

}  // namespace kelmoro
