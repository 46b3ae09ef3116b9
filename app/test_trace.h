// The test trace: when the environment variable KELMORO_TRACE_BOXES names a
// file, the windows that show text append one line there for each thing a
// test needs to read but cannot get from X: a message box as it opens
// ("box<TAB>style<TAB>caption<TAB>text") and its answer
// ("answer<TAB>OK|CANCEL"), a menu as it opens ("menu<TAB>title<TAB>item..."),
// a status-bar pane's new text ("status<TAB>pane<TAB>text"), help mode
// ("helpmode<TAB>on|off"), and in the batch window each file as it starts
// ("batch<TAB>n / N<TAB>path") and a stop request ("batch<TAB>stop"). Tests read it and check the windows on the screen
// besides; it changes nothing on the screen, and costs nothing unset.
#pragma once

#include <wx/string.h>

namespace kelmoro {

// Appends one line to the trace, if one is asked for.
void TraceLine(const wxString& line);

}  // namespace kelmoro
