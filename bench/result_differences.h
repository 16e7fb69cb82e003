#pragma once

#include <string>

#include "analysis/search.h"

namespace arrange5::bench {

// Where two results differ (hits, total, tally), or empty when they agree.
std::string differences(const SearchResult& expected, const SearchResult& actual);

}  // namespace arrange5::bench
