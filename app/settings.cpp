#include "app/settings.h"

#include <QSettings>

namespace arrange5 {

namespace {

QString fullKey(const char* key) {
    return QString::fromLatin1(Settings::kSection) + '/' + key;
}

QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, Settings::kApplication);
}

}  // namespace

bool Settings::readBool(const char* key, bool fallback) const {
    const QString text = store().value(fullKey(key)).toString().trimmed();
    if (text.compare("True", Qt::CaseInsensitive) == 0) return true;
    if (text.compare("False", Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? number != 0 : fallback;
}

int Settings::readInt(const char* key, int fallback, int low, int high) const {
    bool ok = false;
    const int value = store().value(fullKey(key)).toString().trimmed().toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

QString Settings::readText(const char* key, const QString& fallback) const {
    const QVariant value = store().value(fullKey(key));
    return value.isValid() ? value.toString() : fallback;
}

void Settings::writeBool(const char* key, bool value) {
    store().setValue(fullKey(key), value ? QStringLiteral("True") : QStringLiteral("False"));
}

void Settings::writeInt(const char* key, int value) {
    store().setValue(fullKey(key), QString::number(value));
}

void Settings::writeText(const char* key, const QString& value) {
    store().setValue(fullKey(key), value);
}

}  // namespace arrange5
