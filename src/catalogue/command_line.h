#pragma once
// Command lines the program starts. Arguments are quoted by the rules the C runtime and
// CommandLineToArgvW read, so that any key name or path reaches the tool as one argument.
#include <string>
#include <string_view>

namespace ft {

std::wstring QuoteArgument(std::wstring_view argument);

// The console registry tool; it writes the registry editor's format without asking for elevation.
inline constexpr wchar_t kRegTool[] = L"reg.exe";

// The console registry tool's export of one HKEY_CLASSES_ROOT key into a .reg file.
std::wstring RegExportCommandLine(const std::wstring& key, const std::wstring& regFilePath);

// The text editor, started with an export file.
inline constexpr wchar_t kEditor[] = L"notepad.exe";

// The text editor with a path exactly as the user's box holds it: nothing is quoted or trimmed.
std::wstring NotepadCommandLine(const std::wstring& path);

}  // namespace ft
