#include "store/settings_table.h"

#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "store/draw.h"
#include "store/limits.h"

namespace arrange5 {

namespace {

struct Key {
    const char* name;
    SettingsField field;
    int fallback;  // a Boolean's as 0 or 1; the text's default is empty
    int low;
    int high;
};

constexpr int kShortLow = std::numeric_limits<int16_t>::min();
constexpr int kShortHigh = std::numeric_limits<int16_t>::max();
constexpr int kLastKind = kCodeKindCount - 1;

// Every key, spelled as the settings store has always spelled it.
const Key kKeys[] = {
    {"IniSerchDay", &UserSettings::yearsToKeep, limits::kDefaultYearsToKeep,
     limits::kMinYearsToKeep, limits::kMaxYearsToKeep},
    {"bolZyw", &UserSettings::freePositions, 1, 0, 1},
    {"bolSq", &UserSettings::previousIssue, 1, 0, 1},
    {"intLei", &UserSettings::searchKind, 0, 0, kLastKind},
    {"bolZuxuan", &UserSettings::groupSelection, 0, 0, 1},
    {"intConsqSort", &UserSettings::resultPosition, 1, 1, limits::kPositions},
    {"intXianshiLei", &UserSettings::resultKind, 0, 0, kLastKind},
    {"DsIni", &UserSettings::segmentBase, limits::kSegmentBaseOne, limits::kSegmentBaseZero,
     limits::kSegmentBaseOne},
    {"bolZhpm", &UserSettings::redOnly, 0, 0, 1},
    {"intPreQi", &UserSettings::lagN, 2, limits::kMinEarlier, limits::kMaxEarlier},
    // Any 16-bit number is kept; the combination search itself says which k it can use.
    {"intZhWSetup", &UserSettings::combined, 2, kShortLow, kShortHigh},
    {"txtUpdateHost", &UserSettings::updateHost, 0, 0, 0},
    {"txtUpdateSource", &UserSettings::updateSource, 0, 0, 0},
    {"txtOfficialUrl", &UserSettings::officialUrl, 0, 0, 0},
    {"intTrendWindow", &UserSettings::trendWindow, 0, 0, std::numeric_limits<int>::max()},
    {"txtTrendHidden", &UserSettings::trendHidden, 0, 0, 0},
    {"bolKeepAllYears", &UserSettings::keepAllYears, 0, 0, 1},
    {"bolUpdateOnStart", &UserSettings::updateOnStart, 0, 0, 1},
};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<int> readInt(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<bool> readBool(const std::string& text) {
    if (equalsNoCase(text, "true")) return true;
    if (equalsNoCase(text, "false")) return false;
    const auto number = readInt(text);
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
}

void apply(UserSettings& values, const Key& key, const std::optional<std::string>& stored) {
    const std::string text = stored ? trimmed(*stored) : std::string();
    if (const auto* f = std::get_if<int UserSettings::*>(&key.field)) {
        const auto value = readInt(text);
        values.*(*f) = value && *value >= key.low && *value <= key.high ? *value : key.fallback;
    } else if (const auto* b = std::get_if<bool UserSettings::*>(&key.field)) {
        values.*(*b) = readBool(text).value_or(key.fallback != 0);
    } else if (const auto* t = std::get_if<std::string UserSettings::*>(&key.field)) {
        values.*(*t) = stored.value_or(std::string());
    }
}

// QSettings writes a text holding '=', ';', ',' or '"' in double quotes, with '\' escapes.
std::string unquoted(const std::string& raw) {
    const std::string text = trimmed(raw);
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return text;
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && i + 2 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

}  // namespace

UserSettings readUserSettings(const SettingsLookup& lookup) {
    UserSettings values;
    for (const Key& key : kKeys) apply(values, key, lookup(key.name));
    // A new user updates from the operator's data without typing an address.
    if (values.updateSource.empty()) values.updateSource = "official";
    return values;
}

std::string settingsKey(const SettingsField& field) {
    for (const Key& key : kKeys) {
        if (key.field == field) return key.name;
    }
    return {};
}

std::string storedText(bool value) {
    return value ? "True" : "False";
}
std::string storedText(int value) {
    return std::to_string(value);
}

std::filesystem::path userSettingsFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return std::filesystem::path(config) / "Korvath.ini";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "") / ".config" / "Korvath.ini";
}

UserSettings readUserSettingsFile(const std::filesystem::path& file) {
    boost::property_tree::ptree tree;
    try {
        boost::property_tree::ini_parser::read_ini(file.string(), tree);
    } catch (const boost::property_tree::ini_parser_error&) {
        tree.clear();  // no file, or one that is not INI: the defaults
    }
    const auto section = tree.get_child_optional(kSettingsSection);
    return readUserSettings([&](std::string_view key) -> std::optional<std::string> {
        if (!section) return std::nullopt;
        const auto value = section->get_optional<std::string>(
            boost::property_tree::ptree::path_type(std::string(key), '\0'));
        if (!value) return std::nullopt;
        return unquoted(*value);
    });
}

}  // namespace arrange5
