#include "analysis/study_log.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "store/errors.h"
#include "store/writer_lock.h"

namespace arrange5 {

namespace {

const char* kindName(CodeKind kind) {
    static constexpr const char* names[] = {"number", "bigsmall", "oddeven", "segment"};
    return names[static_cast<int>(kind)];
}

std::string commonText(const SearchSettings& s, const SearchShape& shape) {
    std::ostringstream out;
    out << (shape.combination ? "combo k=" + std::to_string(shape.k) : std::string("search"))
        << " kind=" << kindName(s.kind) << " match=" << (s.freePositions ? "free" : "fixed")
        << " lag=" << lagDistance(s);
    if (!shape.combination) {
        std::string ticked;
        for (int p = 0; p < 5; ++p) {
            if (!shape.positions[static_cast<std::size_t>(p)]) continue;
            ticked += (ticked.empty() ? "" : ",") + std::to_string(p + 1);
        }
        out << " positions=" << (ticked.empty() ? "none" : ticked);
    }
    return out.str();
}

std::string tallyText(const TallySettings& t) {
    return std::string(" result=") + kindName(t.resultKind) +
           " pos=" + std::to_string(t.resultPosition) + (t.group ? " group" : " straight") +
           " base=" + std::to_string(t.segmentBase);
}

}  // namespace

StudyLog::StudyLog(std::filesystem::path dataFolder) : file_(dataFolder / kFileName) {}

std::vector<std::string> StudyLog::settings() const {
    std::vector<std::string> out;
    std::ifstream in(file_);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

int StudyLog::record(const std::string& setting) {
    // The window and the command line may count at the same time: the folder's writer lock
    // keeps one count from overwriting the other.
    const WriterLock lock(file_.parent_path(), kDefaultWriterWait);
    std::vector<std::string> known = settings();
    if (std::find(known.begin(), known.end(), setting) == known.end()) {
        known.push_back(setting);
        write(known);
    }
    return static_cast<int>(known.size());
}

void StudyLog::reset() {
    const WriterLock lock(file_.parent_path(), kDefaultWriterWait);
    write({});
}

void StudyLog::write(const std::vector<std::string>& settings) const {
    // A new file beside the old one, renamed over it: a reader sees the old count or the new
    // one, never half a file.
    std::filesystem::path temporary = file_;
    temporary += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& s : settings) out << s << '\n';
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw StoreError("无法写入研究计数文件 " + file_.string());
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file_, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw StoreError("无法写入研究计数文件 " + file_.string());
    }
}

std::string searchSettingText(const SearchRequest& request, const SearchShape& shape) {
    std::ostringstream out;
    out << commonText(request.settings, shape) << " ref=";
    for (std::size_t i = 0; i < request.reference.size(); ++i) {
        out << (i ? "," : "") << request.reference[i];
    }
    out << " range=" << request.from << "-" << request.to << tallyText(request.tally);
    return out.str();
}

std::string backtestSettingText(const BacktestRequest& request) {
    std::ostringstream out;
    out << "backtest " << commonText(request.settings, request.shape)
        << " targets=" << (request.firstTarget ? std::to_string(*request.firstTarget) : "") << "-"
        << (request.lastTarget ? std::to_string(*request.lastTarget) : "") << " top=" << request.top
        << tallyText(request.tally);
    return out.str();
}

}  // namespace arrange5
