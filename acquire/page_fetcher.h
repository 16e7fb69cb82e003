#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace arrange5 {

// Asked often while a page is on its way (several times a second); returns false to stop.
using KeepGoing = std::function<bool()>;

// Fetches the page at `url` and returns its body. Throws FetchError naming the reason when the
// page cannot be had, CancelledError when `keepGoing` returned false.
using PageFetcher = std::function<std::string(const std::string& url, const KeepGoing& keepGoing)>;

struct FetchLimits {
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds pageTimeout{30'000};
    std::size_t maxBytes = 5 * 1024 * 1024;
};

// HTTP and HTTPS only, redirects followed (to HTTP and HTTPS only); a status of 400 or above
// is a failure.
PageFetcher makeCurlFetcher(const FetchLimits& limits = {});

}  // namespace arrange5
