// A results page as the online update reads it: the table reader and the cell readers must
// cope with any HTML, and the update that reads the page must either store only real draws
// after the last stored issue or change nothing at all.
#include <SQLiteCpp/Statement.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "acquire/online_update.h"
#include "acquire/replace_history.h"
#include "acquire/results_page.h"
#include "store/history_store.h"
#include "tests/fuzz/fuzz_check.h"

using namespace arrange5;
namespace fs = std::filesystem;

namespace {

fs::path gRoot;
std::unique_ptr<HistoryStore> gStore;
HistoryText gSeed;

void seedHistory() {
    replaceHistory(*gStore, gSeed, EarlierColumns::LeaveEmpty, "seed");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/arrange5-fuzz-page-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    gRoot = pattern;
    gStore = std::make_unique<HistoryStore>(gRoot);
    for (int i = 0; i < 5; ++i) {
        HistoryEntry e;
        e.issue = 2026001 + i;
        for (int p = 0; p < 5; ++p) e.digits[p] = static_cast<int16_t>((i + p) % 10);
        gSeed.entries.push_back(e);
    }
    seedHistory();
    std::atexit([] {
        gStore.reset();
        std::error_code ec;
        fs::remove_all(gRoot, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);

    if (const auto rows = readTableRows(page, "draw_list")) {
        for (const TableRow& row : *rows) {
            for (const std::string& cell : row) {
                if (const auto issue = readIssueCell(cell)) FUZZ_CHECK(*issue >= 0);
                if (const auto digits = readDigitsCell(cell)) {
                    for (int16_t d : *digits) FUZZ_CHECK(d >= 0 && d <= 9);
                }
            }
        }
    }

    UpdateOptions options;
    options.source = UpdateSource::Pages;
    options.baseUrl = "http://127.0.0.1:9";  // never contacted: the fetcher below answers
    options.yearsToKeep = 2;
    options.currentYear = 2026;
    options.maxRestarts = 0;
    const PageFetcher fetch = [&page](const std::string&, const KeepGoing&) { return page; };
    bool stored = false;
    try {
        const UpdateReport report = runOnlineUpdate(*gStore, options, fetch);
        stored = report.added > 0;
        FUZZ_CHECK(report.lastIssue >= gSeed.entries.back().issue);
    } catch (const Error&) {
    }
    gStore->reopenReadingCursor();
    const HistorySnapshot& rows = gStore->rows();
    FUZZ_CHECK(rows.size() >= gSeed.entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i < gSeed.entries.size()) {
            FUZZ_CHECK(rows[i].issue == gSeed.entries[i].issue);
            FUZZ_CHECK(rows[i].digits() == gSeed.entries[i].digits);
        } else {
            FUZZ_CHECK(rows[i].issue > rows[i - 1].issue);
            FUZZ_CHECK(rows[i].issue / 1000 == 2026);
            for (int16_t d : rows[i].digits()) FUZZ_CHECK(d >= 0 && d <= 9);
        }
    }
    FUZZ_CHECK(stored == (rows.size() > gSeed.entries.size()));
    if (stored) seedHistory();
    return 0;
}
