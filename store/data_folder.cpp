#include "store/data_folder.h"

#include <unistd.h>

#include <cstdlib>

namespace arrange5 {

namespace fs = std::filesystem;

bool isWritableFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path userDataFolderFromEnvironment() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = fs::path(home) / ".local" / "share";
    } else {
        base = fs::temp_directory_path();
    }
    return base / "Korvath" / "arrange5";
}

fs::path chooseDataFolder(const fs::path& executableFolder, const fs::path& userDataFolder) {
    if (isWritableFolder(executableFolder)) return executableFolder;
    std::error_code ec;
    fs::create_directories(userDataFolder, ec);
    return userDataFolder;
}

std::optional<fs::path> findBundledHistory(const fs::path& executableFolder) {
    for (const fs::path& candidate :
         {executableFolder / "data" / kBundledHistoryName,
          executableFolder.parent_path() / "share" / "arrange5" / "data" / kBundledHistoryName}) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

fs::path executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

}  // namespace arrange5
