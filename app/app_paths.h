#pragma once

#include <filesystem>
#include <vector>

namespace arrange5 {

// Where the program's documents are: the share folder beside its bin folder, installed or in
// the build tree (where it links to the source tree's docs/).
std::vector<std::filesystem::path> documentFolders(const std::filesystem::path& executableFolder);

}  // namespace arrange5
