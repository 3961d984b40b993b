#include "catalogue/icon_stores.h"

namespace ft {

std::wstring ImageKey(const std::wstring& extension) { return L"#" + extension + L"#"; }

bool IconStores::Store(const std::wstring& key, int systemIconIndex) {
    if (systemIconIndex < 0 || slotsByKey_.count(key) != 0) return false;
    int slot = 0;
    if (auto known = slotsByIcon_.find(systemIconIndex); known != slotsByIcon_.end()) {
        slot = known->second;
    } else {
        const std::optional<int> captured = capture_.Capture(systemIconIndex);
        if (!captured) return false;
        slot = *captured;
        slotsByIcon_.emplace(systemIconIndex, slot);
    }
    slotsByKey_.emplace(key, slot);
    return true;
}

std::optional<int> IconStores::Lookup(const std::wstring& key) const {
    const auto found = slotsByKey_.find(key);
    if (found == slotsByKey_.end()) return std::nullopt;
    return found->second;
}

}  // namespace ft
