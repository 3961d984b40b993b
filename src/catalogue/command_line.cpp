#include "catalogue/command_line.h"

namespace ft {

std::wstring QuoteArgument(std::wstring_view argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them; then each must be doubled.
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out.push_back(c);
    }
    // The closing quote follows, so trailing backslashes are doubled too.
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}

std::wstring RegExportCommandLine(const std::wstring& key, const std::wstring& regFilePath) {
    return std::wstring(kRegTool) + L" export " + QuoteArgument(L"HKEY_CLASSES_ROOT\\" + key) + L" " +
           QuoteArgument(regFilePath) + L" /y";
}

std::wstring NotepadCommandLine(const std::wstring& path) { return std::wstring(kEditor) + L" " + path; }

}  // namespace ft
