#include "app/app_paths.h"

namespace arrange5 {

std::vector<std::filesystem::path> documentFolders(const std::filesystem::path& executableFolder) {
    return {executableFolder / "docs",
            executableFolder.parent_path() / "share" / "arrange5" / "docs",
            std::filesystem::path(ARRANGE5_SOURCE_DIR) / "docs"};
}

}  // namespace arrange5
