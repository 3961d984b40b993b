#pragma once
// Window classes and control ids of the program's windows. The end-to-end probe finds the
// windows and controls by these, so they are part of the program's outside face.
namespace ft::ui {

inline constexpr wchar_t kMainClass[] = L"FileTypesMainWindow";
inline constexpr wchar_t kProgressClass[] = L"FileTypesSplashWindow";
inline constexpr wchar_t kPropertiesClass[] = L"FileTypesPropertiesWindow";
inline constexpr wchar_t kExportClass[] = L"FileTypesBackupWindow";

// Main window.
inline constexpr int kIdFileList = 100;  // lvwFile: columns "文件后缀名", "文件类型"
inline constexpr int kIdMenuProperties = 201;  // mnuOptions(1)
inline constexpr int kIdMenuExport = 202;      // mnuOptions(2)
inline constexpr int kIdMenuBlog = 203;        // mnukxblog

// Progress window.
inline constexpr int kIdProgressPicture = 300;
inline constexpr int kIdProgressLabel1 = 301;
inline constexpr int kIdProgressLabel2 = 302;
inline constexpr int kIdProgressBar = 303;
inline constexpr int kIdProgressPercent = 304;  // Label3

// Properties window: Text1..Text6 are 401..406, in that order.
inline constexpr int kIdPropText1 = 401;
inline constexpr int kIdPropVerbList = 410;  // columns "项", "参数"
inline constexpr int kIdPropLargeIcon = 411;
inline constexpr int kIdPropSmallIcon = 412;
inline constexpr int kIdPropClose = 420;

// Export result window.
inline constexpr int kIdExportText1 = 501;
inline constexpr int kIdExportText2 = 502;
inline constexpr int kIdExportBrowse1 = 503;  // Command2, opens Text1
inline constexpr int kIdExportBrowse2 = 504;  // Command3, opens Text2
inline constexpr int kIdExportClose = 505;    // Command1
inline constexpr int kIdExportLabel = 506;

}  // namespace ft::ui
