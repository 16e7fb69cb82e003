#pragma once

#include <cstddef>
#include <functional>

namespace arrange5 {

// Reports how far a long command is; returns false to ask the command to stop.
using Progress = std::function<bool(std::size_t done, std::size_t total)>;

}  // namespace arrange5
