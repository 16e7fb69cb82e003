#pragma once

#include <cstddef>
#include <string>

#include "store/history_row.h"

namespace arrange5 {

// The SHA-256 digest, 64 lowercase hex digits, of the history text export of these rows
// (CR LF lines): `sha256sum` of an exported file prints the same, so two users can tell
// whether they hold the same history.
std::string historyDigest(const HistorySnapshot& rows);

// How many hex digits of the digest the status line shows.
inline constexpr std::size_t kShortDigestLength = 12;

// A command's summary with the first kShortDigestLength hex digits of the history's digest:
// "已存入 7641 期（…）；SHA-256 446d24a8108b". An empty summary gives the digest part alone.
std::string summaryWithDigest(const std::string& summary, const HistorySnapshot& rows);

}  // namespace arrange5
