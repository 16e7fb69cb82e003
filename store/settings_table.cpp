#include "store/settings_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "store/draw.h"
#include "store/errors.h"
#include "store/limits.h"
#include "store/qt_ini.h"

namespace arrange5 {

namespace {

struct Key {
    const char* name;
    SettingsField field;
    int fallback;  // a Boolean's as 0 or 1
    int low;
    int high;
    const char* textFallback = "";  // a text's, also when it is stored empty
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
    // A new user updates from the operator's data without typing an address.
    {"txtUpdateSource", &UserSettings::updateSource, 0, 0, 0, "official"},
    {"txtOfficialUrl", &UserSettings::officialUrl, 0, 0, 0,
     "https://webapi.sporttery.cn/gateway/lottery/getHistoryPageListV1.qry"
     "?gameNo=350133&provinceId=0&isVerify=1"},
    {"intTrendWindow", &UserSettings::trendWindow, 0, 0, std::numeric_limits<int>::max()},
    {"txtTrendHidden", &UserSettings::trendHidden, 0, 0, 0},
    {"bolKeepAllYears", &UserSettings::keepAllYears, 0, 0, 1},
    {"bolUpdateOnStart", &UserSettings::updateOnStart, 0, 0, 1},
};

// Korvath.ini holds a few hundred bytes; anything past this is not the window's file.
constexpr std::size_t kMaxSettingsFileBytes = 1 << 20;

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
        values.*(*t) = stored && !stored->empty() ? *stored : std::string(key.textFallback);
    }
}

SettingsFileError refusal(const std::filesystem::path& file, const std::string& why) {
    return SettingsFileError("设置文件 " + file.string() + why + "，没有读取；请把它移走");
}

void checkSettingsFileKind(const std::filesystem::path& file, const struct stat& s) {
    if (!S_ISREG(s.st_mode)) throw refusal(file, " 不是普通文件");
    if (static_cast<uint64_t>(s.st_size) > kMaxSettingsFileBytes) {
        throw refusal(file, " 有 " + std::to_string(s.st_size) + " 字节，不是本程序写的设置文件");
    }
}

// The file's bytes, or none when there is no file. Only a regular file of a sane size is
// read: a FIFO would block every command (--version included) and a huge file would cost
// its size in memory. Opened without blocking, and checked again once open, so that a file
// swapped for a FIFO in between cannot block either.
std::optional<std::string> settingsFileText(const std::filesystem::path& file) {
    struct stat info {};
    // No file, or one this user cannot reach: the window reads no settings from it either.
    if (::stat(file.c_str(), &info) != 0) return std::nullopt;
    const auto refuse = [&](const std::string& why) { return refusal(file, why); };
    const auto check = [&](const struct stat& s) { checkSettingsFileKind(file, s); };
    check(info);
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;  // unreadable: the window cannot read it either
    std::string text;
    try {
        if (::fstat(fd, &info) != 0) throw refuse(" 无法读取");
        check(info);
        char buffer[8192];
        while (text.size() <= kMaxSettingsFileBytes) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw refuse(std::string(" 无法读取（") + std::strerror(errno) + "）");
            if (got == 0) break;
            text.append(buffer, static_cast<std::size_t>(got));
        }
        if (text.size() > kMaxSettingsFileBytes) throw refuse(" 在读取时变得大于 1 MB");
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return text;
}

}  // namespace

void requireSaneSettingsFile(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) checkSettingsFileKind(file, info);
}

UserSettings readUserSettings(const SettingsLookup& lookup) {
    UserSettings values;
    for (const Key& key : kKeys) apply(values, key, lookup(key.name));
    return values;
}

const UserSettings& defaultUserSettings() {
    static const UserSettings defaults =
        readUserSettings([](std::string_view) { return std::optional<std::string>(); });
    return defaults;
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
    const std::optional<std::string> text = settingsFileText(file);
    const auto section = text ? readQtIniSection(*text, kSettingsSection, file.string())
                              : std::map<std::string, std::string>();
    return readUserSettings([&](std::string_view key) -> std::optional<std::string> {
        const auto found = section.find(std::string(key));
        if (found == section.end()) return std::nullopt;
        return found->second;
    });
}

}  // namespace arrange5
