// The program's message box: modal, captioned with the application title
// "Kelmoro", owned by the active window when the caller names none. A box
// that asks for no icon shows the exclamation icon all the same, as the
// platform's boxes do. The box is the system's own on Windows, wx's generic
// one under GTK (message_box_system.h). Each box and its answer go to the
// test trace.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

namespace kelmoro {

enum class BoxStyle {
    kError,         // stop icon, OK
    kPlain,         // OK, no icon requested
    kConfirmation,  // OK and Cancel, no icon requested
};

// Returns wxID_OK or wxID_CANCEL. `owner` null means the active window.
int KelmoroMessageBox(const wxString& text, BoxStyle style, wxWindow* owner = nullptr);

// The trace lines of a box as it opens and of its answer, for boxes of
// other shapes (the batch summary) that show the same styles. Line breaks
// in the text are traced as "\n", so that each box stays one line.
void TraceBox(BoxStyle style, const wxString& text);
void TraceAnswer(int answer);

}  // namespace kelmoro
