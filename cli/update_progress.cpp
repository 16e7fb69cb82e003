#include "cli/update_progress.h"

#include <memory>
#include <string>

namespace arrange5::cli {

UpdateStatusProgress progressLines(std::ostream& err, std::chrono::milliseconds interval) {
    using Clock = std::chrono::steady_clock;
    const auto last = std::make_shared<Clock::time_point>(Clock::now());
    return [&err, interval, last](const UpdateProgressInfo& at) {
        const Clock::time_point now = Clock::now();
        if (now - *last < interval) return true;
        *last = now;
        // Counted as the summary counts: a purge's stored draws read again are no new draws.
        std::string line = "arrange5-cli: 在线更新：正在读取 " + std::to_string(at.year) +
                           " 年的开奖号码，新增 " + std::to_string(at.draws) + " 期";
        if (at.reread > 0) line += "，重新读入已存的 " + std::to_string(at.reread) + " 期";
        if (at.secondsToWait > 0) {
            line += "；来源繁忙，" + std::to_string(at.secondsToWait) + " 秒后再试";
        }
        err << line << "\n" << std::flush;
        return true;
    };
}

}  // namespace arrange5::cli
