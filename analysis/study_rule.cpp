#include "analysis/study_rule.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "analysis/chance.h"

namespace arrange5 {

namespace {

double shares(int rank) {
    const double k = std::max(1, rank);
    return k * (k + 1);
}

std::string withDigits(double value, int digits) {
    // to_chars ignores the locale, so the window shows a decimal point under any language.
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

double parsed(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// p and the level with two significant digits, more when two would show them the wrong way
// round: a reader compares the two numbers and must reach the verdict's answer.
std::pair<std::string, std::string> pAndLevel(double p, double level) {
    const bool below = p < level;
    for (int digits = 2; digits <= 17; ++digits) {
        std::string shownP = withDigits(p, digits);
        std::string shownLevel = withDigits(level, digits);
        const double l = parsed(shownLevel);
        if ((parsed(shownP) < l) == below && (p < l) == below) return {shownP, shownLevel};
    }
    return {withDigits(p, 17), withDigits(level, 17)};
}

}  // namespace

double studyLevel(int rank) {
    return kSignificanceLevel / shares(rank);
}

double studyAdjustedP(double p, int rank) {
    return std::min(1.0, shares(rank) * p);
}

std::string studyRuleText(double p, int rank) {
    const auto [shownP, shownLevel] = pAndLevel(p, studyLevel(rank));
    return (p > 0.99 ? std::string("p > 0.99") : "p = " + shownP) + "；这是本研究的第 " +
           std::to_string(rank) + " 种设置，须 p < " + shownLevel + " 才算可靠：校正后 " +
           pValueText(studyAdjustedP(p, rank));
}

bool StudyJudgement::reliable() const {
    return pAdjusted && *pAdjusted < kSignificanceLevel;
}

StudyJudgement judge(std::optional<double> p, const StudyPlace& place) {
    StudyJudgement j;
    if (!place.counted()) return j;
    j.level = studyLevel(place.rank);
    if (p) j.pAdjusted = studyAdjustedP(*p, place.rank);
    return j;
}

}  // namespace arrange5
