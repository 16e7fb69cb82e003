#include "analysis/study_log.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <fstream>
#include <sstream>
#include <system_error>

#include "store/writer_lock.h"

namespace arrange5 {

namespace {

// The first line of a log that keeps each setting's outcome; a log without it is the older
// one setting per line.
constexpr std::string_view kHeader = "# arrange5 study 2";
constexpr std::uintmax_t kMaxLogBytes = 16u << 20;
constexpr std::size_t kFields = 6;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool cleanText(std::string_view text);

// What this program has ever written as a setting: a line naming the command. A filter's
// forms are named in Chinese (--form 一对), so a setting is clean text, not only ASCII.
bool looksLikeSetting(std::string_view text) {
    return cleanText(text) && (startsWith(text, "search ") || startsWith(text, "combo k=") ||
                               startsWith(text, "backtest ") || startsWith(text, "filter "));
}

// Well-formed UTF-8 without control characters: a verdict as the program wrote it.
bool cleanText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t more = 0;
        if (c < 0x20 || c == 0x7f) return false;
        if (c >= 0x80) {
            if (c >= 0xc2 && c < 0xe0) {
                more = 1;
            } else if (c >= 0xe0 && c < 0xf0) {
                more = 2;
            } else if (c >= 0xf0 && c < 0xf5) {
                more = 3;
            } else {
                return false;
            }
        }
        if (text.size() - i <= more) return false;
        for (std::size_t k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return false;
        }
        i += more + 1;
    }
    return true;
}

std::string numberText(std::optional<double> value) {
    if (!value) return {};
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

// A probability as written, or none for an empty field; false when the field holds
// anything else.
bool readProbability(std::string_view text, std::optional<double>& out) {
    if (text.empty()) {
        out.reset();
        return true;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !(value >= 0 && value <= 1)) {
        return false;
    }
    out = value;
    return true;
}

bool timeText(std::string_view text) {
    // "2026-12-09T22:05:00Z"
    if (text.empty()) return true;
    static constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return false;
    }
    return true;
}

std::string utcText(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buffer;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    while (true) {
        const auto tab = line.find('\t');
        out.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return out;
        line.remove_prefix(tab + 1);
    }
}

// A verdict kept on one line of the log.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::vector<StudyEntry> parseLog(const std::string& content, const std::filesystem::path& file) {
    std::vector<StudyEntry> entries;
    std::istringstream in(content);
    std::string line;
    int number = 0;
    bool current = false;
    const auto refuse = [&](const std::string& why) {
        throw StudyLogError("研究记录文件 " + file.string() + " 第 " + std::to_string(number) +
                            " 行" + why +
                            "，无法读取；文件保持原样。请查看或移走它，或开始新的研究");
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1 && line == kHeader) {
            current = true;
            continue;
        }
        if (line.empty()) continue;
        StudyEntry e;
        if (current) {
            const auto f = fields(line);
            if (f.size() != kFields) refuse("不是六个以制表符分隔的字段");
            e.key = f[0];
            e.commandLine = f[1];
            e.firstRun = f[2];
            e.verdict = f[5];
            if (!looksLikeSetting(e.key) || !cleanText(e.commandLine)) refuse("不是检索设置");
            if (!timeText(e.firstRun)) refuse("的首次检索时间无法识别");
            if (!readProbability(f[3], e.p) || !readProbability(f[4], e.pAdjusted)) {
                refuse("的 p 值无法识别");
            }
            if (!cleanText(e.verdict)) refuse("的结论不是文字");
        } else {
            // An older log: one setting per line, nothing else kept.
            if (!looksLikeSetting(line)) refuse("不是检索设置");
            e.key = line;
            e.commandLine = line;
        }
        const bool repeated = std::any_of(entries.begin(), entries.end(),
                                          [&](const StudyEntry& x) { return x.key == e.key; });
        if (repeated) refuse("重复了前面的一种设置");
        e.rank = static_cast<int>(entries.size()) + 1;
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace

StudyLog::StudyLog(std::filesystem::path dataFolder, Clock clock)
    : file_(dataFolder / kFileName), clock_(std::move(clock)) {}

std::vector<StudyEntry> StudyLog::entries() const {
    std::error_code ec;
    const auto status = std::filesystem::status(file_, ec);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    const auto unreadable = [&](const std::string& why) {
        return StudyLogError("无法读取研究记录文件 " + file_.string() + "：" + why +
                             "；文件保持原样，本次不计入研究");
    };
    if (ec) throw unreadable(ec.message());
    if (status.type() != std::filesystem::file_type::regular) throw unreadable("它不是普通文件");
    const auto size = std::filesystem::file_size(file_, ec);
    if (ec) throw unreadable(ec.message());
    if (size > kMaxLogBytes) throw unreadable("文件大得不像研究记录");
    std::ifstream in(file_, std::ios::binary);
    if (!in) throw unreadable("无法打开（权限不足？）");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw unreadable("读取出错");
    return parseLog(content.str(), file_);
}

StudyPlace StudyLog::record(const StudySetting& setting) {
    // The window and the command line may count at the same time: the folder's writer lock
    // keeps one count from overwriting the other.
    const WriterLock lock(file_.parent_path(), kDefaultWriterWait);
    std::vector<StudyEntry> known = entries();
    const auto found = std::find_if(known.begin(), known.end(),
                                    [&](const StudyEntry& e) { return e.key == setting.key; });
    if (found != known.end()) return {found->rank, static_cast<int>(known.size())};
    StudyEntry e;
    e.rank = static_cast<int>(known.size()) + 1;
    e.key = oneLine(setting.key);
    e.commandLine = oneLine(setting.commandLine);
    e.firstRun = utcText(clock_());
    known.push_back(std::move(e));
    write(known);
    return {known.back().rank, static_cast<int>(known.size())};
}

void StudyLog::noteOutcome(const std::string& key, std::optional<double> p,
                           std::optional<double> pAdjusted, const std::string& verdict) {
    const WriterLock lock(file_.parent_path(), kDefaultWriterWait);
    std::vector<StudyEntry> known = entries();
    const auto found =
        std::find_if(known.begin(), known.end(), [&](const StudyEntry& e) { return e.key == key; });
    if (found == known.end()) return;
    found->p = p;
    found->pAdjusted = pAdjusted;
    found->verdict = oneLine(verdict);
    write(known);
}

StudyLog::Reset StudyLog::reset() {
    const WriterLock lock(file_.parent_path(), kDefaultWriterWait);
    Reset result;
    try {
        result.before = entries().size();
    } catch (const StudyLogError&) {
        // The user asked for a new study; what could not be read is kept beside it.
        std::filesystem::path aside = file_;
        aside += ".unreadable-" + utcText(clock_());
        std::error_code ec;
        std::filesystem::rename(file_, aside, ec);
        if (ec)
            throw StoreError("无法移走读不懂的研究记录文件 " + file_.string() + "：" +
                             ec.message());
        result.keptAs = aside;
    }
    write({});
    return result;
}

void StudyLog::write(const std::vector<StudyEntry>& entries) const {
    // A new file beside the old one, renamed over it: a reader sees the old study or the new
    // one, never half a file.
    std::filesystem::path temporary = file_;
    temporary += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
        out << kHeader << '\n';
        for (const auto& e : entries) {
            out << e.key << '\t' << e.commandLine << '\t' << e.firstRun << '\t' << numberText(e.p)
                << '\t' << numberText(e.pAdjusted) << '\t' << e.verdict << '\n';
        }
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw StoreError("无法写入研究记录文件 " + file_.string());
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file_, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw StoreError("无法写入研究记录文件 " + file_.string());
    }
}

}  // namespace arrange5
