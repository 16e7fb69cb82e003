#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "store/file_names.h"
#include "store/program_info.h"

namespace arrange5 {

// Where the data folder came from, in the order the rule tries them.
enum class DataFolderSource {
    Given,        // --data-dir DIR
    Environment,  // ARRANGE5_DATA_DIR
    BuildTree,    // the folder of an executable that runs from its build tree
    PerUser,      // $XDG_DATA_HOME/Korvath/arrange5, else ~/.local/share/Korvath/arrange5
};

struct DataFolder {
    std::filesystem::path path;
    DataFolderSource source;
};

// What the rule reads from the environment. An empty XDG_DATA_HOME or HOME counts as unset,
// as the XDG rule has it; an empty ARRANGE5_DATA_DIR does not (see resolveDataFolder).
struct DataFolderEnvironment {
    std::optional<std::string> dataDir;  // ARRANGE5_DATA_DIR, when it is set
    std::string xdgDataHome;             // XDG_DATA_HOME; only an absolute path counts
    std::string home;                    // HOME, else the user's entry in the password database

    static DataFolderEnvironment current();
};

// The one rule for the window and the command line: the folder the user gave, else
// ARRANGE5_DATA_DIR, else the executable's own folder when it runs from its build tree, else
// the per-user folder. An installed program never keeps its data beside itself, whether or not
// its bin folder is writable. A given folder that is empty throws InputError, and so does an
// ARRANGE5_DATA_DIR that is set but empty (a script whose variable went missing must not
// reach the per-user history); a per-user folder without a home throws StoreError. Creates
// nothing.
DataFolder resolveDataFolder(const std::optional<std::string>& given,
                             const std::filesystem::path& executableFolder,
                             const DataFolderEnvironment& environment);

// The same for this process: its executable and its environment.
DataFolder resolveDataFolder(const std::optional<std::string>& given);

// True when the executable folder is the bin folder of a CMake build tree: it holds the
// bundled history in data/ (the build copies it there) and its parent holds CMakeCache.txt.
// An installed executable has neither: its history is in PREFIX/share/arrange5/data.
bool isBuildTree(const std::filesystem::path& executableFolder);

// The history that ships with the program: beside the executable in data/ (the build tree),
// or in the installed share folder.
std::optional<std::filesystem::path> findBundledHistory(
    const std::filesystem::path& executableFolder);

// The folder of the running executable.
std::filesystem::path executableFolder();

inline constexpr const char* kImportFolderName = file_names::kImportFolder;
inline constexpr const char* kBackupFileName = file_names::kBackup;

}  // namespace arrange5
