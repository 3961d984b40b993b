#include "bench/row_timer.h"

#include <cstdio>
#include <cstdlib>

namespace ft::bench {

void RowTimer::Add(ScanStep step, std::chrono::steady_clock::duration spent) {
    const auto at = static_cast<std::size_t>(step);
    microseconds_[at] += std::chrono::duration<double, std::micro>(spent).count();
    ++spans_[at];
}

void RowTimer::Report(std::size_t rows) {
    const char* path = std::getenv("FT_ROW_TIMING_FILE");
    if (!path || rows == 0) return;
    std::FILE* out = std::fopen(path, "a");
    if (!out) return;
    const auto per = [&](ScanStep step) { return microseconds_[static_cast<std::size_t>(step)] / double(rows); };
    const double bookkeeping = per(ScanStep::Stores) - per(ScanStep::Capture) - per(ScanStep::StoreAdd);
    // The yield follows the row rather than being part of it.
    const double named =
        per(ScanStep::Progress) + per(ScanStep::ShellQuery) + per(ScanStep::Stores) + per(ScanStep::ListInsert);
    std::fprintf(out,
                 "rows=%zu captures=%zu row_us=%.2f shell_us=%.2f capture_us=%.2f add_us=%.2f stores_us=%.2f "
                 "insert_us=%.2f progress_us=%.2f yield_us=%.2f other_us=%.2f\n",
                 rows, spans_[static_cast<std::size_t>(ScanStep::Capture)], per(ScanStep::Row),
                 per(ScanStep::ShellQuery), per(ScanStep::Capture), per(ScanStep::StoreAdd), bookkeeping,
                 per(ScanStep::ListInsert), per(ScanStep::Progress), per(ScanStep::Yield), per(ScanStep::Row) - named);
    std::fclose(out);
}

}  // namespace ft::bench
