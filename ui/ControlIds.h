// Identifiers of the wizard window's and the About box's controls, and the
// window titles. The GUI test's driver finds the controls by these numbers,
// so this header needs nothing but the language.
#pragma once

namespace qmui::id {

// Button bar
inline constexpr int btnExit = 1001;
inline constexpr int TeButton2 = 1002;  // About
inline constexpr int bBack = 1003;
inline constexpr int bNext = 1004;
inline constexpr int barSeparator = 1005;

// Page 0, welcome
inline constexpr int welcomePicture = 1100;
inline constexpr int welcomeHeading = 1101;
inline constexpr int welcomeText = 1102;
inline constexpr int supportText = 1103;
inline constexpr int noteHeading = 1104;
inline constexpr int noteText = 1105;
inline constexpr int bUndo = 1106;  // "Undo an earlier cleanup"
inline constexpr int undoIntro = 1107;
// Page 1, description
inline constexpr int htmlLite1 = 1110;
inline constexpr int rbAuto = 1111;
inline constexpr int rbCustom = 1112;
inline constexpr int CBaboutblank = 1113;
inline constexpr int cbKeepBackup = 1114;
// Page 2, detection
inline constexpr int detectionHeading = 1120;
inline constexpr int AdvInfiniteProgress1 = 1121;
inline constexpr int TeProgressBarLoad = 1122;
inline constexpr int Loperation = 1123;
inline constexpr int advLStatusDetect = 1124;
// Page 3, choice; the lists and their label are children of PgAllOperation
inline constexpr int PgAllOperation = 1130;
inline constexpr int bCheckall = 1131;
inline constexpr int bUncheckall = 1132;
inline constexpr int lbFound = 1133;
inline constexpr int AdvListREG = 1134;
inline constexpr int AdvListDisck = 1135;
inline constexpr int AdvListIni = 1136;
inline constexpr int AdvServers = 1137;
inline constexpr int AdvRuning = 1138;
inline constexpr int runningLabel = 1139;
// Page 4, removal
inline constexpr int uninstallHeading = 1140;
inline constexpr int AdvInfiniteProgress2 = 1141;
inline constexpr int TeProgressBarUninstall = 1142;
inline constexpr int LUninstalloperation = 1143;
inline constexpr int advLStatusUninstal = 1144;
// Page 5, report
inline constexpr int reportHeading = 1150;
inline constexpr int AdvRaport = 1151;
inline constexpr int bRetry = 1152;
inline constexpr int lbSummary = 1153;
inline constexpr int lbBackupFolder = 1154;
inline constexpr int bSaveReport = 1155;
// Page 6, nothing found
inline constexpr int nothingPicture = 1160;
inline constexpr int nothingText = 1161;
// Page 7, undo
inline constexpr int undoHeading = 1170;
inline constexpr int lbUndoStatus = 1171;
inline constexpr int AdvBackups = 1172;
inline constexpr int lbNoBackup = 1173;
inline constexpr int TeProgressBarRestore = 1174;
inline constexpr int bRestoreBackup = 1175;
inline constexpr int bDeleteBackup = 1176;

// One control that is shown on each page and on no other, by page index: how
// a test tells which page is showing.
inline constexpr int pageMarker[8] = {welcomeHeading,   htmlLite1,     detectionHeading, PgAllOperation,
                                      uninstallHeading, reportHeading, nothingText,      undoHeading};

// The About box; its OK button is IDOK (1).
inline constexpr int aboutOk = 1;
inline constexpr int Image1 = 1200;
inline constexpr int lab_version = 1201;
inline constexpr int Label13 = 1202;  // "Web page"
inline constexpr int lab_web = 1203;
inline constexpr int Label12 = 1204;  // "Email"
inline constexpr int lab_email = 1205;

inline constexpr const wchar_t* kMainTitle = L"Quellmar";
inline constexpr const wchar_t* kMainClass = L"QuellmarWizard";
inline constexpr const wchar_t* kAboutTitle = L"About";
inline constexpr const wchar_t* kAboutClass = L"QuellmarAbout";

}  // namespace qmui::id
