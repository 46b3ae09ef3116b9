// Help mode, as Shift+F1 and the toolbar's help button start it: the
// question-arrow cursor over the whole program until the next click, which
// asks for help on what it hit, or until Escape, which just leaves the mode.
// An application-wide event filter sees the click and the key wherever they
// land and keeps them from reaching any window.
#pragma once

#include <wx/cursor.h>
#include <wx/eventfilter.h>
#include <wx/window.h>

#include <functional>
#include <memory>

namespace kelmoro {

class HelpMode {
public:
    // `onEnd(helpWanted)` runs, on `owner`'s queue, once the mode has ended:
    // helpWanted is true when a click asked for help.
    HelpMode(wxWindow& owner, std::function<void(bool helpWanted)> onEnd);
    // Leaves the mode without calling back (the owner is going away).
    ~HelpMode();

    bool Active() const { return m_filter != nullptr; }
    void Begin();

private:
    class Filter : public wxEventFilter {
    public:
        explicit Filter(HelpMode& mode) : m_mode(mode) {}
        int FilterEvent(wxEvent& event) override;

    private:
        HelpMode& m_mode;
    };
    void Finish();
    void End(bool helpWanted);

    wxWindow& m_owner;
    std::function<void(bool)> m_onEnd;
    std::unique_ptr<Filter> m_filter;
    wxCursor m_cursor{wxCURSOR_QUESTION_ARROW};
};

}  // namespace kelmoro
