#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "acquire/history_text.h"
#include "support/test_support.h"

namespace arrange5::test {

// Stores `entries` as the whole history of the data folder `folder`, and closes the store so
// that Zembric.mdb alone holds it.
void storeHistory(const std::filesystem::path& folder, const std::vector<HistoryEntry>& entries);

// "2013001 12345" for every row of Lishi in issue order, read as the next program start
// would read it (recovering a write-ahead log left by a killed writer).
std::vector<std::string> storedDraws(const std::filesystem::path& database);

// PRAGMA integrity_check's first answer: "ok" for a sound file.
std::string integrityCheck(const std::filesystem::path& database);

// `count` draws with rising issues from 1740001 (358 a year) and pseudo-random digits.
std::vector<HistoryEntry> manyDraws(std::size_t count, unsigned seed);

// The user to run as for permission tests when running as root: "nobody".
std::optional<uid_t> unprivilegedUser();

}  // namespace arrange5::test
