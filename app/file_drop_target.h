// Files dropped on the main window: each dropped file (folders are left
// out) is handed on, in the order of the drop, to the same confirm-and-
// convert road as a file chosen with File > Open.
#pragma once

#include <wx/dnd.h>

#include <functional>
#include <string>
#include <vector>

namespace kelmoro {

class CFileDropTarget : public wxFileDropTarget {
public:
    // `openFiles` receives the dropped files' paths as the file system
    // knows them. It runs after the drop has ended, never inside it, so that
    // the dragging program is not kept waiting while boxes and dialogs are
    // on the screen.
    explicit CFileDropTarget(std::function<void(const std::vector<std::string>&)> openFiles)
        : m_openFiles(std::move(openFiles)) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

private:
    std::function<void(const std::vector<std::string>&)> m_openFiles;
};

}  // namespace kelmoro
