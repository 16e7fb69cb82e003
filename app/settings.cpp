#include "app/settings.h"

#include <QSettings>

namespace arrange5 {

namespace {

QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, Settings::kApplication);
}

QString fullKey(const SettingsField& field) {
    return QString::fromLatin1(Settings::kSection) + '/' +
           QString::fromStdString(settingsKey(field));
}

}  // namespace

Settings::Settings() {
    const QSettings stored = store();
    values_ = readUserSettings([&](std::string_view key) -> std::optional<std::string> {
        const QVariant value = stored.value(QString::fromLatin1(Settings::kSection) + '/' +
                                            QString::fromUtf8(key.data(), key.size()));
        if (!value.isValid()) return std::nullopt;
        return value.toString().toStdString();
    });
}

void Settings::set(int WindowSettings::*field, int value) {
    values_.*field = value;
    store().setValue(fullKey(field), QString::fromStdString(storedText(value)));
}

void Settings::set(bool WindowSettings::*field, bool value) {
    values_.*field = value;
    store().setValue(fullKey(field), QString::fromStdString(storedText(value)));
}

void Settings::set(std::string WindowSettings::*field, const std::string& value) {
    values_.*field = value;
    store().setValue(fullKey(field), QString::fromStdString(value));
}

}  // namespace arrange5
