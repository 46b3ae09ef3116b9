// What the program asks of a native control that wx has no word for. One
// implementation per toolkit.
#pragma once

#include <wx/string.h>
#include <wx/textctrl.h>

namespace kelmoro {

// Keeps the vertical scroll bar of a multi-line text field in sight whenever
// its text is longer than the field, so that a long list is seen to go on.
void ShowScrollBarWhenScrollable(wxTextCtrl* field);

// The resource's filter string ("Wave(*.wav)|*.wav|全て(*.*)|*.*||") in the
// form the toolkit's file chooser takes: pairs of a name and its patterns,
// offering every file a Windows program's dialog offers.
wxString ChooserFilter(const wxString& resourceFilter);

}  // namespace kelmoro
