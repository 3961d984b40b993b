#pragma once
// What the catalogue asks of the shell and of the windows. The Win32 layer implements these;
// the unit tests implement them with recording fakes.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace ft {

// The shell's answer for a file name: its type name and the position of its icon in the
// system image lists. `ok` is false when the shell answered nothing.
struct ShellTypeInfo {
    bool ok = false;
    std::wstring typeName;  // as the shell's fixed field holds it (may hold a NUL and leftovers)
    int iconIndex = -1;
};

class ShellInfoSource {
public:
    virtual ~ShellInfoSource() = default;
    virtual ShellTypeInfo Query(const std::wstring& fileName) = 0;
};

// Draws a system icon (small and large) into the program's picture stores.
// Returns the slot that holds both pictures, or nothing when the capture failed.
class IconCapture {
public:
    virtual ~IconCapture() = default;
    virtual std::optional<int> Capture(int systemIconIndex) = 0;
};

// One row of the main list. `iconSlot` names the stored small picture, if there is one.
struct FileTypeRow {
    std::wstring extension;
    std::wstring typeName;
    std::optional<int> iconSlot;
};

// How a row stands out.
struct RowLook {
    bool bold = false;
    bool dimmed = false;  // in the disabled text colour
};

// The rows a list shows, kept by their owner: the list holds only their order and asks for what
// it shows, when it shows it.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual std::size_t RowCount() const = 0;
    // The text of column 0 or 1.
    virtual const std::wstring& Text(std::size_t row, int column) const = 0;
    virtual std::optional<int> Picture(std::size_t row) const = 0;
    // May work out what the row needs the first time it is asked.
    virtual RowLook Look(std::size_t row) = 0;
    // What the row's tooltip over `column` says besides a cut text; empty for nothing.
    virtual std::wstring Notes(std::size_t row, int column) = 0;
};

class FileListView {
public:
    virtual ~FileListView() = default;
    // The catalogue's rows, which the list shows, grew by `row`.
    virtual void RowAdded(const FileTypeRow& row) = 0;
    // The scan has added every row: they are sorted once now, in the list's current order, rather
    // than one insert at a time.
    virtual void SortRows() = 0;
};

// The start-up progress window.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void Show() = 0;
    virtual void SetPercentText(const std::wstring& text) = 0;
    virtual void SetBarValue(int value) = 0;
    virtual void Close() = 0;
};

// The main window as the start-up sequence and the commands see it.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void SetCaption(const std::wstring& caption) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetBusyPointer(bool busy) = 0;  // arrow with hourglass while true
    // Lets pending window messages run. False once the program is ending: its window is gone
    // or it has been asked to quit.
    virtual bool ProcessPendingMessages() = 0;
    virtual void Repaint() = 0;
};

// One row of the properties window's verb list: the registry's texts, and what they mean.
struct VerbRow {
    std::wstring action;
    std::wstring command;
    std::wstring explanation;     // the row's tooltip
    bool isDefault = false;       // the verb the shell runs on a double-click
    bool programMissing = false;  // the command's program cannot be found
};

// The properties window. It builds itself on the first call and stays hidden until Show.
class PropertiesView {
public:
    enum class Box { Text1, Text2, Text3, Text4, Text5, Text6 };
    virtual ~PropertiesView() = default;
    virtual void SetText(Box box, const std::wstring& text) = 0;
    // What the tooltip of Text2, the extension key's default value, says of the type that opens
    // files when that is another one; empty for nothing.
    virtual void SetTypeKeyNote(const std::wstring& note) = 0;
    virtual int VerbListWidth() = 0;
    virtual void SetVerbColumnWidths(int action, int command) = 0;
    virtual void ClearVerbs() = 0;
    virtual void AddVerb(const VerbRow& row) = 0;
    virtual void SetIcons(std::optional<int> iconSlot) = 0;  // small and large picture of the slot
    virtual void Show() = 0;
};

class ExportJob;

// The export result window. It builds itself on the first call and stays hidden until Show.
class ExportView {
public:
    virtual ~ExportView() = default;
    virtual void SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) = 0;
    // Shows the job's status and keeps it current until every tool of the job has ended. A newer
    // job replaces the one watched so far.
    virtual void Watch(std::shared_ptr<ExportJob> job) = 0;
    virtual void Show() = 0;
};

}  // namespace ft
