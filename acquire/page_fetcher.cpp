#include "acquire/page_fetcher.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "store/errors.h"

namespace arrange5 {

namespace {

// How long one wait for network activity lasts before keepGoing is asked again.
constexpr int kPollMillis = 100;

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Body {
    std::string data;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
};

std::size_t appendBody(char* ptr, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const std::size_t n = size * count;
    if (body->data.size() + n > body->maxBytes) {
        body->tooLarge = true;
        return 0;  // makes libcurl stop the transfer
    }
    body->data.append(ptr, n);
    return n;
}

std::string sizeText(std::size_t bytes) {
    if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MiB";
    if (bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

using EasyPtr = std::unique_ptr<CURL, void (*)(CURL*)>;
using MultiPtr = std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)>;

// Runs the transfer through the multi interface so that keepGoing is asked every
// kPollMillis, also while the server is silent.
CURLcode perform(CURL* easy, const KeepGoing& keepGoing) {
    MultiPtr multi(curl_multi_init(), curl_multi_cleanup);
    if (!multi) throw FetchError("the network library could not be started");
    if (curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
        throw FetchError("the network library could not start the transfer");
    }
    struct Detach {
        CURLM* multi;
        CURL* easy;
        ~Detach() { curl_multi_remove_handle(multi, easy); }
    } detach{multi.get(), easy};

    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            throw FetchError("the network library failed during the transfer");
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) return msg->data.result;
        }
        if (keepGoing && !keepGoing()) {
            throw CancelledError("the online update was cancelled; the history was left as it was");
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, kPollMillis, nullptr) != CURLM_OK) {
            throw FetchError("the network library failed while waiting for the page");
        }
    }
}

std::string fetchPage(const std::string& url, const FetchLimits& limits,
                      const KeepGoing& keepGoing) {
    initCurlOnce();
    EasyPtr easy(curl_easy_init(), curl_easy_cleanup);
    if (!easy) throw FetchError("the network library could not be started");

    Body body;
    body.maxBytes = limits.maxBytes;
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.pageTimeout.count()));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");  // the cap applies to the decoded page
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "arrange5/1.0");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode result = perform(h, keepGoing);
    if (body.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        throw FetchError("the page is larger than " + sizeText(limits.maxBytes));
    }
    if (result != CURLE_OK) {
        throw FetchError(errorText[0] ? std::string(errorText) : curl_easy_strerror(result));
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) throw FetchError("the server answered HTTP " + std::to_string(status));
    return std::move(body.data);
}

}  // namespace

PageFetcher makeCurlFetcher(const FetchLimits& limits) {
    return [limits](const std::string& url, const KeepGoing& keepGoing) {
        return fetchPage(url, limits, keepGoing);
    };
}

}  // namespace arrange5
