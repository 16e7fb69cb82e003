#include "app/app_paths.h"

namespace arrange5 {

std::vector<std::filesystem::path> documentFolders(const std::filesystem::path& executableFolder) {
    // The same place in the build tree and in an installed program: the build links
    // build/share/arrange5/docs to the source folder's docs, so no source path is compiled in.
    return {executableFolder.parent_path() / "share" / "arrange5" / "docs"};
}

}  // namespace arrange5
