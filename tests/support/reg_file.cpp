#include "support/reg_file.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "registry/text.h"

namespace ft {
namespace {

// Only what both the platform's registry editor and Wine's read the same way is accepted,
// so that a fixture means one thing to the in-memory tests and to an imported prefix.

constexpr std::wstring_view kHeaderV5 = L"Windows Registry Editor Version 5.00";
constexpr std::wstring_view kHeaderV4 = L"REGEDIT4";
constexpr std::wstring_view kRootName = L"HKEY_CLASSES_ROOT";
constexpr std::size_t kMaxKeyNameUnits = 255;  // the registry's limit for one key name

std::size_t LineOfOffset(const std::vector<std::uint8_t>& bytes, std::size_t end) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < end && i < bytes.size(); ++i) {
        if (bytes[i] == '\n') ++line;
    }
    return line;
}

std::size_t LineCount(std::wstring_view text) {
    std::size_t line = 1;
    for (wchar_t c : text) {
        if (c == L'\n') ++line;
    }
    return line;
}

std::wstring DecodeUtf16Le(const std::vector<std::uint8_t>& bytes, std::size_t start) {
    std::wstring text = WideFromUtf16Le(bytes.data() + start, bytes.size() - start);
    if ((bytes.size() - start) % 2 != 0) {
        throw RegFileError(LineCount(text), "the file ends in the middle of a UTF-16 character");
    }
    return text;
}

std::u16string DecodeUtf8(const std::vector<std::uint8_t>& bytes, std::size_t start) {
    std::u16string text;
    text.reserve(bytes.size() - start);
    std::size_t i = start;
    while (i < bytes.size()) {
        const std::size_t begin = i;
        const unsigned lead = bytes[i++];
        char32_t c = 0;
        std::size_t more = 0;
        if (lead < 0x80) {
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            c = lead & 0x1F;
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            c = lead & 0x0F;
            more = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            c = lead & 0x07;
            more = 3;
        } else {
            throw RegFileError(LineOfOffset(bytes, begin), "invalid UTF-8");
        }
        for (std::size_t k = 0; k < more; ++k) {
            if (i >= bytes.size() || (bytes[i] & 0xC0) != 0x80) {
                throw RegFileError(LineOfOffset(bytes, begin), "invalid or truncated UTF-8 sequence");
            }
            c = (c << 6) | (bytes[i++] & 0x3F);
        }
        const bool overlong = (more == 2 && c < 0x800) || (more == 3 && c < 0x10000);
        if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            throw RegFileError(LineOfOffset(bytes, begin), "invalid UTF-8 sequence");
        }
        if (c >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(c));
        }
    }
    return text;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    // A final line break ends the last line; it does not start another.
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

std::vector<std::wstring> DecodeLines(const std::vector<std::uint8_t>& bytes) {
    std::wstring text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = DecodeUtf16Le(bytes, 2);
    } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        throw RegFileError(0, "UTF-16 big-endian files are not supported");
    } else {
        const bool bom = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
        text = WideFromUtf16(DecodeUtf8(bytes, bom ? 3 : 0));
    }
    return SplitLines(text);
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimTrailingBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return static_cast<int>(c - L'0');
    if (c >= L'a' && c <= L'f') return static_cast<int>(c - L'a' + 10);
    if (c >= L'A' && c <= L'F') return static_cast<int>(c - L'A' + 10);
    return -1;
}

struct Change {
    enum class Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
    Kind kind;
    std::wstring key;
    std::wstring name;
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
};

class Parser {
public:
    explicit Parser(std::vector<std::wstring> lines) : lines_(std::move(lines)) {}

    std::vector<Change> Parse() {
        const std::wstring_view header = TrimTrailingBlanks(lines_.front());
        if (header != kHeaderV5 && header != kHeaderV4) {
            Fail("the file does not start with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
        }
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            pos_ = 0;
            SkipBlanks();
            if (AtEnd() || Peek() == L';') continue;
            if (Peek() == L'[') {
                ParseKeyLine();
            } else if (Peek() == L'@' || Peek() == L'"') {
                ParseValueLine();
            } else {
                Fail("expected a [key] line, a value line or a ; comment");
            }
        }
        return std::move(changes_);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw RegFileError(index_ + 1, what); }

    const std::wstring& Line() const { return lines_[index_]; }
    bool AtEnd() const { return pos_ >= Line().size(); }
    wchar_t Peek() const { return Line()[pos_]; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(Peek())) ++pos_;
    }
    bool TakePrefix(std::wstring_view prefix) {
        if (std::wstring_view(Line()).substr(pos_, prefix.size()) != prefix) return false;
        pos_ += prefix.size();
        return true;
    }
    void ExpectLineEnd() {
        SkipBlanks();
        if (!AtEnd()) Fail("unexpected text after the value's data");
    }

    void ParseKeyLine() {
        const std::wstring_view line = TrimTrailingBlanks(std::wstring_view(Line()).substr(pos_ + 1));
        if (line.empty() || line.back() != L']') Fail("a key line must end with ']'");
        std::wstring_view name = line.substr(0, line.size() - 1);
        const bool deletion = !name.empty() && name.front() == L'-';
        if (deletion) name.remove_prefix(1);

        const std::size_t slash = name.find(L'\\');
        if (name.substr(0, slash) != kRootName) {
            Fail("only keys under HKEY_CLASSES_ROOT can be loaded");
        }
        std::wstring path;
        if (slash != std::wstring_view::npos) {
            path = std::wstring(name.substr(slash + 1));
            std::size_t start = 0;
            while (true) {
                const std::size_t end = path.find(L'\\', start);
                const std::wstring_view part =
                    std::wstring_view(path).substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
                if (part.empty()) Fail("empty key name in the path");
                if (Utf16FromWide(part).size() > kMaxKeyNameUnits) Fail("key name longer than 255 characters");
                if (end == std::wstring::npos) break;
                start = end + 1;
            }
        }
        if (deletion) {
            if (path.empty()) Fail("HKEY_CLASSES_ROOT itself cannot be deleted");
            changes_.push_back(Change{Change::Kind::kDeleteKey, path, {}, kRegNone, {}});
            currentKey_.reset();
            afterDeletion_ = true;
        } else {
            changes_.push_back(Change{Change::Kind::kCreateKey, path, {}, kRegNone, {}});
            currentKey_ = std::move(path);
        }
    }

    void ParseValueLine() {
        if (!currentKey_) {
            Fail(afterDeletion_ ? "value line under a deleted key" : "value line before any [key] line");
        }
        std::wstring name;
        if (Peek() == L'@') {
            ++pos_;
        } else {
            name = ParseQuoted("value name");
        }
        if (AtEnd() || Peek() != L'=') Fail("expected '=' straight after the value name");
        ++pos_;

        Change change{Change::Kind::kSetValue, *currentKey_, std::move(name), kRegNone, {}};
        if (!AtEnd() && Peek() == L'-') {
            ++pos_;
            ExpectLineEnd();
            change.kind = Change::Kind::kDeleteValue;
        } else if (!AtEnd() && Peek() == L'"') {
            change.type = kRegSz;
            change.data = Utf16LeBytes(ParseQuoted("string") + L'\0');
            ExpectLineEnd();
        } else if (TakePrefix(L"dword:")) {
            change.type = kRegDword;
            const std::uint32_t value = ParseHexNumber("dword");
            for (int shift = 0; shift < 32; shift += 8) change.data.push_back(static_cast<std::uint8_t>(value >> shift));
            ExpectLineEnd();
        } else if (TakePrefix(L"hex:")) {
            change.type = kRegBinary;
            change.data = ParseHexBytes();
        } else if (TakePrefix(L"hex(")) {
            change.type = ParseHexNumber("hex(N) type");
            if (!TakePrefix(L"):")) Fail("expected \"):\" after the type in hex(N):");
            change.data = ParseHexBytes();
        } else {
            Fail("unknown value data: expected \"text\", dword:, hex:, hex(N): or -");
        }
        changes_.push_back(std::move(change));
    }

    // A quoted string with \\ and \" escapes. Other escapes are refused: the two registry
    // editors disagree about them.
    std::wstring ParseQuoted(const char* what) {
        ++pos_;  // the opening quote
        std::wstring text;
        while (true) {
            if (AtEnd()) Fail(std::string("unterminated ") + what);
            const wchar_t c = Line()[pos_++];
            if (c == L'"') return text;
            if (c == L'\\') {
                if (AtEnd()) Fail(std::string("unterminated ") + what);
                const wchar_t escaped = Line()[pos_++];
                if (escaped != L'\\' && escaped != L'"') Fail(std::string("unsupported escape in ") + what);
                text += escaped;
            } else {
                text += c;
            }
        }
    }

    std::uint32_t ParseHexNumber(const char* what) {
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (!AtEnd() && HexDigit(Peek()) >= 0) {
            if (++digits > 8) Fail(std::string("too many digits in ") + what);
            value = (value << 4) | static_cast<std::uint32_t>(HexDigit(Line()[pos_++]));
        }
        if (digits == 0) Fail(std::string("missing hex digits in ") + what);
        return value;
    }

    // Comma-separated bytes of one or two hex digits; a backslash at the end of a line
    // continues the list on the next line, whose leading blanks are skipped.
    std::vector<std::uint8_t> ParseHexBytes() {
        std::vector<std::uint8_t> bytes;
        bool wantByte = true;  // at the start, and after every comma
        while (true) {
            SkipBlanks();
            if (AtEnd()) break;
            if (Peek() == L'\\') {
                ++pos_;
                SkipBlanks();
                if (!AtEnd()) Fail("unexpected text after '\\' in hex data");
                if (index_ + 1 >= lines_.size()) Fail("the file ends inside continued hex data");
                ++index_;
                pos_ = 0;
                continue;
            }
            if (wantByte) {
                int value = HexDigit(Peek());
                if (value < 0) Fail("bad hex data: expected a byte");
                ++pos_;
                if (!AtEnd() && HexDigit(Peek()) >= 0) value = value * 16 + HexDigit(Line()[pos_++]);
                if (!AtEnd() && HexDigit(Peek()) >= 0) Fail("bad hex data: a byte has more than two digits");
                bytes.push_back(static_cast<std::uint8_t>(value));
                wantByte = false;
            } else if (Peek() == L',') {
                ++pos_;
                wantByte = true;
            } else {
                Fail("bad hex data: expected ',' between bytes");
            }
        }
        if (wantByte && !bytes.empty()) Fail("bad hex data: the list ends with ','");
        return bytes;
    }

    std::vector<std::wstring> lines_;
    std::size_t index_ = 0;  // current line, 0-based
    std::size_t pos_ = 0;    // position in the current line
    std::optional<std::wstring> currentKey_;
    bool afterDeletion_ = false;
    std::vector<Change> changes_;
};

void Apply(const std::vector<Change>& changes, MemoryRegistry& registry) {
    for (const Change& change : changes) {
        switch (change.kind) {
            case Change::Kind::kCreateKey:
                registry.CreateKey(change.key);
                break;
            case Change::Kind::kDeleteKey:
                registry.DeleteKey(change.key);
                break;
            case Change::Kind::kSetValue:
                registry.SetValue(change.key, change.name, change.type, change.data);
                break;
            case Change::Kind::kDeleteValue:
                registry.DeleteValue(change.key, change.name);
                break;
        }
    }
}

}  // namespace

RegFileError::RegFileError(std::size_t line, const std::string& what)
    : std::runtime_error(line == 0 ? what : "line " + std::to_string(line) + ": " + what), line_(line) {}

void LoadRegFile(const std::vector<std::uint8_t>& bytes, MemoryRegistry& registry) {
    Apply(Parser(DecodeLines(bytes)).Parse(), registry);
}

void LoadRegFile(const std::filesystem::path& file, MemoryRegistry& registry) {
    // UTF-8 for the message: path::string() throws on Windows for names outside the code page.
    const std::u8string name = file.u8string();
    const std::string shown(name.begin(), name.end());
    std::ifstream in(file, std::ios::binary);
    if (!in) throw RegFileError(0, "cannot open " + shown);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw RegFileError(0, "cannot read " + shown);
    LoadRegFile(bytes, registry);
}

}  // namespace ft
