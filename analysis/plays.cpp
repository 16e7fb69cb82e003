#include "analysis/plays.h"

#include "store/errors.h"

namespace arrange5 {

const std::vector<PlayOdds>& playTable() {
    // The prizes are the fixed official ones per 2-yuan bet. A 组选 pick is 组选三 when two of
    // its digits are equal (three orders of the digits win) and 组选六 when all three differ
    // (six orders win).
    static const std::vector<PlayOdds> table = {
        {"p5", "排列五 直选", "五个数字按位相同", 100000, 1, 100000},
        {"p3", "排列三 直选", "前三个数字按位相同", 1040, 1, 1000},
        {"p3-group3", "排列三 组选三", "前三个数字相同，顺序不限（号码中恰有两个数字相同）", 346, 3,
         1000},
        {"p3-group6", "排列三 组选六", "前三个数字相同，顺序不限（三个数字各不相同）", 173, 6,
         1000},
    };
    return table;
}

const PlayOdds& playOdds(const std::string& key) {
    for (const PlayOdds& play : playTable()) {
        if (key == play.key) return play;
    }
    throw InputError("没有“" + key + "”这种玩法");
}

}  // namespace arrange5
