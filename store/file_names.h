#pragma once

// The names of the files the program writes into its data folder, in one place. They are
// the names users and other tools have always found there, so they never change.
namespace arrange5::file_names {

inline constexpr const char* kDatabase = "Zembric.mdb";
inline constexpr const char* kCompactScratch = "ZembricTmp.mdb";
inline constexpr const char* kWriterLock = "Zembric.mdb.lock";
inline constexpr const char* kBackup = "lsbf.txt";
inline constexpr const char* kImportFolder = "历史号码";
inline constexpr const char* kStudyLog = "study.txt";

// The workbooks of the grids and dialogs (.xlsx workbooks under .xlsx names).
inline constexpr const char* kHistoryWorkbook = "lishi.xlsx";
inline constexpr const char* kHitsWorkbook = "Jiansuo.xlsx";
inline constexpr const char* kTallyWorkbook = "Jieguo.xlsx";
inline constexpr const char* kVerificationWorkbook = "Yanzheng.xlsx";
inline constexpr const char* kTrendWorkbook = "Zoushi.xlsx";
inline constexpr const char* kTrendChart = "Zoushi.png";
// The 大底 of the 缩水 dialog, one number a line and as a workbook.
inline constexpr const char* kFilterList = "Dadi.txt";
inline constexpr const char* kFilterWorkbook = "Dadi.xlsx";

}  // namespace arrange5::file_names
