#pragma once

#include <string>

#include "store/history_row.h"

namespace arrange5 {

// The SHA-256 digest, 64 lowercase hex digits, of the history text export of these rows
// (CR LF lines): `sha256sum` of an exported file prints the same, so two users can tell
// whether they hold the same history.
std::string historyDigest(const HistorySnapshot& rows);

}  // namespace arrange5
