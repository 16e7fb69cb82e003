#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace arrange5 {

class HistoryStore;

// The sealed pick journal: table `Yuxuan` of Zembric.mdb, beside the history and never touched
// by import, clearing, purging or rebuilding it. Entries are only ever appended, each sealed
// with SHA-256 over the previous entry's seal and its own issue, play, numbers, multiple and
// time, so that an entry changed, removed or back-dated outside this program breaks the chain.
struct PickEntry {
    int64_t id = 0;
    int32_t issue = 0;
    std::string play;  // "p5", "p3", "p3-group"; a withdrawal keeps the play of its pick
    std::vector<std::string> numbers;
    int multiple = 1;
    std::string madeAt;                // UTC, "2026-12-09T21:05:00Z"
    std::optional<int64_t> withdraws;  // a withdrawal: the id of the pick it withdraws
    std::string seal;                  // 64 hex digits

    bool isWithdrawal() const { return withdraws.has_value(); }
};

// The seal of `entry` after an entry sealed `previousSeal` (the first entry follows 64 zeros).
std::string pickSeal(const std::string& previousSeal, const PickEntry& entry);
inline const std::string kFirstPreviousSeal(64, '0');

// Every entry in id order; none when the journal was never written.
std::vector<PickEntry> readPickJournal(HistoryStore& store);

struct PickChain {
    bool intact = true;
    std::optional<int64_t> brokenAt;  // the first entry whose seal, place or time is wrong
    std::string problem;              // one sentence naming it
};

// Verifies the chain of the stored journal: every seal, ids without a gap, times that never go
// back, and no entry removed from its end.
PickChain checkPickChain(HistoryStore& store, const std::vector<PickEntry>& entries);

// Appends `entry` (its id and seal are made here) in one transaction through the store's write
// path, after checking against the history as it is then that its issue is not yet stored;
// a withdrawal also that its pick exists, is not withdrawn yet and is still undrawn. Throws
// InputError naming the refusal, StoreError when the journal cannot be written. Returns the
// entry as stored.
PickEntry appendPickEntry(HistoryStore& store, PickEntry entry);

}  // namespace arrange5
