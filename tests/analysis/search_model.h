#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "acquire/history_text.h"
#include "analysis/search.h"
#include "store/history_store.h"
#include "support/test_support.h"

namespace arrange5::test {

// A store in a temporary folder holding the given draws, imported with one segment base.
struct SearchHistory {
    TempDir dir;
    std::unique_ptr<HistoryStore> store;
    std::vector<HistoryEntry> entries;
    int segmentBase = 1;

    SearchHistory(std::vector<HistoryEntry> draws, int base = 1, bool asRebuild = false);
    SearchHistory(int firstIssue, const std::vector<std::string>& draws, int base = 1)
        : SearchHistory(entriesFrom(firstIssue, draws), base) {}

    // The import (or, with `asRebuild`, the rebuild) of other draws into the same store.
    void replace(std::vector<HistoryEntry> draws, int base, bool asRebuild = false);

    int32_t firstIssue() const { return entries.front().issue; }
    int32_t lastIssue() const { return entries.back().issue; }
    std::vector<int32_t> hitIssues(const SearchResult& result) const;
};

// Every column of Lishi as text, rows in issue order.
struct LishiTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    static LishiTable read(HistoryStore& store);
    std::size_t column(const std::string& name) const;
    std::vector<std::string> columnValues(const std::string& name) const;
    void set(const std::string& name, const std::vector<std::string>& values);
};

// What a search must leave behind, computed in memory from the draws alone.
struct ModelOutcome {
    std::vector<Hit> hits;
    std::vector<TallyRow> tally;
    int64_t total = 0;
    int64_t restRows = 0;
    std::vector<std::pair<int, int64_t>> carcu;              // Nmb, Count in ascending Nmb
    std::map<std::string, std::vector<std::string>> writes;  // working column → every row
};

ModelOutcome modelSingleSearch(const std::vector<HistoryEntry>& entries, int storedBase,
                               const SearchRequest& request);
ModelOutcome modelCombinationSearch(const std::vector<HistoryEntry>& entries, int storedBase,
                                    const SearchRequest& request, int k);

// A request with the window's defaults over the whole history: reference, range, tally.
SearchRequest defaultRequest(const SearchHistory& history);

}  // namespace arrange5::test
