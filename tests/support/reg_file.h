#pragma once
// The registry editor's text format ("Windows Registry Editor Version 5.00", UTF-16LE with
// a byte-order mark; UTF-8 is accepted too), read into a MemoryRegistry. Only keys under
// HKEY_CLASSES_ROOT are accepted, since that is the tree the program reads.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/memory_registry.h"

namespace ft {

class RegFileError : public std::runtime_error {
public:
    RegFileError(std::size_t line, const std::string& what);
    std::size_t line() const { return line_; }  // 1-based; 0 when the file as a whole is wrong

private:
    std::size_t line_;
};

// Applies the file to `registry`. The whole file is parsed before anything is applied,
// so a malformed file throws RegFileError and leaves `registry` as it was.
void LoadRegFile(const std::vector<std::uint8_t>& bytes, MemoryRegistry& registry);
void LoadRegFile(const std::filesystem::path& file, MemoryRegistry& registry);

}  // namespace ft
