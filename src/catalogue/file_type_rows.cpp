#include "catalogue/file_type_rows.h"

#include <exception>

namespace ft {

const std::wstring& FileTypeRows::Text(std::size_t row, int column) const {
    return column == 0 ? rows_[row].extension : rows_[row].typeName;
}

RowLook FileTypeRows::Look(std::size_t row) { return RowLook{false, OpenerOf(row).broken}; }

std::wstring FileTypeRows::Notes(std::size_t row, int) { return OpenerOf(row).lines; }

const FileTypeRows::Opener& FileTypeRows::OpenerOf(std::size_t row) {
    const auto index = static_cast<std::uint32_t>(row);
    if (const auto found = shown_.find(index); found != shown_.end()) return found->second;
    Opener opener;
    // A row whose registry data cannot be read is shown as it is, plain and without notes, and
    // is not tried again at every paint.
    try {
        const OpenerFacts facts = openers_.FactsFor(L"." + rows_[row].extension);
        opener = Opener{OpenerLines(facts), !facts.problems.empty()};
    } catch (const std::exception&) {
    }
    return shown_.emplace(index, std::move(opener)).first->second;
}

}  // namespace ft
