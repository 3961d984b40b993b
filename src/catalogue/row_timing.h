#pragma once
// Microseconds per listed row for each step of the start-up scan, for the start-up
// benchmark. Only a build with the FT_ROW_TIMING option measures anything; in every other
// build the spans are empty and the report does nothing.
#include <cstddef>

#ifdef FT_ROW_TIMING
#include <chrono>
#endif

namespace ft::row_timing {

enum class Step : std::size_t {
    Row,         // the whole row
    Progress,    // the percentage text and the bar
    ShellQuery,  // type name and system icon index
    Stores,      // the picture stores' bookkeeping, captures and adds included
    Capture,     // drawing one icon into a picture
    StoreAdd,    // adding the pictures to the program's picture lists
    ListInsert,  // the row into the list
    Yield,       // pending window messages
    Count
};

#ifdef FT_ROW_TIMING
void Add(Step step, std::chrono::steady_clock::duration spent);

class Span {
public:
    explicit Span(Step step) : step_(step), start_(std::chrono::steady_clock::now()) {}
    ~Span() { Add(step_, std::chrono::steady_clock::now() - start_); }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    Step step_;
    std::chrono::steady_clock::time_point start_;
};

// Appends one line of figures to the file named by FT_ROW_TIMING_FILE.
void Report(std::size_t rows);
#else
class Span {
public:
    explicit Span(Step) {}
};
inline void Report(std::size_t) {}
#endif

}  // namespace ft::row_timing
