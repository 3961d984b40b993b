#pragma once
// The verb rows the properties window shows, which its verb list reads: the registry's texts,
// the default verb in bold, a verb whose program is missing dimmed, and its explanation in the
// tooltip of its first cell.
#include <vector>

#include "catalogue/views.h"

namespace ft::ui {

class VerbRows : public RowSource {
public:
    void Clear() { rows_.clear(); }
    void Add(const VerbRow& row) { rows_.push_back(row); }

    std::size_t RowCount() const override { return rows_.size(); }
    const std::wstring& Text(std::size_t row, int column) const override {
        return column == 0 ? rows_[row].action : rows_[row].command;
    }
    std::optional<int> Picture(std::size_t) const override { return std::nullopt; }
    RowLook Look(std::size_t row) override { return RowLook{rows_[row].isDefault, rows_[row].programMissing}; }
    std::wstring Notes(std::size_t row, int column) override {
        return column == 0 ? rows_[row].explanation : std::wstring();
    }

private:
    std::vector<VerbRow> rows_;
};

}  // namespace ft::ui
