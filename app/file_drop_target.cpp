// Dropped files to the open-and-convert road.
#include "file_drop_target.h"

#include <wx/app.h>
#include <wx/filename.h>

#include "wx_text.h"

namespace kelmoro {

bool CFileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
    std::vector<std::string> paths;
    for (const wxString& file : files) {
        if (wxFileName::DirExists(file)) continue;
        paths.push_back(PathBytes(file));
    }
    if (paths.empty()) return false;
    wxTheApp->CallAfter([openFiles = m_openFiles, paths] { openFiles(paths); });
    return true;
}

}  // namespace kelmoro
