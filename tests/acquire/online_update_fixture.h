#pragma once

#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquire/online_update.h"
#include "acquire/replace_history.h"
#include "online_update_test_server.h"
#include "store/draw.h"
#include "store/sql_connection.h"
#include "support/test_support.h"

namespace arrange5::test {

// The bundled real history, read once.
inline const std::vector<HistoryEntry>& realDraws() {
    static const std::vector<HistoryEntry> draws = readHistoryFile(realHistoryFile()).entries;
    return draws;
}

inline std::vector<HistoryEntry> realBetween(int32_t from, int32_t to) {
    std::vector<HistoryEntry> out;
    for (const auto& e : realDraws()) {
        if (e.issue >= from && e.issue <= to) out.push_back(e);
    }
    return out;
}

// History text lines, so that a difference shows as the issues and digits concerned.
inline std::vector<std::string> lines(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(formatHistoryLine(e.issue, e.digits));
    return out;
}

// One Lishi row as the update's checks need it.
struct StoredRow {
    int32_t issue = 0;
    int64_t qqh = 0;
    CodeVectors own{}, s{}, p{};
    DrawStrings previous;
};

class OnlineUpdateTest : public ::testing::Test {
  protected:
    void storeHistory(int32_t from, int32_t to) {
        seedHistory(store, realBetween(from, to), sp, 1, "test history");
    }

    UpdateOptions options(const std::string& baseUrl, int currentYear, int yearsToKeep) const {
        UpdateOptions o;
        o.source = UpdateSource::Pages;
        o.baseUrl = baseUrl;
        o.currentYear = currentYear;
        o.yearsToKeep = yearsToKeep;
        o.purgeAllowed = true;  // the user said 删除并更新; the tests of consent clear it
        return o;
    }

    // Every column of every row, so that "unchanged" means byte for byte.
    std::vector<std::string> dump() { return dumpLishi(sqlConnection(store)); }

    // Runs the update, expects it to throw E, the history to be unchanged byte for byte and
    // the S/P state untouched; returns the message.
    template <typename E>
    std::string expectRefusedWith(const UpdateOptions& o, const PageFetcher& fetch) {
        const auto before = dump();
        const LastTwoDraws spBefore = sp;
        try {
            runOnlineUpdate(store, o, fetch);
            ADD_FAILURE() << "the update went ahead";
        } catch (const E& e) {
            EXPECT_EQ(dump(), before);
            EXPECT_EQ(sp.s, spBefore.s);
            EXPECT_EQ(sp.p, spBefore.p);
            return e.what();
        }
        return {};
    }

    std::vector<HistoryEntry> storedEntries() {
        store.reopenReadingCursor();
        std::vector<HistoryEntry> out;
        for (const auto& row : store.rows()) out.push_back({row.issue, row.digits()});
        return out;
    }

    std::vector<StoredRow> storedRows() {
        std::string cols =
            "SQQH, QQH, txtHisLst, txtHisLstHm, txtHisLstDx, txtHisLstDs, txtHisLstDuan";
        for (const char* lag : {"", "S", "P"}) {
            for (int k = 0; k < kCodeKindCount; ++k) {
                for (int i = 1; i <= 5; ++i) cols += ", " + codeColumn(i, CodeKind(k), lag);
            }
        }
        SQLite::Statement q(sqlConnection(store), "SELECT " + cols + " FROM Lishi ORDER BY SQQH");
        std::vector<StoredRow> out;
        while (q.executeStep()) {
            StoredRow r;
            r.issue = q.getColumn(0).getInt();
            r.qqh = q.getColumn(1).getInt64();
            r.previous.digits = q.getColumn(2).getString();
            for (int k = 0; k < kCodeKindCount; ++k) {
                r.previous.occurrences[k] = q.getColumn(3 + k).getString();
            }
            int c = 7;
            for (CodeVectors* set : {&r.own, &r.s, &r.p}) {
                for (int k = 0; k < kCodeKindCount; ++k) {
                    for (int i = 0; i < 5; ++i) {
                        (*set)[k][i] = static_cast<int16_t>(q.getColumn(c++).getInt());
                    }
                }
            }
            out.push_back(r);
        }
        return out;
    }

    // Rows from `first` on carry QQH = SQQH + 1 and the codes of the rows before them. The S/P
    // values are checked from `firstWithState` on (after a purge the first rows carry the state
    // of draws that were deleted).
    void expectChained(std::size_t first, std::size_t firstWithState) {
        const auto rows = storedRows();
        for (std::size_t i = first; i < rows.size(); ++i) {
            SCOPED_TRACE("issue " + std::to_string(rows[i].issue));
            EXPECT_EQ(rows[i].qqh, rows[i].issue + 1);
            if (i == 0) {
                EXPECT_TRUE(rows[i].previous.empty());
                continue;
            }
            const DrawStrings before = DrawStrings::of(rows[i - 1].own);
            EXPECT_EQ(rows[i].previous.digits, before.digits);
            EXPECT_EQ(rows[i].previous.occurrences, before.occurrences);
            if (i >= firstWithState) {
                EXPECT_EQ(rows[i].s, rows[i - 1].own);
                if (i >= 2) {
                    EXPECT_EQ(rows[i].p, rows[i - 2].own);
                }
            }
        }
    }

    TempDir dir;
    HistoryStore store{dir.path()};
    // The writer context the updates write with; `sp` is its last two draws.
    WriterContext context;
    WriterContext* const attached = store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
};

}  // namespace arrange5::test
