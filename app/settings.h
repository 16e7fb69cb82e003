#pragma once

#include <QString>

namespace arrange5 {

// The user's choices, read once at start-up and kept in memory for the run. The keys, their
// defaults and their ranges are one table in settings.cpp.
struct WindowSettings {
    int yearsToKeep = 0;          // IniSerchDay: years of history the online update keeps
    bool freePositions = false;   // bolZyw: 自由位 rather than 固定位
    bool previousIssue = false;   // bolSq: 上期 rather than 前期
    int searchKind = 0;           // intLei: 搜索类型选择, a CodeKind
    bool groupSelection = false;  // bolZuxuan: 组选 rather than 直选
    int resultPosition = 0;       // intConsqSort: 结果统计选择, 1..5
    int resultKind = 0;           // intXianshiLei: 结果类型选择, a CodeKind
    int segmentBase = 0;          // DsIni: the segment of the digits 0 and 1
    bool redOnly = false;         // bolZhpm: 红球 rather than 红蓝
    int lagN = 0;                 // intPreQi: N of 前期
    int combined = 0;             // intZhWSetup: 组合位数
    QString updateHost;           // txtUpdateHost: the results site of the online update
    QString updateSource;         // txtUpdateSource: "official" (default) or "pages"
    QString officialUrl;          // txtOfficialUrl: the address of the operator's draw data
};

// The settings under application "Korvath", section "IniSetting": Booleans as "True"/"False",
// integers as decimal text, each written the moment it changes.
class Settings {
  public:
    // Reads every key; a missing value or one outside its range takes the default.
    Settings();

    const WindowSettings& operator*() const { return values_; }
    const WindowSettings* operator->() const { return &values_; }

    // Changes one value in memory and writes its key.
    void set(int WindowSettings::*field, int value);
    void set(bool WindowSettings::*field, bool value);
    void set(QString WindowSettings::*field, const QString& value);

    static constexpr const char* kApplication = "Korvath";
    static constexpr const char* kSection = "IniSetting";

  private:
    WindowSettings values_;
};

}  // namespace arrange5
