#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace arrange5 {

// The user's choices as the window keeps them and the command line takes its defaults from:
// one key each under application "Korvath", section "IniSetting". The defaults live in the
// table of keys (settings_table.cpp) alone; readUserSettings() and defaultUserSettings() fill
// every field from it.
struct UserSettings {
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
    std::string updateHost;       // txtUpdateHost: the results site of the online update
    std::string updateSource;     // txtUpdateSource: "official" (default) or "pages"
    std::string officialUrl;      // txtOfficialUrl: the address of the operator's draw data
    int trendWindow = 0;          // intTrendWindow: the trend chart's W, 0 for 全部
    std::string trendHidden;      // txtTrendHidden: the trend chart's hidden zones, by key
    // bolKeepAllYears: the early-history question is not asked again; the update keeps
    // every stored year ("以后不再询问，保留全部").
    bool keepAllYears = false;
    bool updateOnStart = false;  // bolUpdateOnStart: 启动时检查新开奖

    bool operator==(const UserSettings&) const = default;
};

inline constexpr const char* kSettingsApplication = "Korvath";
inline constexpr const char* kSettingsSection = "IniSetting";

using SettingsField =
    std::variant<int UserSettings::*, bool UserSettings::*, std::string UserSettings::*>;

// The stored text of a key, none when the key is not stored.
using SettingsLookup = std::function<std::optional<std::string>(std::string_view key)>;

// Every key with its default; a missing value or one outside its range takes the default, and
// so does an empty text.
UserSettings readUserSettings(const SettingsLookup& lookup);
// Every key at its default: the one place a default is written down.
const UserSettings& defaultUserSettings();

// The key a field is stored under, and a value as it is written: Booleans "True"/"False",
// integers in decimal.
std::string settingsKey(const SettingsField& field);
std::string storedText(bool value);
std::string storedText(int value);

// The settings file of this user: $XDG_CONFIG_HOME/Korvath.ini, else ~/.config/Korvath.ini.
std::filesystem::path userSettingsFile();

// The settings of an INI file read as the window's QSettings reads it (store/qt_ini.h); a file
// that does not exist or that this user cannot read gives the defaults. Throws
// SettingsFileError for a file that is not a regular file, is larger than 1 MB, or holds a
// line in the section whose reading the window does not share (the message names the line).
UserSettings readUserSettingsFile(const std::filesystem::path& file);

// Throws SettingsFileError when `file` exists but is not a regular file of at most 1 MB: the
// window's QSettings would wait for ever on a FIFO and load a huge file whole.
void requireSaneSettingsFile(const std::filesystem::path& file);

}  // namespace arrange5
