#include <gtest/gtest.h>

#include <string>

#include "acquire/history_digest.h"
#include "store/history_store.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using test::runCliOn;
using test::TempDir;

TEST(HistoryCheck, TheDigestIsSha256sumOfTheExportedFile) {
    TempDir dir;
    ASSERT_EQ(runCliOn(dir, {"import", test::realHistoryFile().string()}).status, 0);
    const auto exported = dir / "exported.txt";
    ASSERT_EQ(runCliOn(dir, {"export", exported.string()}).status, 0);
    const std::string expected = test::sha256sumOf(exported);
    HistoryStore store(dir.path());
    EXPECT_EQ(historyDigest(store.rows()), expected);
}

}  // namespace
}  // namespace arrange5
