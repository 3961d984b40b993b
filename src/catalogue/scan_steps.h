#pragma once
// The steps of the start-up scan, for whoever wants to know what each costs per row: the
// start-up benchmark's row-timing build hands in a timer. The program itself hands in none,
// and a span without a timer costs the test of a pointer.
#include <chrono>
#include <cstddef>

namespace ft {

enum class ScanStep : std::size_t {
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

class ScanStepTimer {
public:
    virtual ~ScanStepTimer() = default;
    virtual void Add(ScanStep step, std::chrono::steady_clock::duration spent) = 0;
    // The scan has ended with this many rows.
    virtual void Report(std::size_t rows) = 0;
};

// Times one step from its construction to its end, when there is a timer.
class ScanStepSpan {
public:
    ScanStepSpan(ScanStepTimer* timer, ScanStep step) : timer_(timer), step_(step) {
        if (timer_) start_ = std::chrono::steady_clock::now();
    }
    ~ScanStepSpan() {
        if (timer_) timer_->Add(step_, std::chrono::steady_clock::now() - start_);
    }
    ScanStepSpan(const ScanStepSpan&) = delete;
    ScanStepSpan& operator=(const ScanStepSpan&) = delete;

private:
    ScanStepTimer* timer_;
    ScanStep step_;
    std::chrono::steady_clock::time_point start_{};
};

}  // namespace ft
