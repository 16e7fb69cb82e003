#pragma once

#include <QObject>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "acquire/online_update.h"
#include "app/settings.h"
#include "app/window_services.h"

class QAction;
class QMenu;

namespace arrange5 {

// 设置 (mnuSetup): the segment base, the years the update keeps, the update's source, its
// addresses and choices (在线更新设置), the study's list (研究记录) and a new study, and the
// documents. Each item saves its setting the moment it is chosen.
class SettingsMenu : public QObject {
  public:
    // How an item runs: the window's command wrapper (a pending edit taken in first).
    using AsCommand = std::function<std::function<void()>(std::function<void()>)>;
    struct Hooks {
        std::function<void(int base)> segmentBaseChosen;
        std::function<void()> recodeNow;
        std::function<void()> studyReset;
    };

    SettingsMenu(QMenu* menu, Settings& settings, WindowServices services,
                 std::filesystem::path dataFolder, std::vector<std::filesystem::path> docFolders,
                 const AsCommand& asCommand, Hooks hooks);

    // Start-up: the check marks show the stored segment base and update source.
    void showStored();
    // 在线更新设置: the source, both addresses and the update's two choices in one dialog
    // (update_settings_dialog.h); saves what the user accepts.
    void editUpdateSettings();

  private:
    void chooseSegmentBase(int base);
    void chooseUpdateSource(UpdateSource source);
    void askYearsToKeep();
    void showStudy();
    void startNewStudy();
    void openDocument(const char* name);

    QMenu* menu_;
    Settings& settings_;
    WindowServices services_;
    std::filesystem::path dataFolder_;
    std::vector<std::filesystem::path> docFolders_;
    Hooks hooks_;
    std::array<QAction*, 2> segmentBaseItems_{};   // mnuDscs(0), mnuDscs(1)
    std::array<QAction*, 2> updateSourceItems_{};  // mnuSource(0) official, mnuSource(1) pages
};

}  // namespace arrange5
