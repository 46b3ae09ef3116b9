// Native controls on Windows.
#include "native_controls.h"

namespace kelmoro {

void ShowScrollBarWhenScrollable(wxTextCtrl*) {
    // A Windows edit control shows its scroll bar whenever its text is
    // longer than it: nothing to do.
}

wxString ChooserFilter(const wxString& resourceFilter) {
    // The platform's own form, but without the closing empty pair, which wx
    // would take for a filter of its own.
    wxString filter = resourceFilter;
    while (filter.EndsWith("|")) filter.RemoveLast();
    return filter;
}

}  // namespace kelmoro
