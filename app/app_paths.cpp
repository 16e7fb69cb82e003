#include "app/app_paths.h"

#include "store/data_folder.h"

namespace arrange5 {

std::vector<std::filesystem::path> documentFolders(const std::filesystem::path& executableFolder) {
    // The source folder this program was built from serves only the build tree: an installed
    // program must not depend on a checkout that may have moved or changed.
    if (isBuildTree(executableFolder)) return {std::filesystem::path(ARRANGE5_SOURCE_DIR) / "docs"};
    return {executableFolder.parent_path() / "share" / "arrange5" / "docs"};
}

}  // namespace arrange5
