#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/history_row.h"
#include "store/pick_journal.h"

namespace arrange5 {

class HistoryStore;

// A pick as the user gives it, before it is sealed into the journal.
struct PickRequest {
    std::vector<std::string> numbers;
    std::string play = "p5";       // p5, p3 or p3-group
    std::optional<int32_t> issue;  // default: the next issue by the calendar rule
    int multiple = 1;              // 1 to 99, as a ticket allows
    std::optional<int> todayYear;  // the calendar the next issue follows
};

// Checks the numbers against the play (five digits for p5, three for p3; a 组选 pick needs
// two or three different digits) and seals the pick for its issue. Throws InputError naming
// the problem, also for an issue already drawn.
PickEntry addPick(HistoryStore& store, const PickRequest& request,
                  std::chrono::system_clock::time_point now);

// A new entry that withdraws pick `id` before its draw.
PickEntry withdrawPick(HistoryStore& store, int64_t id, std::chrono::system_clock::time_point now);

// "2026-12-09T21:05:00Z".
std::string utcTimeText(std::chrono::system_clock::time_point time);

// The key of the play a pick's numbers are paid by: "p5", "p3", "p3-group3" or "p3-group6".
std::string prizePlayOf(const std::string& play, const std::string& number);

struct CheckedPick {
    PickEntry entry;
    int64_t bets = 0;
    int64_t cost = 0;    // 2 yuan × bets × multiple
    std::string status;  // "won", "lost", "pending", "withdrawn"
    std::optional<std::string> drawn;
    std::vector<std::string> winning;
    int64_t prize = 0;
};

struct PickReport {
    std::vector<CheckedPick> entries;
    int64_t cost = 0;  // of the checked entries (drawn, not withdrawn)
    int64_t prize = 0;
    std::optional<double> returnRate;  // prize / cost; none before anything was checked
    int64_t pending = 0;               // entries whose draw is not stored yet
    std::optional<double> pPrize;      // chance of a total prize at least `prize` by fair draws
    PickChain chain;
    std::string verdict;
};

// The journal against the stored draws.
PickReport checkPicks(const std::vector<PickEntry>& journal, const PickChain& chain,
                      const HistorySnapshot& rows);

// The exact chance, over fair draws of the issues of `checked`, of a total prize at least
// `won`; the entries of one issue share its one draw.
double chanceOfPrizeAtLeast(const std::vector<const PickEntry*>& checked, int64_t won);

}  // namespace arrange5
