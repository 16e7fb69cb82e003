// The filter, its verification and the pick journal's prizes against a small model written
// apart from them: numbers as text, every condition a loop over the characters, shares and
// p-values by brute enumeration. Conditions, histories and picks are drawn at random.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "analysis/filter_verification.h"
#include "analysis/number_filter.h"
#include "analysis/picks.h"
#include "store/errors.h"

namespace arrange5 {
namespace {

// ---- the model ---------------------------------------------------------------------------

struct ModelCondition {
    std::string name;
    std::string value;
};

int countIf(const std::string& n, const std::string& digits) {
    return static_cast<int>(std::count_if(
        n.begin(), n.end(), [&](char c) { return digits.find(c) != std::string::npos; }));
}

bool inRange(int v, const std::string& range) {
    const auto colon = range.find(':');
    return v >= std::stoi(range.substr(0, colon)) && v <= std::stoi(range.substr(colon + 1));
}

std::string formName(const std::string& n) {
    std::map<char, int> seen;
    for (char c : n) ++seen[c];
    std::vector<int> m;
    for (auto& [c, k] : seen) m.push_back(k);
    std::sort(m.rbegin(), m.rend());
    if (n.size() == 3) return m[0] == 1 ? "组六" : m[0] == 2 ? "组三" : "豹子";
    if (m[0] == 1) return "全不同";
    if (m[0] == 2) return m[1] == 2 ? "两对" : "一对";
    if (m[0] == 3) return m[1] == 2 ? "三带二" : "三条";
    return m[0] == 4 ? "四条" : "五同";
}

bool modelPasses(const ModelCondition& c, const std::string& n, const std::string& must_count,
                 const std::string& previous) {
    const std::string& v = c.value;
    if (c.name.rfind("pos", 0) == 0) return v.find(n[c.name[3] - '1']) != std::string::npos;
    if (c.name == "must") {
        int have = 0;
        for (char d : std::set<char>(v.begin(), v.end())) have += n.find(d) != std::string::npos;
        return have >= (must_count.empty()
                            ? static_cast<int>(std::set<char>(v.begin(), v.end()).size())
                            : std::stoi(must_count));
    }
    if (c.name == "kill") return countIf(n, v) == 0;
    if (c.name == "sum") {
        int s = 0;
        for (char d : n) s += d - '0';
        return inRange(s, v);
    }
    if (c.name == "span")
        return inRange(
            *std::max_element(n.begin(), n.end()) - *std::min_element(n.begin(), n.end()), v);
    if (c.name == "big") return inRange(countIf(n, "56789"), v);
    if (c.name == "odd") return inRange(countIf(n, "13579"), v);
    if (c.name == "prime") return inRange(countIf(n, "2357"), v);
    if (c.name == "road") {
        const std::string mine = std::to_string(countIf(n, "0369")) + ":" +
                                 std::to_string(countIf(n, "147")) + ":" +
                                 std::to_string(countIf(n, "258"));
        return ("," + v + ",").find("," + mine + ",") != std::string::npos;
    }
    if (c.name == "form") return ("," + v + ",").find("," + formName(n) + ",") != std::string::npos;
    if (c.name == "repeat") {
        int same = 0;
        for (std::size_t i = 0; i < n.size(); ++i) same += n[i] == previous[i];
        return inRange(same, v);
    }
    if (c.name == "consecutive") {
        int pairs = 0;
        for (char d = '0'; d < '9'; ++d) {
            pairs += n.find(d) != std::string::npos &&
                     n.find(static_cast<char>(d + 1)) != std::string::npos;
        }
        return inRange(pairs, v);
    }
    ADD_FAILURE() << "unknown condition " << c.name;
    return false;
}

std::string asText(int n, int digits) {
    std::string s = std::to_string(n);
    return std::string(static_cast<std::size_t>(digits) - s.size(), '0') + s;
}

// A random set of conditions that fit the game; `must-count` rides along with must.
std::vector<ModelCondition> randomConditions(std::mt19937& rng, int digits) {
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const auto digitSet = [&] {
        std::string s;
        for (char d = '0'; d <= '9'; ++d) {
            if (pick(0, 2) > 0) s += d;
        }
        return s.empty() ? std::string("7") : s;
    };
    const auto range = [&](int most) {
        int a = pick(0, most);
        int b = pick(0, most);
        return std::to_string(std::min(a, b)) + ":" + std::to_string(std::max(a, b));
    };
    std::vector<ModelCondition> out;
    const auto maybe = [&](const std::string& name, const std::string& value) {
        if (pick(0, 2) == 0) out.push_back({name, value});
    };
    for (int p = 1; p <= digits; ++p) maybe("pos" + std::to_string(p), digitSet());
    if (pick(0, 2) == 0) {
        std::string m;
        for (int i = 0; i < pick(1, 3); ++i) m += static_cast<char>('0' + pick(0, 9));
        out.push_back({"must", m});
        if (pick(0, 1)) out.push_back({"must-count", "1"});
    }
    maybe("kill", std::string(1, static_cast<char>('0' + pick(0, 9))));
    maybe("sum", range(9 * digits));
    maybe("span", range(9));
    maybe("big", range(digits));
    maybe("odd", range(digits));
    maybe("prime", range(digits));
    {
        const int a = pick(0, digits);
        const int b = pick(0, digits - a);
        maybe("road", std::to_string(a) + ":" + std::to_string(b) + ":" +
                          std::to_string(digits - a - b) + "," + std::to_string(digits - a) + ":" +
                          std::to_string(a) + ":0");
    }
    maybe("form", digits == 5 ? (pick(0, 1) ? "一对,全不同" : "两对,三条,三带二")
                              : (pick(0, 1) ? "组六" : "组三,豹子"));
    maybe("repeat", range(digits));
    maybe("consecutive", range(digits - 1));
    return out;
}

HistorySnapshot randomHistory(std::mt19937& rng, int draws) {
    HistorySnapshot rows;
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < draws; ++i) {
        Digits d{};
        for (auto& x : d) x = static_cast<int16_t>(digit(rng));
        rows.push_back({2020001 + i, deriveCodes(d, 1)});
    }
    return rows;
}

std::string drawText(const HistoryRow& row, int digits) {
    std::string s;
    for (int i = 0; i < digits; ++i)
        s += static_cast<char>('0' + row.digits()[static_cast<std::size_t>(i)]);
    return s;
}

std::vector<ConditionInput> inputsOf(const std::vector<ModelCondition>& conditions) {
    std::vector<ConditionInput> in;
    for (const auto& c : conditions) in.push_back({c.name, c.value});
    return in;
}

struct ModelVerdict {
    int64_t count = 0;
    std::vector<int64_t> alone;  // per condition except must-count
};

ModelVerdict modelCount(const std::vector<ModelCondition>& conditions, int digits,
                        const std::string& previous, std::vector<std::string>* list = nullptr) {
    std::string mustCount;
    std::vector<ModelCondition> real;
    for (const auto& c : conditions) {
        if (c.name == "must-count") {
            mustCount = c.value;
        } else {
            real.push_back(c);
        }
    }
    ModelVerdict v;
    v.alone.assign(real.size(), 0);
    const int total = digits == 5 ? 100000 : 1000;
    for (int i = 0; i < total; ++i) {
        const std::string n = asText(i, digits);
        bool all = true;
        for (std::size_t c = 0; c < real.size(); ++c) {
            const bool ok = modelPasses(real[c], n, mustCount, previous);
            v.alone[c] += ok;
            all = all && ok;
        }
        if (all) {
            ++v.count;
            if (list) list->push_back(n);
        }
    }
    return v;
}

// ---- the comparisons -----------------------------------------------------------------------

TEST(PicksModel, FilterCountsSharesAndListsOnRandomConditions) {
    std::mt19937 rng(20261209);
    const HistorySnapshot rows = randomHistory(rng, 3);
    for (int round = 0; round < 24; ++round) {
        const int digits = round % 3 == 0 ? 3 : 5;
        const std::string game = digits == 5 ? "p5" : "p3";
        const auto conditions = randomConditions(rng, digits);
        SCOPED_TRACE(round);
        const FilterResult r = runFilter(parseFilter(game, inputsOf(conditions)), rows);
        std::vector<std::string> list;
        const ModelVerdict m = modelCount(conditions, digits, drawText(rows.back(), digits), &list);
        ASSERT_EQ(r.count, m.count);
        EXPECT_DOUBLE_EQ(r.share, static_cast<double>(m.count) / (digits == 5 ? 1e5 : 1e3));
        std::vector<std::string> shown;
        for (int n : r.numbers) shown.push_back(numberText(n, r.game));
        EXPECT_EQ(shown, list);
        // Each condition's own share, in whatever order the answer lists them.
        std::multiset<int64_t> alone(m.alone.begin(), m.alone.end());
        std::multiset<int64_t> given;
        for (const auto& c : r.conditions) given.insert(c.count);
        EXPECT_EQ(given, alone);
    }
}

// The exact two-sided p by enumerating every pass/fail outcome of the targets.
double enumeratedP(const std::vector<double>& shares, int64_t passes) {
    const std::size_t n = shares.size();
    std::vector<double> pmf(n + 1, 0.0);
    for (uint32_t mask = 0; mask < (1u << n); ++mask) {
        double p = 1;
        for (std::size_t i = 0; i < n; ++i) p *= (mask >> i) & 1u ? shares[i] : 1 - shares[i];
        pmf[static_cast<std::size_t>(__builtin_popcount(mask))] += p;
    }
    double sum = 0;
    for (double q : pmf) {
        if (q <= pmf[static_cast<std::size_t>(passes)] * (1 + 1e-7)) sum += q;
    }
    return std::min(1.0, sum);
}

TEST(PicksModel, VerificationTargetByTargetOnRandomHistories) {
    std::mt19937 rng(7);
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        const int digits = round % 2 ? 3 : 5;
        const HistorySnapshot rows = randomHistory(rng, digits == 5 ? 6 : 13);
        auto conditions = randomConditions(rng, digits);
        const bool repeats =
            std::any_of(conditions.begin(), conditions.end(),
                        [](const ModelCondition& c) { return c.name == "repeat"; });
        if (round < 6 && !repeats) conditions.push_back({"repeat", "0:1"});  // shares that differ
        const NumberFilter filter = parseFilter(digits == 5 ? "p5" : "p3", inputsOf(conditions));
        const FilterVerification v = verifyFilter(filter, rows, std::nullopt, std::nullopt);

        std::vector<double> shares;
        int64_t passes = 0;
        const bool needsPrevious = filter.needsPrevious();
        for (std::size_t i = needsPrevious ? 1 : 0; i < rows.size(); ++i) {
            const std::string previous =
                i > 0 ? drawText(rows[i - 1], digits) : std::string(5, '0');
            const ModelVerdict m = modelCount(conditions, digits, previous);
            shares.push_back(static_cast<double>(m.count) / (digits == 5 ? 1e5 : 1e3));
            std::string mustCount;
            for (const auto& c : conditions) {
                if (c.name == "must-count") mustCount = c.value;
            }
            passes +=
                std::all_of(conditions.begin(), conditions.end(), [&](const ModelCondition& c) {
                    return c.name == "must-count" ||
                           modelPasses(c, drawText(rows[i], digits), mustCount, previous);
                });
        }
        ASSERT_EQ(v.targets, static_cast<int64_t>(shares.size()));
        EXPECT_EQ(v.first, rows[needsPrevious ? 1 : 0].issue);
        EXPECT_EQ(v.passes, passes);
        double mean = 0;
        for (double s : shares) mean += s / static_cast<double>(shares.size());
        EXPECT_NEAR(v.expected, mean, 1e-12);
        EXPECT_NEAR(v.p, enumeratedP(shares, passes), 1e-9);
        EXPECT_EQ(v.sameShare, std::all_of(shares.begin(), shares.end(),
                                           [&](double s) { return s == shares[0]; }));
    }
}

TEST(PicksModel, TheStudyRuleAndTheVerdictWords) {
    FilterVerification v;
    v.first = 2020002;
    v.last = 2020013;
    v.targets = 12;
    v.passes = 2;
    v.rate = 2.0 / 12;
    v.expected = 0.5;
    v.p = 0.0386;
    judgeFilter(v, StudyPlace{1, 1});  // 0.0386 × 2 = 0.0772: not below 0.05
    EXPECT_DOUBLE_EQ(*v.pAdjusted, 0.0772);
    EXPECT_DOUBLE_EQ(*v.level, 0.025);
    EXPECT_NE(v.verdict.find("比份额少，差别在偶然之内"), std::string::npos) << v.verdict;
    EXPECT_NE(v.verdict.find("不能提高一注的中奖机会"), std::string::npos);
    v.p = 0.004;
    judgeFilter(v, StudyPlace{3, 5});  // 0.004 × 12
    EXPECT_DOUBLE_EQ(*v.pAdjusted, 0.048);
    EXPECT_NE(v.verdict.find("差别超出了偶然"), std::string::npos) << v.verdict;
    EXPECT_EQ(v.searches, 5);
    judgeFilter(v, StudyPlace{});  // the study log could not be read: nothing is judged
    EXPECT_FALSE(v.pAdjusted.has_value());
    EXPECT_NE(v.verdict.find(kNotCounted), std::string::npos) << v.verdict;
}

TEST(PicksModel, RefusalsNameTheCondition) {
    const struct {
        const char* game;
        std::vector<ConditionInput> in;
        const char* named;
    } cases[] = {
        {"p3", {{"pos4", "1"}}, "--pos4"},
        {"p3", {{"form", "一对"}}, "--form"},
        {"p5", {{"form", "组六"}}, "--form"},
        {"p5", {{"kill", ""}}, "--kill"},
        {"p5", {{"pos1", "1a"}}, "--pos1"},
        {"p5", {{"sum", "30:20"}}, "--sum"},
        {"p5", {{"span", "0:10"}}, "--span"},
        {"p3", {{"big", "0:4"}}, "--big"},
        {"p5", {{"road", "1:1:1"}}, "--road"},
        {"p5", {{"must-count", "2"}}, "--must-count"},
        {"p5", {{"must", "12"}, {"must-count", "3"}}, "--must-count"},
        {"p5", {{"must", "012345"}}, "--must"},
        {"p7", {}, "--game"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        try {
            parseFilter(c.game, c.in);
            ADD_FAILURE() << "accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

// ---- picks ---------------------------------------------------------------------------------

int64_t modelPrize(const std::string& play, const std::string& n, const std::string& draw5) {
    const std::string draw3 = draw5.substr(0, 3);
    if (play == "p5") return n == draw5 ? 100000 : 0;
    if (play == "p3") return n == draw3 ? 1040 : 0;
    std::string a = n;
    std::string b = draw3;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b) return 0;
    return std::set<char>(n.begin(), n.end()).size() == 2 ? 346 : 173;
}

TEST(PicksModel, PrizesTotalsAndTheChanceOfThePrizeOnRandomPicks) {
    std::mt19937 rng(38);
    std::uniform_int_distribution<int> digit(0, 9);
    const HistorySnapshot rows = randomHistory(rng, 2);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        // p3 plays on both stored issues (so that the model can enumerate both draws), the
        // drawn numbers among them often enough to win.
        std::vector<PickEntry> journal;
        for (int issue = 0; issue < 2; ++issue) {
            for (const std::string play : {"p3", "p3-group"}) {
                PickEntry e;
                e.id = static_cast<int64_t>(journal.size()) + 1;
                e.issue = rows[static_cast<std::size_t>(issue)].issue;
                e.play = play;
                e.multiple = 1 + digit(rng) % 3;
                for (int k = 0; k < 1 + digit(rng) % 3; ++k) {
                    std::string n =
                        digit(rng) < 4 ? drawText(rows[static_cast<std::size_t>(issue)], 3) : "";
                    while (n.size() < 3) n += static_cast<char>('0' + digit(rng));
                    if (play == "p3-group") {
                        std::shuffle(n.begin(), n.end(), rng);
                        if (n[0] == n[1] && n[1] == n[2])
                            n[2] = static_cast<char>('0' + (n[2] - '0' + 1) % 10);
                    }
                    e.numbers.push_back(n);
                }
                journal.push_back(e);
            }
        }
        const PickReport r = checkPicks(journal, PickChain{}, rows);
        int64_t cost = 0;
        int64_t prize = 0;
        for (std::size_t i = 0; i < journal.size(); ++i) {
            const PickEntry& e = journal[i];
            const std::string draw = drawText(rows[e.issue == rows[0].issue ? 0 : 1], 5);
            int64_t p = 0;
            for (const auto& n : e.numbers) p += modelPrize(e.play, n, draw) * e.multiple;
            EXPECT_EQ(r.entries[i].prize, p);
            EXPECT_EQ(r.entries[i].status, p > 0 ? "won" : "lost");
            EXPECT_EQ(r.entries[i].cost, 2 * static_cast<int64_t>(e.numbers.size()) * e.multiple);
            cost += r.entries[i].cost;
            prize += p;
        }
        EXPECT_EQ(r.cost, cost);
        EXPECT_EQ(r.prize, prize);
        // Every pair of first-three digits the two issues could show.
        std::vector<int64_t> byDraw[2];
        for (int issue = 0; issue < 2; ++issue) {
            for (int a = 0; a < 1000; ++a) {
                int64_t total = 0;
                for (const PickEntry& e : journal) {
                    if (e.issue != rows[static_cast<std::size_t>(issue)].issue) continue;
                    for (const auto& n : e.numbers) {
                        total += modelPrize(e.play, n, asText(a, 3) + "00") * e.multiple;
                    }
                }
                byDraw[issue].push_back(total);
            }
        }
        int64_t reaching = 0;
        for (int64_t a : byDraw[0]) {
            for (int64_t b : byDraw[1]) reaching += a + b >= prize;
        }
        const double atLeast = static_cast<double>(reaching) / 1e6;
        ASSERT_TRUE(r.pPrize.has_value());
        EXPECT_NEAR(*r.pPrize, std::min(1.0, atLeast), 1e-9);
    }
}

}  // namespace
}  // namespace arrange5
