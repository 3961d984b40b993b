#pragma once
// When a figure of the progress window (the bar or the percentage) shows a new value. Each
// change repaints its control at once, about a millisecond under Wine, and a fast scan changes
// the figures far more often than a screen can show them. A changed value is shown when the
// one on screen has stood for kIntervalMs; until then it waits. The scan offers the current
// value on every row, so the newest shows within the interval or one row, whichever is longer.
#include <cstdint>
#include <optional>

namespace ft {

class FigurePacer {
public:
    static constexpr std::uint32_t kIntervalMs = 50;

    // Whether a changed value is shown now; if so, its time is noted. `nowMs` is a
    // millisecond tick count that may wrap around.
    bool ShowsNow(std::uint32_t nowMs);
    void Reset() { shownAtMs_.reset(); }

private:
    std::optional<std::uint32_t> shownAtMs_;
};

}  // namespace ft
