#pragma once

#include <cstdint>

namespace arrange5 {

// A point in the history of writes one connection can see: every row changed through it and
// every commit by another connection (another window, the CLI) moves it.
struct ChangeStamp {
    uint64_t connection = 0;  // a number no other connection of this process had
    int64_t ownChanges = 0;
    int64_t othersVersion = 0;
    int64_t schemaVersion = 0;
    bool operator==(const ChangeStamp&) const = default;
};

}  // namespace arrange5
