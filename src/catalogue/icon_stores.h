#pragma once
// The keyed picture stores: every listed extension's small and large picture under its image
// key "#" + extension + "#". Extensions that share a system icon share one capture, since the
// drawing is the costly part and the pictures would be identical.
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "catalogue/views.h"

namespace ft {

std::wstring ImageKey(const std::wstring& extension);

class IconStores {
public:
    explicit IconStores(IconCapture& capture) : capture_(capture) {}

    // Stores the pictures of `systemIconIndex` under `key`. Refused (returns false) when the
    // key is already held, which keeps the first pictures, or when nothing could be captured.
    bool Store(const std::wstring& key, int systemIconIndex);
    std::optional<int> Lookup(const std::wstring& key) const;

    std::size_t KeyCount() const { return slotsByKey_.size(); }
    std::size_t CaptureCount() const { return slotsByIcon_.size(); }

private:
    IconCapture& capture_;
    std::unordered_map<std::wstring, int> slotsByKey_;
    std::unordered_map<int, int> slotsByIcon_;
};

}  // namespace ft
