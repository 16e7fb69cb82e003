#include "analysis/match_columns.h"

#include <algorithm>
#include <array>

#include "store/limits.h"

namespace arrange5 {

namespace {

constexpr std::array<const char*, kCodeKindCount> kStringSuffixes = {"Hm", "Dx", "Ds", "Duan"};

}  // namespace

std::string previousDrawColumn(CodeKind kind) {
    return std::string("txtHisLst") + kStringSuffixes.at(static_cast<int>(kind));
}

std::string earlierDrawColumn(CodeKind kind) {
    return std::string("txtHisPreLst") + kStringSuffixes.at(static_cast<int>(kind));
}

std::vector<std::vector<int>> positionCombinations(int k) {
    std::vector<std::vector<int>> out;
    if (k < 1 || k > limits::kPositions) return out;
    // Bit masks over five positions, kept when they hold k positions; sorting the position
    // lists gives the lexicographic order of nested loops.
    for (int mask = 1; mask < 32; ++mask) {
        std::vector<int> combo;
        for (int p = 1; p <= 5; ++p) {
            if (mask & (1 << (p - 1))) combo.push_back(p);
        }
        if (static_cast<int>(combo.size()) == k) out.push_back(std::move(combo));
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool valueInKindRange(CodeKind kind, int value) {
    return value >= 0 && value < kValueCounts.at(static_cast<int>(kind));
}

}  // namespace arrange5
