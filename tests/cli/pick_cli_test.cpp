// The pick journal as a user meets it on the bundled history: sealed before the draw, checked
// after it, and broken visibly by any change made outside the program.
#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using nlohmann::json;
using test::CliResult;
using test::runCliOn;
using test::TempDir;

TEST(PickJournal, SealedBeforeTheDrawCheckedAfterItAndKeptThroughTheHistoryCommands) {
    TempDir dir;
    ASSERT_EQ(runCliOn(dir, {"import", test::realHistoryFile().string()}).status, 0);
    // Already drawn: refused, nothing written.
    const CliResult drawn = runCliOn(dir, {"pick", "add", "12345", "--issue", "2026174"});
    EXPECT_EQ(drawn.status, 2);
    EXPECT_NE(drawn.err.find("2026174"), std::string::npos) << drawn.err;
    // The next issue by the calendar, as `enter` would store it.
    const CliResult added = runCliOn(
        dir, {"pick", "add", "12399", "00000", "--multiple", "3", "--today", "2026-12-01"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(json::parse(added.out)["issue"], 2026175);
    ASSERT_EQ(
        runCliOn(dir, {"pick", "add", "321", "--play", "p3-group", "--today", "2026-12-01"}).status,
        0);
    ASSERT_EQ(runCliOn(dir, {"enter", "12399", "--today", "2026-12-01"}).status, 0);

    json check = json::parse(runCliOn(dir, {"pick", "check"}).out);
    ASSERT_EQ(check["entries"].size(), 2u);
    EXPECT_EQ(check["entries"][0]["status"], "won");
    EXPECT_EQ(check["entries"][0]["winning"], json::array({"12399"}));
    EXPECT_EQ(check["entries"][0]["prize"], 300000);
    EXPECT_EQ(check["entries"][0]["cost"], 12);
    EXPECT_EQ(check["entries"][1]["drawn"], "123");
    EXPECT_EQ(check["entries"][1]["prize"], 173);  // 组选六
    EXPECT_EQ(check["totals"]["cost"], 14);
    EXPECT_EQ(check["expected_return"]["p3"], 0.52);
    EXPECT_EQ(check["chain"]["intact"], true);

    // Clearing and importing the history never touch the journal; the history check reports it.
    ASSERT_EQ(runCliOn(dir, {"clear"}).status, 0);
    ASSERT_EQ(runCliOn(dir, {"import", test::realHistoryFile().string()}).status, 0);
    const json history = json::parse(runCliOn(dir, {"check"}).out);
    EXPECT_EQ(history["picks"]["entries"], 2);
    EXPECT_EQ(history["picks"]["intact"], true);

    // Changed or removed outside the program: the check names the entry and fails. Each
    // change is undone by the next line's first statement; the removal comes last.
    const struct {
        const char* sql;
        int brokenAt;
    } tampering[] = {
        {"UPDATE Yuxuan SET numbers = '54321 00000' WHERE id = 1", 1},
        {"UPDATE Yuxuan SET numbers = '12399 00000' WHERE id = 1; "
         "UPDATE Yuxuan SET made_at = '2020-01-01T00:00:00Z', seal = (SELECT seal FROM Yuxuan "
         "WHERE id = 2) "
         "WHERE id = 2",
         2},
        {"DELETE FROM Yuxuan WHERE id = 2", 2},
    };
    for (const auto& t : tampering) {
        SCOPED_TRACE(t.sql);
        SQLite::Database((dir / "Zembric.mdb").string(), SQLite::OPEN_READWRITE).exec(t.sql);
        const CliResult broken = runCliOn(dir, {"pick", "check"});
        EXPECT_EQ(broken.status, 2);
        EXPECT_NE(broken.err.find("第 " + std::to_string(t.brokenAt) + " 条"), std::string::npos)
            << broken.err;
        EXPECT_EQ(std::count(broken.err.begin(), broken.err.end(), '\n'), 1);
        EXPECT_EQ(json::parse(broken.out)["chain"]["broken_at"], t.brokenAt);
    }
}

}  // namespace
}  // namespace arrange5
