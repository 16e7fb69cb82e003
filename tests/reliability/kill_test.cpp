// Kills arrange5-cli with SIGKILL at random moments while it replaces a large history. After
// every kill the database must pass its integrity check and hold exactly the history from
// before the command or exactly the one it was writing, never a mixture, and the next command
// must not find the folder locked. ARRANGE5_KILLS sets the kills per command (default 3;
// scripts/kill-test.sh runs 50). The moments come from a seed each command prints; a failure
// replays with ARRANGE5_KILL_SEED set to the seed it printed.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <limits>
#include <random>
#include <thread>

#include "acquire/online_update_test_server.h"
#include "reliability/process_runner.h"
#include "store/data_folder.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

int killsPerCommand() {
    if (const char* text = std::getenv("ARRANGE5_KILLS")) return std::max(1, std::atoi(text));
    return 3;
}

// The seed of the kill moments: ARRANGE5_KILL_SEED when set (decimal digits), else a fresh one.
uint32_t killSeed() {
    if (const char* text = std::getenv("ARRANGE5_KILL_SEED"); text && *text) {
        char* end = nullptr;
        const unsigned long long seed = std::strtoull(text, &end, 10);
        if (*end == '\0' && seed <= std::numeric_limits<uint32_t>::max()) {
            return static_cast<uint32_t>(seed);
        }
        ADD_FAILURE() << "ARRANGE5_KILL_SEED=" << text << " is not a seed (decimal, < 2^32)";
    }
    return std::random_device{}();
}

// A database file holding `entries`, with its log folded in so that one file is the whole state.
void makeDatabase(const fs::path& file, const std::vector<HistoryEntry>& entries) {
    TempDir scratch;
    test::storeHistory(scratch.path(), entries);
    fs::copy_file(scratch / "Zembric.mdb", file, fs::copy_options::overwrite_existing);
}

class KillDuringCommand : public ::testing::Test {
  protected:
    // Runs the command once to the end and then `kills` times with a kill at a random moment
    // up to a little past how long the full run took.
    void run(const std::string& name, const std::vector<HistoryEntry>& before,
             const std::vector<HistoryEntry>& after, const std::vector<std::string>& command,
             const std::function<void()>& prepare = {}) {
        const fs::path oldDatabase = work_ / "old.mdb";
        makeDatabase(oldDatabase, before);
        const auto oldDraws = test::drawLines(before);
        const auto newDraws = test::drawLines(after);
        std::vector<std::string> args{"--dir", data_.string()};
        args.insert(args.end(), command.begin(), command.end());

        const auto restore = [&] {
            fs::remove_all(data_);
            fs::create_directory(data_);
            fs::copy_file(oldDatabase, data_ / "Zembric.mdb");
            if (prepare) prepare();
        };

        restore();
        const auto start = std::chrono::steady_clock::now();
        const auto full = test::runCliProcess(args, work_.path());
        const auto took = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(full.status, 0) << full.err;
        ASSERT_EQ(test::storedDraws(data_ / "Zembric.mdb"), newDraws);

        const uint32_t seed = killSeed();
        std::cout << name << ": kill seed " << seed << " (ARRANGE5_KILL_SEED=" << seed
                  << " replays it)" << std::endl;
        SCOPED_TRACE("ARRANGE5_KILL_SEED=" + std::to_string(seed));
        std::mt19937 rng(seed);
        const auto window = std::chrono::duration_cast<std::chrono::microseconds>(took * 6 / 5);
        std::uniform_int_distribution<long> delay(0, window.count());
        int keptOld = 0;
        int gotNew = 0;
        const int kills = killsPerCommand();
        for (int k = 0; k < kills; ++k) {
            restore();
            const pid_t pid = test::startCliProcess(args);
            std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
            ::kill(pid, SIGKILL);
            test::waitForProcess(pid);

            const fs::path db = data_ / "Zembric.mdb";
            ASSERT_TRUE(fs::exists(db)) << name << ": Zembric.mdb is gone after kill " << k;
            ASSERT_EQ(test::integrityCheck(db), "ok") << name << ", kill " << k;
            const auto draws = test::storedDraws(db);
            if (draws == oldDraws) {
                ++keptOld;
            } else if (draws == newDraws) {
                ++gotNew;
            } else {
                FAIL() << name << ", kill " << k << ": " << draws.size()
                       << " rows that are neither the old nor the new history";
            }
            // The kernel dropped the dead writer's lock: the next writer is not kept waiting.
            const auto next =
                test::runCliProcess({"--dir", data_.string(), "delete-last"}, work_.path());
            EXPECT_EQ(next.status, 0) << name << ", kill " << k << ": " << next.err;
        }
        std::cout << name << ": " << kills << " kills, " << keptOld << " kept the old history, "
                  << gotNew << " had the new one (a full run took "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms)"
                  << std::endl;
    }

    TempDir work_;
    fs::path data_ = work_ / "data";
};

TEST_F(KillDuringCommand, ImportOfAHundredThousandLines) {
    const auto before = readHistoryFile(test::realHistoryFile()).entries;
    const auto after = test::manyDraws(100000, 1);
    const fs::path file = work_ / "big.txt";
    test::writeFile(file, test::historyText(after));
    run("import", before, after, {"import", file.string()});
}

TEST_F(KillDuringCommand, RebuildFromAHundredThousandLineBackup) {
    const auto before = readHistoryFile(test::realHistoryFile()).entries;
    const auto after = test::manyDraws(100000, 2);
    const std::string text = test::historyText(after);
    run("rebuild", before, after, {"rebuild"},
        [&] { test::writeFile(data_ / kBackupFileName, text); });
}

TEST_F(KillDuringCommand, CutToTheMiddleOfAHundredThousandDraws) {
    const auto before = test::manyDraws(100000, 3);
    const std::vector<HistoryEntry> after(before.begin(), before.begin() + 50000);
    run("cut-to", before, after, {"cut-to", std::to_string(after.back().issue)});
}

TEST_F(KillDuringCommand, OnlineUpdateFromALocalSite) {
    std::vector<HistoryEntry> site;
    std::mt19937 rng(4);
    for (int year = 2015; year <= 2016; ++year) {
        for (int seq = 1; seq <= 358; ++seq) {
            HistoryEntry e;
            e.issue = year * 1000 + seq;
            for (auto& d : e.digits) d = static_cast<int16_t>(rng() % 10);
            site.push_back(e);
        }
    }
    test::ResultsServer server(site);
    const std::vector<HistoryEntry> before(site.begin(), site.begin() + 100);
    run("update", before, site,
        {"update", "--source", "pages", "--url", server.baseUrl(), "--years-to-keep", "2",
         "--today", "2016-12-31"});
}

}  // namespace
}  // namespace arrange5
