#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "store/errors.h"

namespace arrange5 {

// The online update's answer to cancel, wherever it was cancelled.
inline CancelledError updateCancelled() {
    return CancelledError("在线更新已取消，历史号码保持原样");
}

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

// The request headers a fetcher sends besides libcurl's own; an empty field is not sent.
struct RequestHeaders {
    std::string userAgent = "arrange5/1.0";
    std::string accept;
    std::string referer;
};

// A page answered with an HTTP status of 400 or above; the status tells a busy service
// (which asks to be tried again later) from a missing page.
class HttpStatusError : public FetchError {
  public:
    HttpStatusError(const std::string& message, long status)
        : FetchError(message), status_(status) {}
    long status() const { return status_; }

  private:
    long status_;
};

// The address without its "#fragment": a fragment is never sent to the site, and a query
// appended after it (a page number, a year) would become part of the fragment.
std::string withoutFragment(const std::string& url);

// "h.example:8080" of "https://h.example:8080/path?q", for messages.
std::string hostOfUrl(const std::string& url);

// HTTP and HTTPS only, redirects followed (to HTTP and HTTPS only); a status of 400 or above
// throws HttpStatusError.
PageFetcher makeCurlFetcher(const FetchLimits& limits = {}, const RequestHeaders& headers = {});

}  // namespace arrange5
