#pragma once
// What the scan shows while it runs and when it ends: the percentage and the count caption.
#include <cstdint>
#include <string>

namespace ft {

// The scan takes 600 file types as a full bar: count / 600 * 100, rounded half to even, at most 100.
std::int32_t ScanPercent(std::int32_t typeCount);
std::wstring PercentText(std::int32_t percent);
std::wstring CountCaption(std::int32_t typeCount);

}  // namespace ft
