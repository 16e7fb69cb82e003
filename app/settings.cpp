#include "app/settings.h"

#include <QSettings>
#include <limits>
#include <optional>
#include <variant>

#include "acquire/online_update.h"
#include "store/draw.h"
#include "store/limits.h"

namespace arrange5 {

namespace {

using Field =
    std::variant<int WindowSettings::*, bool WindowSettings::*, QString WindowSettings::*>;

struct Key {
    const char* name;
    Field field;
    int fallback;  // a Boolean's as 0 or 1; the text's default is empty
    int low;
    int high;
};

constexpr int kShortLow = std::numeric_limits<int16_t>::min();
constexpr int kShortHigh = std::numeric_limits<int16_t>::max();
constexpr int kLastKind = kCodeKindCount - 1;

// Every key, spelled as the settings store has always spelled it.
const Key kKeys[] = {
    {"IniSerchDay", &WindowSettings::yearsToKeep, limits::kDefaultYearsToKeep,
     limits::kMinYearsToKeep, limits::kMaxYearsToKeep},
    {"bolZyw", &WindowSettings::freePositions, 1, 0, 1},
    {"bolSq", &WindowSettings::previousIssue, 1, 0, 1},
    {"intLei", &WindowSettings::searchKind, 0, 0, kLastKind},
    {"bolZuxuan", &WindowSettings::groupSelection, 0, 0, 1},
    {"intConsqSort", &WindowSettings::resultPosition, 1, 1, limits::kPositions},
    {"intXianshiLei", &WindowSettings::resultKind, 0, 0, kLastKind},
    {"DsIni", &WindowSettings::segmentBase, limits::kSegmentBaseOne, limits::kSegmentBaseZero,
     limits::kSegmentBaseOne},
    {"bolZhpm", &WindowSettings::redOnly, 0, 0, 1},
    {"intPreQi", &WindowSettings::lagN, 2, limits::kMinEarlier, limits::kMaxEarlier},
    // Any 16-bit number is kept; the combination search itself says which k it can use.
    {"intZhWSetup", &WindowSettings::combined, 2, kShortLow, kShortHigh},
    {"txtUpdateHost", &WindowSettings::updateHost, 0, 0, 0},
    {"txtUpdateSource", &WindowSettings::updateSource, 0, 0, 0},
    {"txtOfficialUrl", &WindowSettings::officialUrl, 0, 0, 0},
};

QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, Settings::kApplication);
}

QString fullKey(const Key& key) {
    return QString::fromLatin1(Settings::kSection) + '/' + key.name;
}

std::optional<bool> readBool(const QString& stored) {
    const QString text = stored.trimmed();
    if (text.compare("True", Qt::CaseInsensitive) == 0) return true;
    if (text.compare("False", Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? std::optional<bool>(number != 0) : std::nullopt;
}

void apply(WindowSettings& values, const Key& key, const QVariant& stored) {
    if (const auto* f = std::get_if<int WindowSettings::*>(&key.field)) {
        bool ok = false;
        const int value = stored.toString().trimmed().toInt(&ok);
        values.*(*f) = ok && value >= key.low && value <= key.high ? value : key.fallback;
    } else if (const auto* b = std::get_if<bool WindowSettings::*>(&key.field)) {
        values.*(*b) = readBool(stored.toString()).value_or(key.fallback != 0);
    } else if (const auto* t = std::get_if<QString WindowSettings::*>(&key.field)) {
        values.*(*t) = stored.isValid() ? stored.toString() : QString();
    }
}

template <typename Member>
const Key& keyOf(Member field) {
    for (const Key& key : kKeys) {
        const auto* f = std::get_if<Member>(&key.field);
        if (f && *f == field) return key;
    }
    Q_UNREACHABLE();
}

}  // namespace

Settings::Settings() {
    const QSettings stored = store();
    for (const Key& key : kKeys) apply(values_, key, stored.value(fullKey(key)));
    // A new user updates from the operator's data without typing an address.
    if (values_.updateSource.isEmpty()) {
        values_.updateSource = QString::fromUtf8(updateSourceKey(UpdateSource::Official));
    }
    if (values_.officialUrl.isEmpty()) values_.officialUrl = QString::fromUtf8(kOfficialSourceUrl);
}

void Settings::set(int WindowSettings::*field, int value) {
    values_.*field = value;
    store().setValue(fullKey(keyOf(field)), QString::number(value));
}

void Settings::set(bool WindowSettings::*field, bool value) {
    values_.*field = value;
    store().setValue(fullKey(keyOf(field)),
                     value ? QStringLiteral("True") : QStringLiteral("False"));
}

void Settings::set(QString WindowSettings::*field, const QString& value) {
    values_.*field = value;
    store().setValue(fullKey(keyOf(field)), value);
}

}  // namespace arrange5
