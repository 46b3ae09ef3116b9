// The services the engine asks of whoever runs a conversion: message boxes,
// the progress bar and the wait cursor. The desktop dialog and the
// command-line tool each implement it.
#pragma once

#include <string>

namespace kelmoro {

class CConvertHost {
public:
    virtual ~CConvertHost() = default;

    // Shows `text` as a modal error (stop icon, OK); returns once dismissed.
    virtual void ReportError(const std::string& text) = 0;
    // The engine always sets 0 to 100.
    virtual void SetProgressRange(int low, int high) = 0;
    // Positions outside the range show as the nearest end.
    virtual void SetProgressPos(int position) = 0;
    // Nested wait cursor.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

}  // namespace kelmoro
