#pragma once
// The start-up benchmark's per-row timing: microseconds per listed row for each step of the
// scan, appended as one line to the file named by FT_ROW_TIMING_FILE when the scan ends. Only
// the row-timing build (CMake option FT_ROW_TIMING) links it into the program.
#include <array>

#include "catalogue/scan_steps.h"

namespace ft::bench {

class RowTimer : public ScanStepTimer {
public:
    void Add(ScanStep step, std::chrono::steady_clock::duration spent) override;
    void Report(std::size_t rows) override;

private:
    static constexpr std::size_t kSteps = static_cast<std::size_t>(ScanStep::Count);
    std::array<double, kSteps> microseconds_{};
    std::array<std::size_t, kSteps> spans_{};
};

}  // namespace ft::bench
