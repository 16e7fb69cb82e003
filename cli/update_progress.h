#pragma once

#include <chrono>
#include <ostream>

#include "acquire/update_listing.h"

namespace arrange5::cli {

// The update's progress on stderr while it waits on a source: one line at most every
// `interval`, the first only once `interval` has passed, so a quick update prints nothing
// and a busy or stalled source never leaves the terminal silent for a minute and more.
UpdateStatusProgress progressLines(std::ostream& err,
                                   std::chrono::milliseconds interval = std::chrono::seconds(1));

}  // namespace arrange5::cli
