#pragma once

#include <filesystem>
#include <optional>

namespace arrange5 {

// The folder of the executable when it is writable, else the per-user data folder.
std::filesystem::path chooseDataFolder(const std::filesystem::path& executableFolder,
                                       const std::filesystem::path& userDataFolder);

// The per-user data folder as the window's toolkit names it: $XDG_DATA_HOME (or
// ~/.local/share) + "/Korvath/arrange5".
std::filesystem::path userDataFolderFromEnvironment();

bool isWritableFolder(const std::filesystem::path& folder);

// The history that ships with the program: beside the executable in data/, or in the
// installed share folder.
std::optional<std::filesystem::path> findBundledHistory(
    const std::filesystem::path& executableFolder);

// The folder of the running executable.
std::filesystem::path executableFolder();

inline constexpr const char* kBundledHistoryName = "history-2004009-2026174.txt";
inline constexpr const char* kImportFolderName = "历史号码";
inline constexpr const char* kBackupFileName = "lsbf.txt";

}  // namespace arrange5
