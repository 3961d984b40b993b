#include "support/memory_registry.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "registry/text.h"

namespace ft {
namespace {

// The platform's answer for a handle whose key was deleted after it was opened.
constexpr RegStatus kRegKeyDeleted = 1018;

// The registry sorts subkeys by upper-cased UTF-16 units, so a name outside the BMP sorts
// by its surrogates even where wchar_t holds whole code points.
bool KeyOrder(std::wstring_view a, std::wstring_view b) {
    const std::u16string x = Utf16FromWide(UpperText(a));
    const std::u16string y = Utf16FromWide(UpperText(b));
    return x < y;
}

// Splits a backslash-separated path; empty parts (doubled or trailing backslashes) are
// skipped, as the platform does.
std::vector<std::wstring_view> SplitPath(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

void AppendHex(std::wstring& out, const std::vector<std::uint8_t>& bytes) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) out += L',';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0xF];
    }
}

void AppendQuoted(std::wstring& out, std::wstring_view name) {
    out += L'"';
    for (wchar_t c : name) {
        if (c == L'"' || c == L'\\') out += L'\\';
        out += c;
    }
    out += L'"';
}

}  // namespace

std::vector<std::uint8_t> Utf16LeBytes(std::wstring_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : Utf16FromWide(text)) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

struct MemoryRegistry::Node {
    struct Value {
        std::wstring name;
        std::uint32_t type = kRegNone;
        std::vector<std::uint8_t> data;
    };

    std::wstring name;
    bool deleted = false;
    std::vector<std::unique_ptr<Node>> children;  // kept in KeyOrder
    std::vector<Value> values;                    // in the order they were first set
    // Subtrees removed while handles still referred into them; kept (on the root only)
    // so that those handles report the deletion instead of dangling.
    std::vector<std::unique_ptr<Node>> detached;

    Node* Child(std::wstring_view childName) const {
        for (const auto& child : children) {
            if (SameNameIgnoringCase(child->name, childName)) return child.get();
        }
        return nullptr;
    }

    Node* AddChild(std::wstring_view childName) {
        auto node = std::make_unique<Node>();
        node->name = std::wstring(childName);
        const auto at = std::upper_bound(children.begin(), children.end(), node,
                                         [](const auto& a, const auto& b) { return KeyOrder(a->name, b->name); });
        return children.insert(at, std::move(node))->get();
    }

    Value* FindValue(std::wstring_view valueName) {
        for (auto& value : values) {
            if (SameNameIgnoringCase(value.name, valueName)) return &value;
        }
        return nullptr;
    }

    void MarkDeleted() {
        deleted = true;
        for (auto& child : children) child->MarkDeleted();
    }

    bool Contains(const Node* node) const {
        if (node == this) return true;
        for (const auto& child : children) {
            if (child->Contains(node)) return true;
        }
        return false;
    }
};

MemoryRegistry::MemoryRegistry() : root_(std::make_unique<Node>()) {}
MemoryRegistry::~MemoryRegistry() = default;
MemoryRegistry::MemoryRegistry(MemoryRegistry&&) noexcept = default;
MemoryRegistry& MemoryRegistry::operator=(MemoryRegistry&&) noexcept = default;

MemoryRegistry::Node* MemoryRegistry::Find(const Node* from, std::wstring_view path) const {
    const Node* node = from;
    for (const auto part : SplitPath(path)) {
        node = node->Child(part);
        if (!node) return nullptr;
    }
    return const_cast<Node*>(node);
}

MemoryRegistry::Node* MemoryRegistry::Create(std::wstring_view path) {
    Node* node = root_.get();
    for (const auto part : SplitPath(path)) {
        Node* child = node->Child(part);
        node = child ? child : node->AddChild(part);
    }
    return node;
}

MemoryRegistry::Node* MemoryRegistry::NodeOf(RegKey key) const {
    if (key == kClassesRoot) return root_.get();
    const auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second;
}

void MemoryRegistry::CreateKey(std::wstring_view path) { Create(path); }

void MemoryRegistry::DeleteKey(std::wstring_view path) {
    const auto parts = SplitPath(path);
    if (parts.empty()) return;  // the root itself cannot be deleted
    Node* parent = root_.get();
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        parent = parent->Child(parts[i]);
        if (!parent) return;
    }
    const Node* target = parent->Child(parts.back());
    if (!target) return;
    const auto it = std::find_if(parent->children.begin(), parent->children.end(),
                                 [&](const auto& child) { return child.get() == target; });
    std::unique_ptr<Node> removed = std::move(*it);
    parent->children.erase(it);
    removed->MarkDeleted();
    const bool referenced = std::any_of(handles_.begin(), handles_.end(),
                                        [&](const auto& entry) { return removed->Contains(entry.second); });
    if (referenced) root_->detached.push_back(std::move(removed));
}

void MemoryRegistry::SetValue(std::wstring_view keyPath, std::wstring_view name, std::uint32_t type,
                              std::vector<std::uint8_t> data) {
    Node* node = Create(keyPath);
    if (Node::Value* existing = node->FindValue(name)) {
        existing->type = type;
        existing->data = std::move(data);
        return;
    }
    node->values.push_back(Node::Value{std::wstring(name), type, std::move(data)});
}

void MemoryRegistry::SetString(std::wstring_view keyPath, std::wstring_view name, std::wstring_view text,
                               std::uint32_t type) {
    SetValue(keyPath, name, type, Utf16LeBytes(std::wstring(text) + L'\0'));
}

void MemoryRegistry::DeleteValue(std::wstring_view keyPath, std::wstring_view name) {
    Node* node = Find(root_.get(), keyPath);
    if (!node) return;
    auto& values = node->values;
    values.erase(std::remove_if(values.begin(), values.end(),
                                [&](const Node::Value& v) { return SameNameIgnoringCase(v.name, name); }),
                 values.end());
}

RegStatus MemoryRegistry::OpenKey(RegKey parent, const wchar_t* path, RegKey* opened) {
    if (!opened) return kRegInvalidParameter;
    *opened = 0;
    const Node* from = NodeOf(parent);
    if (!from) return kRegInvalidHandle;
    if (from->deleted) return kRegKeyDeleted;
    Node* node = Find(from, path ? std::wstring_view(path) : std::wstring_view());
    if (!node) return kRegFileNotFound;
    const RegKey handle = nextHandle_;
    nextHandle_ += 4;  // handle-like values, never 0 and never the root
    handles_.emplace(handle, node);
    ++openCount_;
    *opened = handle;
    return kRegSuccess;
}

RegStatus MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameChars) {
    const Node* node = NodeOf(key);
    if (!node) return kRegInvalidHandle;
    if (!name || !nameChars) return kRegInvalidParameter;
    if (node->deleted) return kRegKeyDeleted;
    if (index >= node->children.size()) return kRegNoMoreItems;
    const std::wstring& childName = node->children[index]->name;
    if (childName.size() >= *nameChars) return kRegMoreData;
    std::wmemcpy(name, childName.data(), childName.size());
    name[childName.size()] = L'\0';
    *nameChars = static_cast<std::uint32_t>(childName.size());
    return kRegSuccess;
}

RegStatus MemoryRegistry::QueryValue(RegKey key, const wchar_t* valueName, std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* dataBytes) {
    Node* node = NodeOf(key);
    if (!node) return kRegInvalidHandle;
    if (data && !dataBytes) return kRegInvalidParameter;
    if (node->deleted) return kRegKeyDeleted;
    const Node::Value* value = node->FindValue(valueName ? std::wstring_view(valueName) : std::wstring_view());
    if (!value) return kRegFileNotFound;
    if (type) *type = value->type;
    if (!dataBytes) return kRegSuccess;
    const auto size = static_cast<std::uint32_t>(value->data.size());
    if (data) {
        if (*dataBytes < size) {
            *dataBytes = size;
            return kRegMoreData;
        }
        std::copy(value->data.begin(), value->data.end(), data);
    }
    *dataBytes = size;
    return kRegSuccess;
}

RegStatus MemoryRegistry::CloseKey(RegKey key) {
    if (key == kClassesRoot) return kRegSuccess;
    if (handles_.erase(key) == 0) return kRegInvalidHandle;
    ++closeCount_;
    return kRegSuccess;
}

std::wstring MemoryRegistry::Dump() const {
    std::wstring out;
    struct Walker {
        std::wstring& out;
        void Walk(const Node& node, const std::wstring& path) {
            out += L'[' + path + L"]\n";
            for (const auto& value : node.values) {
                if (value.name.empty()) {
                    out += L'@';
                } else {
                    AppendQuoted(out, value.name);
                }
                out += L'=' + std::to_wstring(value.type) + L':';
                AppendHex(out, value.data);
                out += L'\n';
            }
            for (const auto& child : node.children) {
                Walk(*child, path.empty() ? child->name : path + L'\\' + child->name);
            }
        }
    };
    Walker{out}.Walk(*root_, std::wstring());
    return out;
}

}  // namespace ft
