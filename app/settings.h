#pragma once

#include <QString>

#include "store/settings_table.h"

namespace arrange5 {

// The window keeps the user's choices of the settings table (store/settings_table.h).
using WindowSettings = UserSettings;

// The settings under application "Korvath", section "IniSetting", read once at start-up and
// kept in memory for the run; each value is written the moment it changes.
class Settings {
  public:
    // Reads every key; a missing value or one outside its range takes the default.
    Settings();

    const WindowSettings& operator*() const { return values_; }
    const WindowSettings* operator->() const { return &values_; }

    // Changes one value in memory and writes its key.
    void set(int WindowSettings::*field, int value);
    void set(bool WindowSettings::*field, bool value);
    void set(std::string WindowSettings::*field, const std::string& value);

    static constexpr const char* kApplication = kSettingsApplication;
    static constexpr const char* kSection = kSettingsSection;

  private:
    WindowSettings values_;
};

}  // namespace arrange5
