#pragma once
// An in-memory registry: the tree of keys under one root that the tests and the fixtures
// use in place of HKEY_CLASSES_ROOT. Names compare without regard to case and subkeys
// enumerate in case-insensitive name order, as the real registry does.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry.h"

namespace ft {

// Text as the registry stores it: UTF-16LE, with no NUL added.
std::vector<std::uint8_t> Utf16LeBytes(std::wstring_view text);

class MemoryRegistry : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(MemoryRegistry&&) noexcept;
    MemoryRegistry& operator=(MemoryRegistry&&) noexcept;

    // Creates the key and every missing key on its path (relative to the root).
    void CreateKey(std::wstring_view path);
    // Removes the key with all its subkeys; a missing key is no error.
    void DeleteKey(std::wstring_view path);
    // Creates the key as needed; an empty name sets the default value.
    void SetValue(std::wstring_view keyPath, std::wstring_view name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    void SetString(std::wstring_view keyPath, std::wstring_view name, std::wstring_view text,
                   std::uint32_t type = kRegSz);  // stored as UTF-16LE with its terminating NUL
    void DeleteValue(std::wstring_view keyPath, std::wstring_view name);

    RegStatus OpenKey(RegKey parent, const wchar_t* path, RegKey* opened) override;
    RegStatus EnumKey(RegKey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameChars) override;
    RegStatus QueryValue(RegKey key, const wchar_t* valueName, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* dataBytes) override;
    RegStatus CloseKey(RegKey key) override;

    // For tests: how many handles were opened and closed, and how many are still open.
    std::size_t OpenCount() const { return openCount_; }
    std::size_t CloseCount() const { return closeCount_; }
    std::size_t LiveHandles() const { return handles_.size(); }

    // A dump of the whole tree ("[path]" lines, then "name=type:hex" lines, in enumeration
    // order) for comparing two trees in tests.
    std::wstring Dump() const;

    struct Node;

private:
    Node* Find(const Node* from, std::wstring_view path) const;
    Node* Create(std::wstring_view path);
    Node* NodeOf(RegKey key) const;

    std::unique_ptr<Node> root_;
    std::map<RegKey, Node*> handles_;
    RegKey nextHandle_ = 0x1000;
    std::size_t openCount_ = 0;
    std::size_t closeCount_ = 0;
};

}  // namespace ft
