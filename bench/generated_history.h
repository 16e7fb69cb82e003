#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "acquire/history_text.h"

namespace arrange5::bench {

// `count` draws from a fixed seed under consecutive valid issues from 2004001, 358 a year,
// so every run measures the same history. The draws come straight from mt19937, whose
// output the standard fixes, not from a distribution whose algorithm varies by library.
std::vector<HistoryEntry> generatedHistory(std::size_t count, uint32_t seed = 20040101);

}  // namespace arrange5::bench
