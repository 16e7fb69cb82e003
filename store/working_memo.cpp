#include "store/working_memo.h"

namespace arrange5 {

std::map<std::string, std::string> WorkingMemo::known(const ChangeStamp& now) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (stamp_ != now) {
        columns_.clear();
        stamp_.reset();
    }
    return columns_;
}

void WorkingMemo::record(const std::map<std::string, std::string>& written,
                         const ChangeStamp& before, const ChangeStamp& after) {
    const std::lock_guard<std::mutex> hold(mutex_);
    // What was known before this rewrite is only still true if nothing came in between.
    if (stamp_ != before) columns_.clear();
    for (const auto& [column, derivation] : written) columns_[column] = derivation;
    stamp_ = after;
}

}  // namespace arrange5
