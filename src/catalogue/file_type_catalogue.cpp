#include "catalogue/file_type_catalogue.h"

#include <cmath>

#include "catalogue/export_job.h"
#include "catalogue/scan_progress.h"
#include "platform/event_guard.h"

namespace ft {

FileTypeCatalogue::FileTypeCatalogue(const CatalogueServices& services)
    : services_(services),
      reader_(services.registry),
      icons_(services.iconCapture),
      openers_(OpenerServices{reader_, services.lookups, services.files, services.associations}),
      rows_(openers_) {}

void FileTypeCatalogue::Load(const std::wstring& currentDirectory) {
    sCurDir = currentDirectory;
    sQuote = L"\"";
    services_.mainView.SetVisible(false);
    services_.progress.Show();
    services_.mainView.ProcessPendingMessages();
}

void FileTypeCatalogue::Scan() {
    if (scanned_) return;
    scanned_ = true;
    MainView& main = services_.mainView;
    main.SetBusyPointer(true);
    services_.progress.SetBarValue(0);
    bool ending = !main.ProcessPendingMessages();
    while (!ending) {
        if (reader_.EnumKey(kClassesRoot, lKeyIndex) != kRegSuccess) break;
        if (reader_.sKeyName[0] == L'.') {
            // A row that cannot be built is skipped, and counted: the scan must reach its end,
            // or the main window would never be shown and the program could not even be closed.
            if (Guarded(L"scan row", [this] { AddFileType(); })) ++lSkippedRows;
            const ScanStepSpan yield(services_.stepTimer, ScanStep::Yield);
            ending = !main.ProcessPendingMessages();
        }
        ++lKeyIndex;
    }
    if (ending) {
        // The window is gone or the program is quitting: there is no one left to show the list.
        services_.progress.Close();
        main.SetBusyPointer(false);
        return;
    }
    rows_.Seal();
    services_.fileList.SortRows();
    if (services_.stepTimer) services_.stepTimer->Report(static_cast<std::size_t>(lTypeCount));
    sCaption = CountCaption(lTypeCount);
    main.SetCaption(sCaption);
    main.SetVisible(true);
    services_.progress.Close();
    main.SetBusyPointer(false);
    main.ProcessPendingMessages();
}

void FileTypeCatalogue::AddFileType() {
    ScanStepTimer* const timer = services_.stepTimer;
    const ScanStepSpan row(timer, ScanStep::Row);
    ++lTypeCount;
    lPercent = ScanPercent(lTypeCount);
    {
        const ScanStepSpan progress(timer, ScanStep::Progress);
        services_.progress.SetPercentText(PercentText(lPercent));
        services_.progress.SetBarValue(lPercent);
    }

    const std::wstring keyName = reader_.KeyName();
    // A failed query leaves nothing behind: no name and no icon rather than the previous type's.
    ShellTypeInfo info;
    {
        const ScanStepSpan query(timer, ScanStep::ShellQuery);
        info = services_.shell.Query(keyName);
    }
    sTypeName = info.ok ? TrimNull(info.typeName).substr(0, kTypeNameChars) : std::wstring();
    sFileExt = keyName.substr(1);
    sImageKey = ImageKey(sFileExt);
    std::optional<int> picture;
    {
        const ScanStepSpan stores(timer, ScanStep::Stores);
        if (info.ok) icons_.Store(sImageKey, info.iconIndex);
        picture = icons_.Lookup(sImageKey);
    }
    const ScanStepSpan insert(timer, ScanStep::ListInsert);
    const FileTypeRow added{sFileExt, sTypeName, picture};
    rows_.Add(added);
    services_.fileList.RowAdded(added);
}

void FileTypeCatalogue::SelectRow(const std::wstring& extension, const std::wstring& typeName) {
    sFileExt = extension;
    sTypeName = typeName;
}

void FileTypeCatalogue::RunCommand(int index) {
    if (index == 2) {
        ExportTypeKeys();
    } else {
        ShowTypeProperties();
    }
}

void FileTypeCatalogue::ShowTypeProperties() {
    using Box = PropertiesView::Box;
    PropertiesView& view = services_.properties;
    const std::wstring extKey = L"." + sFileExt;
    view.SetText(Box::Text1, extKey);

    std::wstring keyValue;
    std::wstring contentType;
    const std::wstring typeKey = ReadTypeKey(extKey, &keyValue, &contentType);
    view.SetText(Box::Text2, keyValue);
    view.SetText(Box::Text3, contentType);
    view.SetTypeKeyNote(TypeInUseNote(openers_.TypeFor(extKey)));

    view.SetText(Box::Text4, reader_.ReadDefaultValue(typeKey + L"\\DefaultIcon"));

    const double listWidth = view.VerbListWidth();
    view.SetVerbColumnWidths(static_cast<int>(std::lround(listWidth * 0.2)),
                             static_cast<int>(std::lround(listWidth * 1.3)));
    view.ClearVerbs();

    if (const auto shellKey = reader_.Open(typeKey + L"\\shell")) {
        const std::wstring shellDefault = reader_.ReadValueText(shellKey.get(), nullptr);
        view.SetText(Box::Text5, shellDefault);
        ListVerbs(shellKey.get(), typeKey, shellDefault);
    } else {
        view.SetText(Box::Text5, L"");
    }

    sImageKey = ImageKey(sFileExt);
    // A type without pictures shows none, never the pictures of the type looked up before it.
    view.SetIcons(icons_.Lookup(sImageKey));
    view.SetText(Box::Text6, sTypeName);
    view.Show();
    services_.mainView.Repaint();
}

void FileTypeCatalogue::ListVerbs(RegKey shellKey, const std::wstring& typeKey, const std::wstring& shellDefault) {
    // The default verb is known only once every verb is: the rows are added after the enumeration.
    std::vector<VerbFacts> verbs;
    std::vector<std::wstring> names;
    for (lKeyIndex = 0;; ++lKeyIndex) {
        if (reader_.EnumKey(shellKey, lKeyIndex) != kRegSuccess) break;
        names.push_back(reader_.KeyName());
        verbs.push_back(ReadVerb(reader_, typeKey + L"\\shell\\" + names.back(), names.back()));
    }
    const auto defaultVerb = DefaultVerbIndex(shellDefault, names);
    for (std::size_t i = 0; i < verbs.size(); ++i) {
        const VerbFacts& verb = verbs[i];
        const bool isDefault = defaultVerb == i;
        VerbExplanation explained = ExplainVerb(verb, isDefault, services_.lookups, services_.files);
        services_.properties.AddVerb(VerbRow{verb.action.empty() ? verb.name : verb.action, verb.command,
                                             std::move(explained.text), isDefault,
                                             explained.missingProgram.has_value()});
    }
}

std::wstring FileTypeCatalogue::ReadTypeKey(const std::wstring& extKey, std::wstring* keyValue,
                                            std::wstring* contentType) {
    std::wstring value;
    if (const auto key = reader_.Open(extKey)) {
        value = reader_.ReadValueText(key.get(), nullptr);
        if (contentType) *contentType = reader_.ReadValueText(key.get(), L"content type");
    } else if (contentType) {
        contentType->clear();
    }
    if (keyValue) *keyValue = value;
    return value.empty() ? extKey : value;
}

void FileTypeCatalogue::ExportTypeKeys() {
    const std::wstring stem = ExportFileStem(sFileExt);
    const std::wstring extKey = L"." + sFileExt;
    const std::wstring typeKey = ReadTypeKey(extKey);
    const std::wstring extRegPath = sCurDir + L"\\" + stem + L"#1.reg";
    const std::wstring typeRegPath = sCurDir + L"\\" + stem + L"#2.reg";

    // The window is filled at once; the job reports what became of the exports as they end.
    auto job = std::make_shared<ExportJob>(services_.launcher, services_.files, services_.clock,
                                           std::vector<std::wstring>{extRegPath, typeRegPath});
    if (lastExport_) job->Follow(lastExport_);
    lastExport_ = job;
    job->RemoveOldFile(extRegPath);
    job->RemoveOldFile(typeRegPath);
    job->StartExport(extKey, extRegPath);
    const bool secondExport = typeKey != extKey;
    if (secondExport) job->StartExport(typeKey, typeRegPath);

    services_.exportView.SetPaths(extRegPath, secondExport ? typeRegPath : std::wstring());
    services_.exportView.Watch(job);
    services_.exportView.Show();
    services_.mainView.Repaint();
}

std::wstring ExportFileStem(const std::wstring& extension) {
    std::wstring stem = UpperText(extension);
    for (auto& c : stem) {
        const bool control = static_cast<std::uint32_t>(c) < 0x20;
        if (control || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) c = L'_';
    }
    // A file name holds at most 255 characters and a key name as many: the stem of a longer
    // extension is cut so that "#1.reg" still fits, never inside a surrogate pair.
    if (stem.size() > kMaxExportStemChars) {
        stem.resize(kMaxExportStemChars);
        const auto last = static_cast<std::uint32_t>(stem.back());
        if (last >= 0xD800 && last <= 0xDBFF) stem.pop_back();
    }
    return stem;
}

}  // namespace ft
