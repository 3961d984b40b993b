#pragma once
// The main list's rows as the scan found them, the source the list reads. What opens a row's
// type is worked out the first time the list shows the row, and kept with it.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/opener_rules.h"
#include "catalogue/views.h"

namespace ft {

class FileTypeRows : public RowSource {
public:
    explicit FileTypeRows(OpenerRules& openers) : openers_(openers) {}

    void Add(FileTypeRow row) { rows_.push_back(std::move(row)); }
    const FileTypeRow& Row(std::size_t row) const { return rows_[row]; }
    // The scan has ended: what it grew in steps is kept at its size.
    void Seal() { rows_.shrink_to_fit(); }

    std::size_t RowCount() const override { return rows_.size(); }
    const std::wstring& Text(std::size_t row, int column) const override;
    std::optional<int> Picture(std::size_t row) const override { return rows_[row].iconSlot; }
    // Broken types (they point at something that is not there) are dimmed.
    RowLook Look(std::size_t row) override;
    // On every column: what opens the type, and what is wrong with it.
    std::wstring Notes(std::size_t row, int column) override;

private:
    struct Opener {
        std::wstring lines;
        bool broken = false;
    };
    const Opener& OpenerOf(std::size_t row);

    OpenerRules& openers_;
    std::vector<FileTypeRow> rows_;  // in the order of the scan
    std::unordered_map<std::uint32_t, Opener> shown_;  // only rows the list has shown
};

}  // namespace ft
