#pragma once

#include <string>
#include <vector>

namespace arrange5 {

// What a bet costs, in yuan, whatever the play.
inline constexpr int kBetPrice = 2;

// One way of betting on a draw and its fixed official prize. This table is the only place the
// prizes and odds are written; the filter, the pick journal, the window and the manual's table
// all name a play by its key and read the rest from here.
struct PlayOdds {
    const char* key;      // "p5", "p3", "p3-group3", "p3-group6"
    const char* caption;  // "排列五 直选", ...
    const char* wins;     // when a bet wins, in words
    int prize;            // yuan per 2-yuan bet
    int winningDraws;     // how many of the 1,000 (p3) or 100,000 (p5) draws a bet wins
    int drawCount;        // 1,000 or 100,000

    double chance() const { return static_cast<double>(winningDraws) / drawCount; }
    // prize × chance / price: what a bet returns on average, as a fraction of its cost.
    double expectedReturn() const { return prize * chance() / kBetPrice; }
};

const std::vector<PlayOdds>& playTable();

// The row of `key`; throws InputError for a key the table does not hold.
const PlayOdds& playOdds(const std::string& key);

}  // namespace arrange5
