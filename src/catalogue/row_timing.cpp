#include "catalogue/row_timing.h"

#ifdef FT_ROW_TIMING
#include <array>
#include <cstdio>
#include <cstdlib>

namespace ft::row_timing {
namespace {

struct Totals {
    std::array<double, static_cast<std::size_t>(Step::Count)> microseconds{};
    std::array<std::size_t, static_cast<std::size_t>(Step::Count)> spans{};
};

Totals& All() {
    static Totals totals;
    return totals;
}

}  // namespace

void Add(Step step, std::chrono::steady_clock::duration spent) {
    const auto at = static_cast<std::size_t>(step);
    All().microseconds[at] += std::chrono::duration<double, std::micro>(spent).count();
    ++All().spans[at];
}

void Report(std::size_t rows) {
    const char* path = std::getenv("FT_ROW_TIMING_FILE");
    if (!path || rows == 0) return;
    std::FILE* out = std::fopen(path, "a");
    if (!out) return;
    const auto per = [&](Step step) { return All().microseconds[static_cast<std::size_t>(step)] / double(rows); };
    const double bookkeeping = per(Step::Stores) - per(Step::Capture) - per(Step::StoreAdd);
    // The yield follows the row rather than being part of it.
    const double named = per(Step::Progress) + per(Step::ShellQuery) + per(Step::Stores) + per(Step::ListInsert);
    std::fprintf(out,
                 "rows=%zu captures=%zu row_us=%.2f shell_us=%.2f capture_us=%.2f add_us=%.2f stores_us=%.2f "
                 "insert_us=%.2f progress_us=%.2f yield_us=%.2f other_us=%.2f\n",
                 rows, All().spans[static_cast<std::size_t>(Step::Capture)], per(Step::Row), per(Step::ShellQuery),
                 per(Step::Capture), per(Step::StoreAdd), bookkeeping, per(Step::ListInsert), per(Step::Progress),
                 per(Step::Yield), per(Step::Row) - named);
    std::fclose(out);
}

}  // namespace ft::row_timing
#endif
