#pragma once

#include <filesystem>
#include <vector>

namespace arrange5 {

// Where the program's documents may be: beside the program, in the installed share folder,
// or in the source tree the program was built from.
std::vector<std::filesystem::path> documentFolders(const std::filesystem::path& executableFolder);

}  // namespace arrange5
