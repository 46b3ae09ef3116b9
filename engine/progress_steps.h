// Where the progress bar stands while frame i of n is processed: base + i /
// (n / span), so the bar moves by `span` over the loop (a little more when
// n / span was rounded down). With fewer than `span` frames that step would be
// zero; the bar then moves in proportion, base + i * span / n.
// Loops ask where the position next changes and run tight up to there, so
// progress costs nothing per sample; Walk does that for them.
#pragma once

#include <algorithm>
#include <cstdint>

#include "convert_host.h"

namespace kelmoro {

class ProgressSteps {
public:
    ProgressSteps(std::int64_t frames, int base, int span)
        : frames_(frames), base_(base), span_(span), step_(frames / span) {}

    int PositionAt(std::int64_t index) const {
        if (step_ > 0) return base_ + static_cast<int>(index / step_);
        return base_ + static_cast<int>(index * span_ / frames_);
    }

    // The first index after `index` whose position differs (or frames).
    std::int64_t NextChange(std::int64_t index) const {
        std::int64_t next = step_ > 0 ? (index / step_ + 1) * step_ : index + 1;
        return next < frames_ ? next : frames_;
    }

    // Runs work(from, to) over frames [begin, end) in pieces that end where
    // the position changes, moving the host's bar before each piece when the
    // position has risen past `lastPosition` (which follows it). Stops at
    // the first piece whose work returns false, and returns false then.
    template <typename Work>
    bool Walk(std::int64_t begin, std::int64_t end, int& lastPosition, CConvertHost& host,
              Work&& work) const {
        for (std::int64_t index = begin; index < end;) {
            const int position = PositionAt(index);
            if (position > lastPosition) {
                host.SetProgressPos(position);
                lastPosition = position;
            }
            const std::int64_t pieceEnd = std::min(end, NextChange(index));
            if (!work(index, pieceEnd)) return false;
            index = pieceEnd;
        }
        return true;
    }

private:
    std::int64_t frames_;
    int base_;
    int span_;
    std::int64_t step_;
};

}  // namespace kelmoro
