#include "catalogue/file_type_rows.h"

#include "platform/event_guard.h"

namespace ft {

void FileTypeRows::Add(const FileTypeRow& row) {
    const auto [name, added] = nameIndex_.try_emplace(row.typeName, static_cast<std::uint32_t>(names_.size()));
    if (added) names_.push_back(&name->first);
    rows_.push_back(Stored{row.extension, name->second, row.iconSlot.value_or(-1)});
}

const std::wstring& FileTypeRows::Text(std::size_t row, int column) const {
    return column == 0 ? Extension(row) : TypeName(row);
}

std::optional<int> FileTypeRows::Picture(std::size_t row) const {
    if (rows_[row].iconSlot < 0) return std::nullopt;
    return rows_[row].iconSlot;
}

RowLook FileTypeRows::Look(std::size_t row) { return RowLook{false, OpenerOf(row).broken}; }

std::wstring FileTypeRows::Notes(std::size_t row, int) { return OpenerOf(row).lines; }

const FileTypeRows::Opener& FileTypeRows::OpenerOf(std::size_t row) {
    const auto index = static_cast<std::uint32_t>(row);
    if (const auto found = shown_.find(index); found != shown_.end()) return found->second;
    Opener opener;
    // A row whose registry data cannot be read is shown as it is, plain and without notes, and
    // is not tried again at every paint; the guard leaves a trace of why.
    Guarded([&] { return L"what opens ." + Extension(row); }, [&] {
        const OpenerFacts facts = openers_.FactsFor(L"." + Extension(row));
        opener = Opener{OpenerLines(facts), !facts.problems.empty()};
    });
    return shown_.emplace(index, std::move(opener)).first->second;
}

}  // namespace ft
