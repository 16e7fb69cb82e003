#include "store/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "store/errors.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The home folder from the password database, for a process started without HOME.
std::string passwordHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir) {
        return "";
    }
    return found->pw_dir;
}

bool isFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

DataFolderEnvironment DataFolderEnvironment::current() {
    DataFolderEnvironment env;
    if (const char* dataDir = std::getenv("ARRANGE5_DATA_DIR")) env.dataDir = dataDir;
    env.xdgDataHome = variable("XDG_DATA_HOME");
    env.home = variable("HOME");
    if (env.home.empty()) env.home = passwordHome();
    return env;
}

bool isBuildTree(const fs::path& executableFolder) {
    return isFile(executableFolder / "data" / kBundledHistoryName) &&
           isFile(executableFolder.parent_path() / "CMakeCache.txt");
}

DataFolder resolveDataFolder(const std::optional<std::string>& given,
                             const fs::path& executableFolder,
                             const DataFolderEnvironment& environment) {
    if (given) {
        if (given->empty()) throw InputError("数据文件夹的名字是空的，请给出一个目录");
        return {fs::path(*given), DataFolderSource::Given};
    }
    if (environment.dataDir) {
        if (environment.dataDir->empty()) {
            throw InputError(
                "环境变量 ARRANGE5_DATA_DIR 是空的（也许脚本里的变量没有设置）；"
                "请给出一个目录，或者取消这个变量。没有改动任何文件");
        }
        return {fs::path(*environment.dataDir), DataFolderSource::Environment};
    }
    if (isBuildTree(executableFolder)) return {executableFolder, DataFolderSource::BuildTree};

    // The XDG rule: a relative XDG_DATA_HOME is ignored, as if it were unset.
    fs::path base;
    if (const fs::path xdg(environment.xdgDataHome); xdg.is_absolute()) {
        base = xdg;
    } else if (!environment.home.empty()) {
        // A home that is not there would have the folders made from / down.
        std::error_code ec;
        if (!fs::is_directory(environment.home, ec)) {
            throw StoreError(
                "用户的主目录 " + environment.home +
                " 不存在，无法确定数据文件夹；请用 --data-dir 或 ARRANGE5_DATA_DIR 指定");
        }
        base = fs::path(environment.home) / ".local" / "share";
    } else {
        throw StoreError(
            "找不到用户的主目录，无法确定数据文件夹；请用 --data-dir 或 ARRANGE5_DATA_DIR 指定");
    }
    return {base / "Korvath" / "arrange5", DataFolderSource::PerUser};
}

DataFolder resolveDataFolder(const std::optional<std::string>& given) {
    return resolveDataFolder(given, executableFolder(), DataFolderEnvironment::current());
}

std::optional<fs::path> findBundledHistory(const fs::path& executableFolder) {
    for (const fs::path& candidate :
         {executableFolder / "data" / kBundledHistoryName,
          executableFolder.parent_path() / "share" / "arrange5" / "data" / kBundledHistoryName}) {
        if (isFile(candidate)) return candidate;
    }
    return std::nullopt;
}

fs::path executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

}  // namespace arrange5
