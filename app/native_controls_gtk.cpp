// Native controls under GTK.
#include <gtk/gtk.h>

#include "native_controls.h"

namespace kelmoro {

// The resource's filter, "Wave(*.wav)|*.wav|全て(*.*)|*.*||", for GTK: without
// the closing empty pair; each pattern's letters in both cases
// ("*.[wW][aA][vV]"), because GTK matches case-sensitively and Voice.WAV must be
// offered too; and "*.*" as "*", so that "all files" means every name, with
// a dot or without.
wxString ChooserFilter(const wxString& resourceFilter) {
    wxArrayString parts = wxSplit(resourceFilter, '|', '\0');
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    for (size_t i = 1; i < parts.size(); i += 2) {
        if (parts[i] == "*.*") {
            parts[i] = "*";
            continue;
        }
        wxString pattern;
        for (const wxUniChar c : parts[i]) {
            const wxUniChar lower = wxTolower(c);
            const wxUniChar upper = wxToupper(c);
            if (c.IsAscii() && lower != upper) {
                pattern << '[' << lower << upper << ']';
            } else {
                pattern << c;
            }
        }
        parts[i] = pattern;
    }
    return wxJoin(parts, '|', '\0');
}

void ShowScrollBarWhenScrollable(wxTextCtrl* field) {
    // GTK hides a scroll bar until the pointer moves over it (overlay
    // scrolling), unless told not to.
    if (GTK_IS_SCROLLED_WINDOW(field->GetHandle())) {
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(field->GetHandle()), FALSE);
    }
}

}  // namespace kelmoro
