#include "analysis/filter_verification.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>

#include "analysis/chance.h"
#include "analysis/exact_tests.h"
#include "analysis/search_form.h"
#include "analysis/study_log.h"
#include "store/errors.h"
#include "store/number_text.h"

namespace arrange5 {

namespace {

// For every subset T of the positions, how many numbers of a set have each combination of
// digits at T. From these the numbers agreeing with any previous draw at exactly k positions
// follow by inclusion and exclusion, so a --repeat verification needs no pass over all
// numbers per target.
class AgreementCounter {
  public:
    AgreementCounter(const std::vector<char>& inSet, int digits) : digits_(digits) {
        const int subsets = 1 << digits;
        marginal_.resize(static_cast<std::size_t>(subsets));
        for (int t = 0; t < subsets; ++t) {
            int size = 1;
            for (int i = 0; i < std::popcount(static_cast<unsigned>(t)); ++i) size *= 10;
            marginal_[static_cast<std::size_t>(t)].assign(static_cast<std::size_t>(size), 0);
        }
        int d[5] = {};
        for (std::size_t n = 0; n < inSet.size(); ++n) {
            if (!inSet[n]) continue;
            digitsOf(static_cast<int>(n), digits, d);
            for (int t = 0; t < subsets; ++t) ++marginal_[static_cast<std::size_t>(t)][code(d, t)];
        }
    }

    // How many numbers of the set agree with `previous` at exactly k positions.
    std::array<int64_t, 6> byAgreement(const int* previous) const {
        const int subsets = 1 << digits_;
        std::array<int64_t, 32> atLeast{};  // numbers agreeing at every position of T
        for (int t = 0; t < subsets; ++t) {
            atLeast[static_cast<std::size_t>(t)] =
                marginal_[static_cast<std::size_t>(t)][code(previous, t)];
        }
        std::array<int64_t, 6> exact{};
        for (int u = 0; u < subsets; ++u) {
            int64_t agreeingExactlyOnU = 0;
            for (int t = u;; t = (t + 1) | u) {  // every superset of u
                const int extra = std::popcount(static_cast<unsigned>(t & ~u));
                agreeingExactlyOnU += (extra % 2 ? -1 : 1) * atLeast[static_cast<std::size_t>(t)];
                if (t == subsets - 1) break;
            }
            exact[static_cast<std::size_t>(std::popcount(static_cast<unsigned>(u)))] +=
                agreeingExactlyOnU;
        }
        return exact;
    }

  private:
    static std::size_t code(const int* d, int subset) {
        std::size_t c = 0;
        for (int i = 0; i < 5; ++i) {
            if (subset & (1 << i)) c = c * 10 + static_cast<std::size_t>(d[i]);
        }
        return c;
    }

    int digits_;
    std::vector<std::vector<int32_t>> marginal_;
};

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%", share * 100);
    return text;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The chance words every verdict ends with.
const std::string kShareIsChance =
    "大底的份额就是一注号码落在其中的机会：缩水只决定买哪些号码，不能提高一注的中奖机会";

}  // namespace

FilterVerification verifyFilter(const NumberFilter& filter, const HistorySnapshot& rows,
                                std::optional<int32_t> first, std::optional<int32_t> last) {
    if (first && last && *first > *last) {
        throw InputError("--verify 的范围 " + std::to_string(*first) + ":" + std::to_string(*last) +
                         " 起期大于止期");
    }
    const auto below = [](const HistoryRow& r, int32_t issue) { return r.issue < issue; };
    std::size_t begin =
        first ? static_cast<std::size_t>(std::lower_bound(rows.begin(), rows.end(), *first, below) -
                                         rows.begin())
              : 0;
    const std::size_t end =
        last ? static_cast<std::size_t>(
                   std::lower_bound(rows.begin(), rows.end(), *last + 1, below) - rows.begin())
             : rows.size();
    // The first stored draw has no draw before it to repeat.
    if (filter.needsPrevious() && begin == 0) begin = 1;
    if (begin >= end) {
        throw InputError(
            "--verify 的范围内没有可以验证的期" +
            std::string(filter.needsPrevious() ? "（--repeat 需要目标期之前的一期）" : ""));
    }

    const int digits = gameDigits(filter.game);
    const int total = gameNumbers(filter.game);
    FilterVerification v;
    v.first = rows[begin].issue;
    v.last = rows[end - 1].issue;
    v.targets = static_cast<int64_t>(end - begin);

    // The set without --repeat is the same for every target; its share alone is too.
    std::vector<char> inSet(static_cast<std::size_t>(total), 1);
    std::vector<int64_t> alone(filter.conditions.size(), 0);
    const int zeros[5] = {};
    const FilterCondition* repeat = nullptr;
    int d[5] = {};
    for (int n = 0; n < total; ++n) {
        digitsOf(n, digits, d);
        for (std::size_t c = 0; c < filter.conditions.size(); ++c) {
            const FilterCondition& fc = filter.conditions[c];
            // A repeat's share alone is the same against every previous draw.
            const bool ok = passes(fc, d, digits, zeros);
            alone[c] += ok;
            if (fc.kind != ConditionKind::Repeat && !ok) inSet[static_cast<std::size_t>(n)] = 0;
        }
    }
    int64_t setSize = 0;
    for (char in : inSet) setSize += in;
    for (const FilterCondition& fc : filter.conditions) {
        if (fc.kind == ConditionKind::Repeat) repeat = &fc;
    }
    std::optional<AgreementCounter> agreement;
    if (repeat) agreement.emplace(inSet, digits);

    std::vector<int64_t> kills(filter.conditions.size(), 0);
    std::vector<double> shares;
    shares.reserve(end - begin);
    int prev[5] = {};
    for (std::size_t i = begin; i < end; ++i) {
        for (int k = 0; k < digits; ++k) d[k] = rows[i].digits()[static_cast<std::size_t>(k)];
        if (i > 0) {
            for (int k = 0; k < digits; ++k)
                prev[k] = rows[i - 1].digits()[static_cast<std::size_t>(k)];
        }
        int64_t count = setSize;
        if (repeat) {
            const auto exact = agreement->byAgreement(prev);
            count = 0;
            for (int k = repeat->low; k <= repeat->high; ++k)
                count += exact[static_cast<std::size_t>(k)];
        }
        shares.push_back(static_cast<double>(count) / total);
        bool all = true;
        for (std::size_t c = 0; c < filter.conditions.size(); ++c) {
            if (!passes(filter.conditions[c], d, digits, prev)) {
                ++kills[c];
                all = false;
            }
        }
        v.passes += all;
    }
    double sum = 0;
    for (double s : shares) sum += s;
    v.rate = static_cast<double>(v.passes) / static_cast<double>(v.targets);
    v.sameShare =
        std::all_of(shares.begin(), shares.end(), [&](double s) { return s == shares[0]; });
    // One share for every target is its own mean, without the sum's rounding.
    v.expected = v.sameShare ? shares[0] : sum / static_cast<double>(v.targets);
    v.p = v.sameShare ? binomialTwoSided(v.passes, v.targets, shares[0])
                      : poissonBinomialTwoSided(v.passes, shares);
    for (std::size_t c = 0; c < filter.conditions.size(); ++c) {
        v.conditions.push_back({filter.conditions[c].name, filter.conditions[c].value, kills[c],
                                static_cast<double>(kills[c]) / static_cast<double>(v.targets),
                                static_cast<double>(total - alone[c]) / total});
    }
    v.setting = filterSettingText(filter, v);
    v.commandLine = filterCommandLine(filter, v);
    judgeFilter(v, StudyPlace{});
    return v;
}

std::string filterCommandLine(const NumberFilter& filter, const FilterVerification& v) {
    std::string out = std::string("filter --game ") + gameKey(filter.game);
    for (const FilterCondition& c : filter.conditions) {
        out += " --" + c.name + " " + c.value;
        if (c.kind == ConditionKind::Must) out += " --must-count " + std::to_string(c.mustCount);
    }
    return out + " --verify " + std::to_string(v.first) + ":" + std::to_string(v.last);
}

std::string filterSettingText(const NumberFilter& filter, const FilterVerification& v) {
    std::string out = std::string("filter game=") + gameKey(filter.game);
    for (const FilterCondition& c : filter.conditions) {
        out += " " + c.name + "=" + c.value;
        if (c.kind == ConditionKind::Must) out += " must-count=" + std::to_string(c.mustCount);
    }
    return out + " targets=" + std::to_string(v.first) + "-" + std::to_string(v.last);
}

void judgeFilter(FilterVerification& v, const StudyPlace& place) {
    v.rank = place.rank;
    v.searches = place.searches;
    const StudyJudgement judged = judge(v.p, place);
    v.level = judged.level;
    v.pAdjusted = judged.pAdjusted;
    const std::string range = std::to_string(v.first) + "–" + std::to_string(v.last);
    std::string words = "在 " + range + " 的 " + std::to_string(v.targets) +
                        " 个目标期中，开奖号码有 " + std::to_string(v.passes) + " 期落在大底里（" +
                        percent(v.rate) + "），按大底的份额应约 " +
                        number(v.expected * static_cast<double>(v.targets)) + " 期（" +
                        percent(v.expected) + "）：";
    if (v.rate > v.expected) {
        words += "比份额多";
    } else if (v.rate < v.expected) {
        words += "比份额少";
    } else {
        words += "与份额相同";
    }
    if (!place.counted()) {
        words += "（" + pValueText(v.p) + "，" + kNotCounted + "）";
    } else {
        words += (judged.reliable() ? "，差别超出了偶然（" : "，差别在偶然之内（") +
                 studyRuleText(v.p, v.rank) + "）";
    }
    v.verdict = words + "。" + kPastOnly + "；" + kShareIsChance + "。";
}

FilterVerification verifyFilterInStudy(const NumberFilter& filter, const HistorySnapshot& rows,
                                       std::optional<int32_t> first, std::optional<int32_t> last,
                                       const std::filesystem::path& dataFolder) {
    // Refusals come first: a verification that could not run tested nothing.
    FilterVerification v = verifyFilter(filter, rows, first, last);
    StudyLog study(dataFolder);
    const StudyCount counted = countInStudy(study, StudySetting{v.setting, v.commandLine});
    judgeFilter(v, counted.place);
    v.warning = counted.warning;
    if (const auto kept = keepOutcome(study, counted, v.setting, v.p, v.pAdjusted, v.verdict)) {
        v.warning = kept;
    }
    return v;
}

std::pair<std::optional<int32_t>, std::optional<int32_t>> parseIssueRange(const std::string& text,
                                                                          const std::string& what) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        throw InputError(what + " 需要“起期:止期”，例如 2025001:2025150，而不是“" + text + "”");
    }
    std::optional<int32_t> first;
    std::optional<int32_t> last;
    if (colon > 0) first = parseIssueBound(text.substr(0, colon), what + " 的起期");
    if (colon + 1 < text.size()) last = parseIssueBound(text.substr(colon + 1), what + " 的止期");
    return {first, last};
}

}  // namespace arrange5
