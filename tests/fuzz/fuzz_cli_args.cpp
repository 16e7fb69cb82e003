// The command line as a user could type it, run against a fresh copy of a small history in a
// temporary folder. Every run must end in status 0 or 2, a failure must say why, and a
// failed command must leave the draws as they were.
//
// Nothing may leave the temporary folder or reach the network: argument vectors that name
// a path, another data folder or the online update are passed over, and the working folder
// is a scratch folder so that relative file names (export FILE, import FILE) stay inside.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/replace_history.h"
#include "cli/cli_context.h"
#include "store/history_store.h"
#include "store/sql_connection.h"
#include "tests/fuzz/fuzz_check.h"

using namespace arrange5;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxArgs = 16;
constexpr std::size_t kMaxArgLength = 64;

fs::path gRoot;
fs::path gTemplate;  // Zembric.mdb with the seed history
std::vector<std::string> gSeedDraws;

std::vector<std::string> readDraws(const fs::path& db) {
    SQLite::Database d(db.string(), SQLite::OPEN_READONLY);
    std::vector<std::string> out;
    SQLite::Statement rows(d,
                           "SELECT SQQH || ' ' || L1A || L2A || L3A || L4A || L5A FROM Lishi "
                           "ORDER BY SQQH");
    while (rows.executeStep()) out.push_back(rows.getColumn(0).getString());
    return out;
}

bool allowed(std::string_view arg) {
    if (arg.size() > kMaxArgLength) return false;
    for (std::string_view banned : {"/", "update", "dir", "..", "~"}) {
        if (arg.find(banned) != std::string_view::npos) return false;
    }
    return true;
}

void emptyFolder(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/arrange5-fuzz-cli-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    gRoot = pattern;
    fs::create_directories(gRoot / "seed");
    fs::create_directories(gRoot / "data");
    fs::create_directories(gRoot / "work");
    {
        HistoryStore store(gRoot / "seed");
        HistoryText text;
        int issue = 2012350;
        for (int i = 0; i < 40; ++i) {
            HistoryEntry e;
            e.issue = issue;
            for (int p = 0; p < 5; ++p) e.digits[p] = static_cast<int16_t>((i * 7 + p * 3) % 10);
            text.entries.push_back(e);
            issue = nextIssueForDisplay(issue);
        }
        replaceHistory(store, text, EarlierColumns::LeaveEmpty, "seed");
        sqlConnection(store).exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    gTemplate = gRoot / "seed" / "Zembric.mdb";
    gSeedDraws = readDraws(gTemplate);
    // Relative names given to export or import resolve here, inside the temporary folder.
    if (::chdir((gRoot / "work").c_str()) != 0) std::abort();
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(gRoot, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            args.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(std::move(current));
    if (args.size() > kMaxArgs) return -1;
    for (const auto& a : args) {
        if (!allowed(a)) return -1;
    }

    const fs::path dataFolder = gRoot / "data";
    emptyFolder(dataFolder);
    emptyFolder(gRoot / "work");
    fs::copy_file(gTemplate, dataFolder / "Zembric.mdb");

    std::vector<const char*> argv{"arrange5-cli", "--dir", dataFolder.c_str()};
    for (const auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::runCli(static_cast<int>(argv.size()), argv.data(), out, err);

    FUZZ_CHECK(status == 0 || status == 2);
    if (status == 2) {
        FUZZ_CHECK(!err.str().empty());
        FUZZ_CHECK(readDraws(dataFolder / "Zembric.mdb") == gSeedDraws);
    }
    return 0;
}
