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
    return std::to_string(bytes) + " 字节";
}

// The failures a user can act on, in words; libcurl's own text follows for the details.
std::string transferProblem(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return "找不到这个网站的主机";
        case CURLE_COULDNT_RESOLVE_PROXY:
            return "找不到代理服务器";
        case CURLE_COULDNT_CONNECT:
            return "无法连接到网站";
        case CURLE_OPERATION_TIMEDOUT:
            return "超时，网站没有在限定时间内答复";
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
            return "安全连接（https）没有建立";
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE:
            return "连接中断，页面没有完整收到";
        case CURLE_TOO_MANY_REDIRECTS:
            return "网站转向的次数太多";
        case CURLE_UNSUPPORTED_PROTOCOL:
            return "网址的协议不受支持";
        case CURLE_URL_MALFORMAT:
            return "网址的写法有误";
        case CURLE_WEIRD_SERVER_REPLY:
            return "网站的答复不是正常的 HTTP 答复";
        case CURLE_BAD_CONTENT_ENCODING:
            return "页面的压缩格式无法解开";
        case CURLE_SSL_CIPHER:
        case CURLE_USE_SSL_FAILED:
            return "安全连接（https）没有建立";
        default:
            return "网络传输出错";
    }
}

using EasyPtr = std::unique_ptr<CURL, void (*)(CURL*)>;
using MultiPtr = std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)>;

// Runs the transfer through the multi interface so that keepGoing is asked every
// kPollMillis, also while the server is silent.
CURLcode perform(CURL* easy, const KeepGoing& keepGoing) {
    MultiPtr multi(curl_multi_init(), curl_multi_cleanup);
    if (!multi) throw FetchError("网络库无法启动");
    if (curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
        throw FetchError("网络库无法开始传输");
    }
    struct Detach {
        CURLM* multi;
        CURL* easy;
        ~Detach() { curl_multi_remove_handle(multi, easy); }
    } detach{multi.get(), easy};

    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            throw FetchError("网络库在传输中出错");
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) return msg->data.result;
        }
        if (keepGoing && !keepGoing()) {
            throw updateCancelled();
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, kPollMillis, nullptr) != CURLM_OK) {
            throw FetchError("网络库在等待页面时出错");
        }
    }
}

using HeaderList = std::unique_ptr<curl_slist, void (*)(curl_slist*)>;

std::string fetchPage(const std::string& url, const FetchLimits& limits,
                      const RequestHeaders& headers, const KeepGoing& keepGoing) {
    initCurlOnce();
    EasyPtr easy(curl_easy_init(), curl_easy_cleanup);
    if (!easy) throw FetchError("网络库无法启动");

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
    if (!headers.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, headers.userAgent.c_str());
    }
    if (!headers.referer.empty()) curl_easy_setopt(h, CURLOPT_REFERER, headers.referer.c_str());
    HeaderList extra(nullptr, curl_slist_free_all);
    if (!headers.accept.empty()) {
        const std::string line = "Accept: " + headers.accept;
        extra.reset(curl_slist_append(nullptr, line.c_str()));
        if (!extra) throw FetchError("网络库无法启动");
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, extra.get());
    }
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode result = perform(h, keepGoing);
    if (body.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        throw FetchError("页面大于 " + sizeText(limits.maxBytes));
    }
    if (result != CURLE_OK) {
        throw FetchError(transferProblem(result) + "（" +
                         (errorText[0] ? std::string(errorText) : curl_easy_strerror(result)) +
                         "）");
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) throw HttpStatusError("网站答复 HTTP " + std::to_string(status), status);
    return std::move(body.data);
}

}  // namespace

std::string withoutFragment(const std::string& url) {
    return url.substr(0, url.find('#'));
}

std::string hostOfUrl(const std::string& url) {
    const std::size_t scheme = url.find("://");
    const std::size_t begin = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = url.find_first_of("/?#", begin);
    return url.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

PageFetcher makeCurlFetcher(const FetchLimits& limits, const RequestHeaders& headers) {
    return [limits, headers](const std::string& url, const KeepGoing& keepGoing) {
        return fetchPage(url, limits, headers, keepGoing);
    };
}

}  // namespace arrange5
