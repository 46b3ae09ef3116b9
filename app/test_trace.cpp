// The test trace: one line appended per call, to the file the environment names.
#include "test_trace.h"

#include <wx/ffile.h>

#include <cstdlib>

namespace kelmoro {

void TraceLine(const wxString& line) {
    const char* path = std::getenv("KELMORO_TRACE_BOXES");
    if (path == nullptr || *path == '\0') return;
    wxFFile file(wxString::FromUTF8(path), "ab");
    if (!file.IsOpened()) return;
    file.Write(line + "\n", wxConvUTF8);
}

}  // namespace kelmoro
