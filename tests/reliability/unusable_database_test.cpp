// Zembric.mdb files and data folders the program cannot use: each gives a message that names
// the problem, nothing crashes, and the file is left byte for byte as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#include "acquire/replace_history.h"
#include "reliability/process_runner.h"
#include "store/errors.h"
#include "store/sql_connection.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using ::testing::HasSubstr;

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

// A database file with a small history, closed so that it is one self-contained file.
std::string smallDatabase(const std::vector<HistoryEntry>& entries) {
    TempDir scratch;
    test::storeHistory(scratch.path(), entries);
    return test::readFile(scratch / "Zembric.mdb");
}

const std::vector<HistoryEntry>& fortyDraws() {
    static const auto draws = test::manyDraws(40, 7);
    return draws;
}

TEST(UnusableDatabase, FilesThatAreNoHistoryDatabaseAreRefusedAndLeftUntouched) {
    const std::string real = smallDatabase(fortyDraws());
    std::string jet(2048, '\0');
    const char jetHead[] = "\x00\x01\x00\x00Standard Jet DB";
    std::memcpy(jet.data(), jetHead, sizeof jetHead - 1);
    std::string sqliteHeadOnly = "SQLite format 3";
    sqliteHeadOnly.push_back('\0');
    sqliteHeadOnly += randomBytes(8192, 2);

    struct Case {
        const char* name;
        std::string content;
        const char* says;
    };
    const std::vector<Case> cases{
        {"random bytes", randomBytes(65536, 1), "不是本程序能读取的历史数据库"},
        {"zero length", "", "是空文件（0 字节）"},
        {"another engine's file", jet, "别的数据库程序"},
        {"SQLite header over noise", sqliteHeadOnly, "无法作为数据库读取"},
        {"SQLite database of another program", "", "没有历史号码表"},
        {"first half of a history database", real.substr(0, real.size() / 2), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path db = dir / "Zembric.mdb";
        if (std::string(c.name) == "SQLite database of another program") {
            SQLite::Database other(db.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            other.exec("CREATE TABLE notes(id INTEGER PRIMARY KEY, text TEXT)");
        } else {
            test::writeFile(db, c.content);
        }
        const std::string before = test::readFile(db);
        test::writeFile(dir / "good.txt", test::historyText(fortyDraws()));

        for (const std::vector<std::string>& command : {std::vector<std::string>{"history"},
                                                        {"import", (dir / "good.txt").string()},
                                                        {"enter", "12345", "--issue", "2020001"},
                                                        {"clear"}}) {
            std::vector<std::string> args{"--dir", dir.path().string()};
            args.insert(args.end(), command.begin(), command.end());
            const auto run = test::runCliProcess(args, dir.path());
            EXPECT_EQ(run.status, 2) << command[0] << ": " << run.out;
            EXPECT_THAT(run.err, HasSubstr(c.says)) << command[0];
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_EQ(test::readFile(db), before) << command[0] << " changed the file";
        }
        EXPECT_THROW(HistoryStore{dir.path()}, StoreError);
    }
}

// The history of the folder is readable; every command that would change it (a search writes
// its working columns) is refused with a reason; the file keeps its bytes.
void expectReadOnly(const fs::path& folder, const fs::path& scratch, std::optional<uid_t> user) {
    const fs::path db = folder / "Zembric.mdb";
    const std::string before = test::readFile(db);
    const auto history = test::runCliProcess({"--dir", folder.string(), "history"}, scratch, user);
    EXPECT_EQ(history.status, 0) << history.err;
    EXPECT_EQ(history.out.size(), fortyDraws().size() * 14) << history.err;

    const fs::path input = scratch / "in.txt";
    test::writeFile(input, test::historyText(test::manyDraws(10, 9)));
    ::chmod(input.c_str(), 0644);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"import", input.string()},
          {"clear"},
          {"delete-last"},
          {"search", "--positions", "1"}}) {
        std::vector<std::string> args{"--dir", folder.string()};
        args.insert(args.end(), command.begin(), command.end());
        const auto run = test::runCliProcess(args, scratch, user);
        EXPECT_EQ(run.status, 2) << command[0];
        EXPECT_THAT(run.err, HasSubstr("只读")) << command[0];
    }
    EXPECT_EQ(test::readFile(db), before);
}

// Permission bits do not stop root; as root the commands run as "nobody".
TEST(UnusableDatabase, ReadOnlyFileAndReadOnlyFolder) {
    std::optional<uid_t> user;
    if (::geteuid() == 0) {
        user = test::unprivilegedUser();
        if (!user) GTEST_SKIP() << "running as root and there is no user \"nobody\" to run as";
    }
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);  // the output files of the runs
    const std::string database = smallDatabase(fortyDraws());

    const fs::path fileCase = dir / "read-only-file";
    fs::create_directory(fileCase);
    test::writeFile(fileCase / "Zembric.mdb", database);
    ::chmod(fileCase.c_str(), 0777);
    ::chmod((fileCase / "Zembric.mdb").c_str(), 0444);
    {
        SCOPED_TRACE("read-only file");
        expectReadOnly(fileCase, dir.path(), user);
    }

    const fs::path folderCase = dir / "read-only-folder";
    fs::create_directory(folderCase);
    test::writeFile(folderCase / "Zembric.mdb", database);
    ::chmod((folderCase / "Zembric.mdb").c_str(), 0666);
    ::chmod(folderCase.c_str(), 0555);
    {
        SCOPED_TRACE("read-only folder");
        expectReadOnly(folderCase, dir.path(), user);
    }
}

// A mount the program may not write, which stops root as well.
class Mounted {
  public:
    Mounted(const fs::path& target, const std::string& type, const std::string& options,
            unsigned long flags, const char* source = nullptr)
        : target_(target) {
        ok_ = ::mount(source ? source : type.c_str(), target.c_str(), type.c_str(), flags,
                      options.empty() ? nullptr : options.c_str()) == 0;
        if (!ok_) why_ = std::strerror(errno);
    }
    ~Mounted() {
        if (ok_) ::umount2(target_.c_str(), MNT_DETACH);
    }
    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }
    bool remount(unsigned long flags) {
        return ::mount(nullptr, target_.c_str(), nullptr, flags, nullptr) == 0;
    }

  private:
    fs::path target_;
    bool ok_ = false;
    std::string why_;
};

TEST(UnusableDatabase, ReadOnlyMountStopsEvenRoot) {
    TempDir dir;
    const fs::path folder = dir / "data";
    fs::create_directory(folder);
    test::writeFile(folder / "Zembric.mdb", smallDatabase(fortyDraws()));
    Mounted bind(folder, "", "", MS_BIND, folder.c_str());
    if (!bind.ok()) GTEST_SKIP() << "cannot bind-mount here (" << bind.why() << ")";
    ASSERT_TRUE(bind.remount(MS_REMOUNT | MS_BIND | MS_RDONLY));
    expectReadOnly(folder, dir.path(), std::nullopt);
}

TEST(UnusableDatabase, DatabaseSizeLimitFailsTheImportAndKeepsTheHistory) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, fortyDraws(), sp);
    SQLite::Statement pages(sqlConnection(store), "PRAGMA page_count");
    ASSERT_TRUE(pages.executeStep());
    sqlConnection(store).exec("PRAGMA max_page_count = " +
                              std::to_string(pages.getColumn(0).getInt() + 20));

    test::writeFile(dir / "big.txt", test::historyText(test::manyDraws(20000, 5)));
    try {
        importHistoryFile(store, dir / "big.txt");
        FAIL() << "the import did not notice the full database";
    } catch (const StoreError& e) {
        EXPECT_THAT(e.what(), HasSubstr("full"));
        EXPECT_THAT(e.what(), HasSubstr("历史号码保持原样"));
    }
    store.reopenReadingCursor();
    EXPECT_EQ(store.rows().size(), fortyDraws().size());
    EXPECT_EQ(test::integrityCheck(store.databasePath()), "ok");
}

TEST(UnusableDatabase, FullDiskFailsImportAndExportAndKeepsTheHistory) {
    TempDir dir;
    const fs::path folder = dir / "small-disk";
    fs::create_directory(folder);
    Mounted disk(folder, "tmpfs", "size=2m", 0);
    if (!disk.ok()) GTEST_SKIP() << "cannot mount a small tmpfs here (" << disk.why() << ")";
    test::writeFile(folder / "Zembric.mdb", smallDatabase(fortyDraws()));
    const auto before = test::drawLines(fortyDraws());

    test::writeFile(dir / "big.txt", test::historyText(test::manyDraws(100000, 6)));
    const auto import = test::runCliProcess(
        {"--dir", folder.string(), "import", (dir / "big.txt").string()}, dir.path());
    EXPECT_EQ(import.status, 2);
    EXPECT_THAT(import.err, HasSubstr("full"));
    EXPECT_EQ(test::storedDraws(folder / "Zembric.mdb"), before);
    EXPECT_EQ(test::integrityCheck(folder / "Zembric.mdb"), "ok");

    {  // fill what is left
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(65536, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    const auto exported = test::runCliProcess({"--dir", folder.string(), "export"}, dir.path());
    EXPECT_EQ(exported.status, 2);
    EXPECT_FALSE(exported.err.empty());
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "filler" || name.starts_with("Zembric.mdb")) << name << " was left";
    }
    // A command that writes is told the disk is full, not that the file is read-only.
    const auto entered =
        test::runCliProcess({"--dir", folder.string(), "enter", "12345"}, dir.path());
    EXPECT_EQ(entered.status, 2);
    EXPECT_THAT(entered.err, HasSubstr("磁盘已满"));
    EXPECT_THAT(entered.err, ::testing::Not(HasSubstr("只读")));
    const auto history = test::runCliProcess({"--dir", folder.string(), "history"}, dir.path());
    EXPECT_EQ(history.status, 0) << history.err;
    EXPECT_EQ(history.out.size(), before.size() * 14);
    fs::remove(folder / "filler");
    EXPECT_EQ(test::storedDraws(folder / "Zembric.mdb"), before);

    // A deletion that fits on the disk when its compaction does not: done, with one warning,
    // and the partial copy is removed so that the disk is not left full.
    const auto bigger = test::manyDraws(3000, 5);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::remove(folder / (std::string("Zembric.mdb") + suffix));
    }
    test::writeFile(folder / "Zembric.mdb", smallDatabase(bigger));
    {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    fs::resize_file(folder / "filler", fs::file_size(folder / "filler") - 256 * 1024);
    const auto deleted = test::runCliProcess({"--dir", folder.string(), "delete-last"}, dir.path());
    EXPECT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_THAT(deleted.err, HasSubstr("没有压缩"));
    EXPECT_THAT(deleted.err, HasSubstr("磁盘已满"));
    EXPECT_EQ(std::count(deleted.err.begin(), deleted.err.end(), '\n'), 1) << deleted.err;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("ZembricTmp.mdb"))
            << entry.path() << " was left on the full disk";
    }
    fs::remove(folder / "filler");
    EXPECT_EQ(test::storedDraws(folder / "Zembric.mdb").size(), bigger.size() - 1);
}

// The tally table holds nothing the history needs: a file without it is still read, and the
// first command that writes puts it back.
TEST(UnusableDatabase, ADatabaseWithoutItsTallyTableIsReadAndRepairedByTheFirstWriter) {
    TempDir dir;
    test::storeHistory(dir.path(), fortyDraws());
    {
        SQLite::Database db((dir / "Zembric.mdb").string(), SQLite::OPEN_READWRITE);
        db.exec("DROP TABLE Carcu");
    }
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--dir", dir.path().string()});
        return test::runCliProcess(args, dir.path());
    };
    const auto history = run({"history"});
    EXPECT_EQ(history.status, 0) << history.err;
    EXPECT_EQ(history.out.size(), fortyDraws().size() * 14);
    const auto exported = run({"export", (dir / "out.txt").string()});
    EXPECT_EQ(exported.status, 0) << exported.err;
    const std::string text = test::readFile(dir / "out.txt");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 40);
    const auto searched = run({"search", "--positions", "1"});
    EXPECT_EQ(searched.status, 0) << searched.err;
    SQLite::Database db((dir / "Zembric.mdb").string());
    EXPECT_TRUE(db.tableExists("Carcu"));
    EXPECT_EQ(test::storedDraws(dir / "Zembric.mdb"), test::drawLines(fortyDraws()));
}

// The files of the data folder are the store's: no export lands on one of them, however the
// path is spelled; an empty folder name names no folder; a Zembric.mdb that is a link stays
// a link to the compacted history and a dangling one is refused, not replaced; and a reading
// command on a folder without a database never leaves an empty one behind.
TEST(UnusableDatabase, TheDataFolderFilesAreTheStoresOwn) {
    TempDir dir;
    const fs::path data = dir / "data";
    fs::create_directories(data / "sub");
    test::storeHistory(data, fortyDraws());
    const auto run = [&](const fs::path& folder, std::vector<std::string> args) {
        args.insert(args.begin(), {"--dir", folder.string()});
        return test::runCliProcess(args, dir.path());
    };

    const std::string database = test::readFile(data / "Zembric.mdb");
    fs::create_symlink(data / "Zembric.mdb", dir / "alias.mdb");
    for (const fs::path& target :
         {data / "Zembric.mdb", data / "Zembric.mdb-wal", data / "Zembric.mdb-shm",
          data / "Zembric.mdb.lock", data / "ZembricTmp.mdb", data / "lsbf.txt",
          data / "sub" / ".." / "Zembric.mdb", dir / "alias.mdb"}) {
        SCOPED_TRACE(target.string());
        const auto exported = run(data, {"export", target.string()});
        EXPECT_EQ(exported.status, 2);
        EXPECT_EQ(exported.err.find('\n'), exported.err.size() - 1) << exported.err;
    }
    EXPECT_EQ(test::readFile(data / "Zembric.mdb"), database);
    EXPECT_EQ(test::storedDraws(data / "Zembric.mdb"), test::drawLines(fortyDraws()));

    // "" would be the program's own folder, and with it the history that ships with it.
    for (const char* option : {"--dir", "--data-dir"}) {
        const auto empty = test::runCliProcess({option, "", "history"}, dir.path());
        EXPECT_EQ(empty.status, 2) << option;
        EXPECT_EQ(empty.out, "") << option;
    }

    const fs::path real = dir / "drive";
    const fs::path linked = dir / "linked";
    fs::create_directories(linked);
    fs::create_directories(real);
    test::storeHistory(real, fortyDraws());
    fs::create_symlink(real / "Zembric.mdb", linked / "Zembric.mdb");
    const auto deleted = run(linked, {"delete-last"});
    EXPECT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(linked / "Zembric.mdb")));
    EXPECT_EQ(test::storedDraws(real / "Zembric.mdb").size(), fortyDraws().size() - 1);

    const fs::path dangling = dir / "dangling";
    fs::create_directories(dangling);
    fs::create_symlink(dir / "unmounted" / "Zembric.mdb", dangling / "Zembric.mdb");
    const auto unmounted = run(dangling, {"history"});
    EXPECT_EQ(unmounted.status, 2);
    EXPECT_THAT(unmounted.err, HasSubstr("unmounted"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dangling / "Zembric.mdb")));
    EXPECT_FALSE(fs::exists(dir / "unmounted"));

    const fs::path fresh = dir / "fresh";
    fs::create_directories(fresh);
    const auto first = run(fresh, {"history"});
    EXPECT_EQ(first.status, 0) << first.err;
    const auto shown = std::count(first.out.begin(), first.out.end(), '\n');
    EXPECT_GT(shown, 7000) << "the history that ships with the program, not an empty one";
    EXPECT_EQ(test::storedDraws(fresh / "Zembric.mdb").size(), static_cast<std::size_t>(shown));
}

}  // namespace
}  // namespace arrange5
