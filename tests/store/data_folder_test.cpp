#include "store/data_folder.h"

#include <gtest/gtest.h>

#include "store/errors.h"
#include "store/history_store.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void put(const fs::path& file) {
    fs::create_directories(file.parent_path());
    test::writeFile(file, "2004009 12345\r\n");
}

// A build tree (build/bin with the bundled history the build copies beside it, and
// CMakeCache.txt above it) and an installed prefix (PREFIX/bin, PREFIX/share/arrange5/data),
// side by side under one temporary folder.
struct Layouts {
    TempDir root;
    fs::path buildBin = root / "build/bin";
    fs::path prefixBin = root / "prefix/bin";
    fs::path home = root / "home";

    Layouts() {
        put(buildBin / "data" / kBundledHistoryName);
        put(root / "build/CMakeCache.txt");
        put(root / "prefix/share/arrange5/data" / kBundledHistoryName);
        fs::create_directories(prefixBin);
        fs::create_directories(home);
    }
    DataFolderEnvironment env() const { return {std::nullopt, "", home.string()}; }
};

TEST(DataFolder, GivenFolderThenEnvironmentThenBuildTreeThenPerUser) {
    Layouts l;
    DataFolderEnvironment env = l.env();
    const fs::path perUser = l.home / ".local/share/Korvath/arrange5";

    // Nothing given: the build tree keeps its data beside the executable, an installed
    // program in the per-user folder, although its bin folder is writable here.
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.buildBin, env).source, DataFolderSource::BuildTree);
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.buildBin, env).path, l.buildBin);
    const DataFolder installed = resolveDataFolder(std::nullopt, l.prefixBin, env);
    EXPECT_EQ(installed.source, DataFolderSource::PerUser);
    EXPECT_EQ(installed.path, perUser);
    EXPECT_FALSE(fs::exists(perUser)) << "the rule decides; it creates nothing";

    // The environment variable beats the build tree; the given folder beats both.
    env.dataDir = (l.root / "from-env").string();
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.buildBin, env).path, l.root / "from-env");
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.prefixBin, env).source,
              DataFolderSource::Environment);
    const DataFolder given = resolveDataFolder((l.root / "given").string(), l.buildBin, env);
    EXPECT_EQ(given.source, DataFolderSource::Given);
    EXPECT_EQ(given.path, l.root / "given");

    // A given folder that is empty is refused, not read as "unset" or as the current folder;
    // so is an empty variable, which would otherwise reach the per-user history.
    EXPECT_THROW(resolveDataFolder(std::string(), l.prefixBin, env), InputError);
    env.dataDir = "";
    EXPECT_THROW(resolveDataFolder(std::nullopt, l.prefixBin, env), InputError);
    EXPECT_THROW(resolveDataFolder(std::nullopt, l.buildBin, env), InputError);
}

TEST(DataFolder, BuildTreeNeedsBothItsHistoryAndItsCache) {
    Layouts l;
    // A copied bin folder with data/ but no CMake build above it is not a build tree, and
    // neither is a build folder whose history copy is missing.
    const fs::path copied = l.root / "copy/bin";
    put(copied / "data" / kBundledHistoryName);
    EXPECT_FALSE(isBuildTree(copied));
    fs::remove(l.buildBin / "data" / kBundledHistoryName);
    EXPECT_FALSE(isBuildTree(l.buildBin));
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.buildBin, l.env()).source,
              DataFolderSource::PerUser);
}

TEST(DataFolder, PerUserFolderFollowsTheXdgRule) {
    Layouts l;
    DataFolderEnvironment env = l.env();
    env.xdgDataHome = (l.root / "xdg").string();
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.prefixBin, env).path,
              l.root / "xdg/Korvath/arrange5");
    // A relative XDG_DATA_HOME is ignored, as the rule says.
    env.xdgDataHome = "relative/share";
    EXPECT_EQ(resolveDataFolder(std::nullopt, l.prefixBin, env).path,
              l.home / ".local/share/Korvath/arrange5");
    // Without any home there is no per-user folder to fall back on; never a temporary one,
    // and a home that is not there is no reason to make folders from / down.
    for (const std::string& home : {std::string(), (l.root / "gone").string()}) {
        env.home = home;
        try {
            resolveDataFolder(std::nullopt, l.prefixBin, env);
            ADD_FAILURE() << "a folder under " << home;
        } catch (const StoreError& e) {
            EXPECT_NE(std::string(e.what()).find("--data-dir"), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(fs::exists(l.root / "gone"));
}

TEST(DataFolder, AFileGivenAsTheDataFolderIsNotAFolder) {
    TempDir dir;
    test::writeFile(dir / "plain", "x");
    for (const auto& [path, says] :
         {std::pair{dir / "plain", "不是文件夹"}, std::pair{dir / "missing", "不存在"}}) {
        try {
            HistoryStore store(path);
            ADD_FAILURE() << path;
        } catch (const StoreError& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
}

TEST(DataFolder, BundledHistoryIsFoundInTheBuildTreeAndUnderThePrefix) {
    Layouts l;
    EXPECT_EQ(findBundledHistory(l.buildBin), l.buildBin / "data" / kBundledHistoryName);
    EXPECT_EQ(findBundledHistory(l.prefixBin),
              l.root / "prefix/share/arrange5/data" / kBundledHistoryName);
    EXPECT_EQ(findBundledHistory(l.root / "elsewhere/bin"), std::nullopt);
}

}  // namespace
}  // namespace arrange5
