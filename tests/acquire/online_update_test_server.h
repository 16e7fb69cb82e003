#pragma once

// Stand-ins on 127.0.0.1 for the online update tests: a results site with one page a year and
// the official paged draw data, generated from a list of draws, with overrides for the
// failures a real site shows.

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "acquire/history_text.h"

namespace arrange5::test {

// How a generated page writes its table.
enum class PageStyle {
    Plain,         // header row and draw rows straight in the table, digits "12345"
    Spaced,        // digits "1 2 3 4 5"
    SpansInTbody,  // header in thead, draws in tbody, one span per digit, indented markup
};

inline std::string fiveDigitIssue(int32_t issue) {
    std::string s = std::to_string(issue % 100000);
    return std::string(5 - s.size(), '0') + s;
}

inline std::string drawRow(const std::string& issueText, const std::string& digitsCell) {
    return "<tr><td>排列五</td><td>" + issueText + "</td><td>" + digitsCell +
           "</td><td>2016-01-01</td></tr>\n";
}

inline std::string digitsCell(const Digits& d, PageStyle style) {
    std::string out;
    for (int i = 0; i < 5; ++i) {
        const std::string digit(1, static_cast<char>('0' + d[i]));
        switch (style) {
            case PageStyle::Plain:
                out += digit;
                break;
            case PageStyle::Spaced:
                out += (i ? " " : "") + digit;
                break;
            case PageStyle::SpansInTbody:
                out += "\n      <span class=\"ball\">" + digit + "</span>";
                break;
        }
    }
    return style == PageStyle::SpansInTbody ? out + "\n    " : out;
}

// The page of one year: a header row, then the given draws newest first.
inline std::string yearPage(const std::vector<HistoryEntry>& draws, PageStyle style) {
    std::string rows;
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        rows += drawRow(fiveDigitIssue(it->issue), digitsCell(it->digits, style));
    }
    const std::string header =
        "<tr><th>彩种</th><th>期号</th><th>开奖号码</th><th>日期</th></tr>\n";
    std::string table = style == PageStyle::SpansInTbody
                            ? "<thead>" + header + "</thead>\n<tbody>\n" + rows + "</tbody>"
                            : header + rows;
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>开奖</title></head>"
           "<body><div class=\"list\"><table id=\"draw_list\" class=\"kj\">\n" +
           table + "</table></div></body></html>";
}

inline std::vector<HistoryEntry> drawsOfYear(const std::vector<HistoryEntry>& all, int year) {
    std::vector<HistoryEntry> out;
    for (const auto& e : all) {
        if (e.issue / 1000 == year) out.push_back(e);
    }
    return out;
}

class ResultsServer {
  public:
    using Override = std::function<void(httplib::Response&)>;

    explicit ResultsServer(std::vector<HistoryEntry> draws) : draws_(std::move(draws)) {
        server_.set_keep_alive_timeout(1);
        server_.Get("/lottery/draw/list/4", [this](const httplib::Request& req,
                                                   httplib::Response& res) { serve(req, res); });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("the test server could not bind a port");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ResultsServer() {
        server_.stop();
        thread_.join();
    }
    ResultsServer(const ResultsServer&) = delete;
    ResultsServer& operator=(const ResultsServer&) = delete;

    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

    void setStyle(int year, PageStyle style) {
        std::lock_guard lock(mutex_);
        styles_[year] = style;
    }
    // Answers the year's page this way for the next `times` requests (every request when 0).
    void override(int year, Override answer, int times = 0) {
        std::lock_guard lock(mutex_);
        overrides_[year] = {std::move(answer), times};
    }
    void setDraws(std::vector<HistoryEntry> draws) {
        std::lock_guard lock(mutex_);
        draws_ = std::move(draws);
    }

    std::vector<int> requestedYears() const {
        std::lock_guard lock(mutex_);
        return requested_;
    }
    int requestCount(int year) const {
        const auto years = requestedYears();
        return static_cast<int>(std::count(years.begin(), years.end(), year));
    }

  private:
    struct Answer {
        Override answer;
        int remaining = 0;
    };

    void serve(const httplib::Request& req, httplib::Response& res) {
        const std::string d = req.get_param_value("d");
        if (d.size() != 10 || d.substr(4) != "-01-01") {
            res.status = 400;
            return;
        }
        const int year = std::stoi(d.substr(0, 4));
        Override answer;
        std::string page;
        {
            std::lock_guard lock(mutex_);
            requested_.push_back(year);
            auto it = overrides_.find(year);
            if (it != overrides_.end()) {
                answer = it->second.answer;
                if (it->second.remaining > 0 && --it->second.remaining == 0) overrides_.erase(it);
            }
            if (!answer) {
                const auto style = styles_.count(year) ? styles_[year] : PageStyle::Plain;
                page = yearPage(drawsOfYear(draws_, year), style);
            }
        }
        if (answer) {
            answer(res);
        } else {
            res.set_content(page, "text/html; charset=utf-8");
        }
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<HistoryEntry> draws_;
    std::map<int, PageStyle> styles_;
    std::map<int, Answer> overrides_;
    std::vector<int> requested_;
};

// The operator's paged draw data on 127.0.0.1: the draws newest first, as JSON pages, with
// per-page overrides for the failures a real service shows.
class OfficialServer {
  public:
    using Override = std::function<void(httplib::Response&)>;
    static constexpr const char* kPath = "/gateway/lottery/getHistoryPageListV1.qry";

    explicit OfficialServer(std::vector<HistoryEntry> draws) : draws_(std::move(draws)) {
        server_.set_keep_alive_timeout(1);
        server_.Get(kPath, [this](const httplib::Request& req, httplib::Response& res) {
            serve(req, res);
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("the test server could not bind a port");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~OfficialServer() {
        server_.stop();
        thread_.join();
    }
    OfficialServer(const OfficialServer&) = delete;
    OfficialServer& operator=(const OfficialServer&) = delete;

    std::string address() const {
        return "http://127.0.0.1:" + std::to_string(port_) + kPath +
               "?gameNo=350133&provinceId=0&isVerify=1";
    }

    // The JSON answer for one page of `draws` (oldest first in the vector, newest first on
    // the pages).
    static nlohmann::json page(const std::vector<HistoryEntry>& draws, int pageSize, int pageNo) {
        nlohmann::json list = nlohmann::json::array();
        const std::size_t first = static_cast<std::size_t>(pageSize) * (pageNo - 1);
        for (std::size_t i = first; i < first + pageSize && i < draws.size(); ++i) {
            const HistoryEntry& e = draws[draws.size() - 1 - i];
            std::string result;
            for (int d : e.digits) result += (result.empty() ? "" : " ") + std::to_string(d);
            list.push_back({{"lotteryDrawNum", fiveDigitIssue(e.issue)},
                            {"lotteryDrawResult", result},
                            {"lotteryDrawTime", "2026-01-01"}});
        }
        const int pages = static_cast<int>((draws.size() + pageSize - 1) / pageSize);
        return {{"success", true},
                {"errorCode", "0"},
                {"value",
                 {{"list", list},
                  {"pageNo", pageNo},
                  {"pageSize", pageSize},
                  {"pages", pages},
                  {"total", draws.size()}}}};
    }

    // Answers the page this way for the next `times` requests (every request when 0).
    void override(int pageNo, Override answer, int times = 0) {
        std::lock_guard lock(mutex_);
        overrides_[pageNo] = {std::move(answer), times};
    }
    // Changes the JSON of the page before it is sent, on every request.
    void edit(int pageNo, std::function<void(nlohmann::json&)> change) {
        override(pageNo, [this, pageNo, change](httplib::Response& res) {
            nlohmann::json doc;
            {
                std::lock_guard lock(mutex_);
                doc = page(draws_, lastPageSize_, pageNo);
            }
            change(doc);
            res.set_content(doc.dump(), "application/json");
        });
    }

    std::vector<int> requestedPages() const {
        std::lock_guard lock(mutex_);
        return requested_;
    }
    httplib::Headers lastHeaders() const {
        std::lock_guard lock(mutex_);
        return lastHeaders_;
    }

  private:
    struct Answer {
        Override answer;
        int remaining = 0;
    };

    void serve(const httplib::Request& req, httplib::Response& res) {
        const int pageNo = std::stoi("0" + req.get_param_value("pageNo"));
        const int pageSize = std::stoi("0" + req.get_param_value("pageSize"));
        if (pageNo < 1 || pageSize < 1 || req.get_param_value("gameNo") != "350133") {
            res.status = 400;
            return;
        }
        Override answer;
        std::string body;
        {
            std::lock_guard lock(mutex_);
            requested_.push_back(pageNo);
            lastHeaders_ = req.headers;
            lastPageSize_ = pageSize;
            auto it = overrides_.find(pageNo);
            if (it != overrides_.end()) {
                answer = it->second.answer;
                if (it->second.remaining > 0 && --it->second.remaining == 0) overrides_.erase(it);
            }
            if (!answer) body = page(draws_, pageSize, pageNo).dump();
        }
        if (answer) {
            answer(res);
        } else {
            res.set_content(body, "application/json;charset=UTF-8");
        }
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<HistoryEntry> draws_;
    std::map<int, Answer> overrides_;
    std::vector<int> requested_;
    httplib::Headers lastHeaders_;
    int lastPageSize_ = 30;
};

// A socket listening on 127.0.0.1 at a port the system picks, which it stores in `port`.
// `name` says in the failure which test listener could not be set up.
inline int listenOnLoopback(int& port, const std::string& name) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(fd, 16) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        throw std::runtime_error("the " + name + " could not be set up");
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// A port that accepts connections (the kernel completes them) but never answers.
class SilentListener {
  public:
    SilentListener() { fd_ = listenOnLoopback(port_, "silent listener"); }
    ~SilentListener() { ::close(fd_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    int fd_ = -1;
    int port_ = 0;
};

// An address where nothing listens: a port taken from the system and given back at once.
inline std::string unreachableBaseUrl() {
    int port = 0;
    {
        SilentListener probe;
        const std::string url = probe.baseUrl();
        port = std::stoi(url.substr(url.rfind(':') + 1));
    }
    return "http://127.0.0.1:" + std::to_string(port);
}

}  // namespace arrange5::test
