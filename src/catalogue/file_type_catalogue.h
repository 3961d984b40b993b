#pragma once
// The program's own logic: the start-up sequence and the one-shot scan that builds the list,
// the properties lookup of one file type and the export of its keys. The working values are
// members, shared by the three operations, which never run at the same time: the main window
// stays hidden (so its menu is out of reach) until the scan has ended, and each command runs
// to its end without yielding.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/file_type_rows.h"
#include "catalogue/icon_stores.h"
#include "catalogue/opener_rules.h"
#include "catalogue/scan_steps.h"
#include "catalogue/verb_rules.h"
#include "catalogue/views.h"
#include "platform/services.h"
#include "registry/registry_reader.h"

namespace ft {

struct CatalogueServices {
    Registry& registry;
    ShellInfoSource& shell;
    IconCapture& iconCapture;
    MainView& mainView;
    FileListView& fileList;
    ProgressView& progress;
    PropertiesView& properties;
    ExportView& exportView;
    ProcessLauncher& launcher;
    FileSystem& files;
    ShellLookups& lookups;
    AssociationLookups& associations;
    Clock& clock;
    ScanStepTimer* stepTimer = nullptr;  // only in the start-up benchmark's row-timing build
};

// Longest type name a row shows, as the shell's fixed field allows.
inline constexpr std::size_t kTypeNameChars = 79;

class FileTypeCatalogue {
public:
    explicit FileTypeCatalogue(const CatalogueServices& services);

    // Start-up: remembers the working directory, hides the main window, shows the progress window.
    void Load(const std::wstring& currentDirectory);
    // The whole scan of HKEY_CLASSES_ROOT; runs once, later calls do nothing.
    void Scan();
    // A row became the current one (click or keyboard).
    void SelectRow(const std::wstring& extension, const std::wstring& typeName);
    void SelectRow(std::size_t row) { SelectRow(rows_.Extension(row), rows_.TypeName(row)); }
    // The popup menu's file-type commands: index 2 exports, any other index shows the properties.
    void RunCommand(int index);
    void ShowTypeProperties();
    void ExportTypeKeys();

    const IconStores& Icons() const { return icons_; }
    // The rows the scan found, which the main list shows.
    FileTypeRows& Rows() { return rows_; }
    RegistryReader& Reader() { return reader_; }

    // Shared working state.
    std::int32_t lKeyIndex = 0;
    std::int32_t lTypeCount = 0;
    std::int32_t lPercent = 0;
    std::int32_t lSkippedRows = 0;  // rows the scan could not build
    std::wstring sTypeName;
    std::wstring sFileExt;
    std::wstring sImageKey;
    std::wstring sCaption;
    std::wstring sCurDir;
    std::wstring sQuote;

private:
    void AddFileType();
    void ListVerbs(RegKey shellKey, const std::wstring& typeKey, const std::wstring& shellDefault);
    // The type key that the extension key's default value names; the extension key itself when
    // it names none or cannot be opened. `keyValue` and `contentType`, when asked for, receive
    // what the extension key holds ("" when it cannot be opened).
    std::wstring ReadTypeKey(const std::wstring& extKey, std::wstring* keyValue = nullptr,
                             std::wstring* contentType = nullptr);

    CatalogueServices services_;
    RegistryReader reader_;
    IconStores icons_;
    OpenerRules openers_;
    FileTypeRows rows_;
    bool scanned_ = false;
    // The latest export, kept beyond its result window: a newer one follows its runs, and waits
    // for those on its own files.
    std::shared_ptr<ExportJob> lastExport_;
};

// A file name made of the upper-cased extension: characters that Windows does not allow in a
// file name (path separators, a drive colon, wildcards) are replaced, so that a key name can
// never send the export, or the deletion before it, outside the start-up directory. It is cut
// to kMaxExportStemChars, so that the file name with "#1.reg" fits in 255 characters.
inline constexpr std::size_t kMaxExportStemChars = 255 - 6;
std::wstring ExportFileStem(const std::wstring& extension);

}  // namespace ft
