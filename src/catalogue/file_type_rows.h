#pragma once
// The main list's rows as the scan found them, the source the list reads. A type name that
// many rows share is kept once. What opens a row's type is worked out the first time the list
// shows the row, and kept with it.
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

    void Add(const FileTypeRow& row);
    const std::wstring& Extension(std::size_t row) const { return rows_[row].extension; }
    const std::wstring& TypeName(std::size_t row) const { return *names_[rows_[row].name]; }
    // The scan has ended: what it grew in steps is kept at its size.
    void Seal() {
        rows_.shrink_to_fit();
        names_.shrink_to_fit();
    }

    std::size_t RowCount() const override { return rows_.size(); }
    const std::wstring& Text(std::size_t row, int column) const override;
    std::optional<int> Picture(std::size_t row) const override;
    // Broken types (they point at something that is not there) are dimmed.
    RowLook Look(std::size_t row) override;
    // On every column: what opens the type, and what is wrong with it.
    std::wstring Notes(std::size_t row, int column) override;

private:
    struct Stored {
        std::wstring extension;
        std::uint32_t name = 0;  // in names_
        int iconSlot = -1;       // none below 0
    };
    struct Opener {
        std::wstring lines;
        bool broken = false;
    };
    const Opener& OpenerOf(std::size_t row);

    OpenerRules& openers_;
    std::vector<Stored> rows_;  // in the order of the scan
    std::unordered_map<std::wstring, std::uint32_t> nameIndex_;  // each type name once
    std::vector<const std::wstring*> names_;                    // the names in nameIndex_, by index
    std::unordered_map<std::uint32_t, Opener> shown_;  // only rows the list has shown
};

}  // namespace ft
