#pragma once

#include <QString>

namespace arrange5 {

// The user's choices under application "Korvath", section "IniSetting": Booleans as
// "True"/"False", integers as decimal text, each written the moment it changes.
class Settings {
  public:
    bool readBool(const char* key, bool fallback) const;
    // The stored integer when it lies in [low, high], else the fallback.
    int readInt(const char* key, int fallback, int low, int high) const;
    QString readText(const char* key, const QString& fallback) const;

    void writeBool(const char* key, bool value);
    void writeInt(const char* key, int value);
    void writeText(const char* key, const QString& value);

    static constexpr const char* kApplication = "Korvath";
    static constexpr const char* kSection = "IniSetting";
};

// The keys, spelled as the settings store has always spelled them.
namespace keys {
inline constexpr const char* kYearsToKeep = "IniSerchDay";
inline constexpr const char* kFreePositions = "bolZyw";
inline constexpr const char* kPreviousIssue = "bolSq";
inline constexpr const char* kSearchKind = "intLei";
inline constexpr const char* kGroupSelection = "bolZuxuan";
inline constexpr const char* kResultPosition = "intConsqSort";
inline constexpr const char* kResultKind = "intXianshiLei";
inline constexpr const char* kSegmentBase = "DsIni";
inline constexpr const char* kRedOnly = "bolZhpm";
inline constexpr const char* kLagN = "intPreQi";
inline constexpr const char* kCombined = "intZhWSetup";
inline constexpr const char* kUpdateHost = "txtUpdateHost";
}  // namespace keys

}  // namespace arrange5
