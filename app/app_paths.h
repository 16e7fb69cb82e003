#pragma once

#include <filesystem>
#include <vector>

namespace arrange5 {

// Where the program's documents are: the source tree's docs/ for a program in its build
// tree, else the installed share folder.
std::vector<std::filesystem::path> documentFolders(const std::filesystem::path& executableFolder);

}  // namespace arrange5
