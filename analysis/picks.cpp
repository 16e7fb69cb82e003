#include "analysis/picks.h"

#include <algorithm>
#include <ctime>
#include <map>

#include "analysis/chance.h"
#include "analysis/plays.h"
#include "store/errors.h"
#include "store/history_store.h"
#include "store/next_issue.h"
#include "store/number_text.h"

namespace arrange5 {

namespace {

constexpr int kMostMultiple = 99;

int digitsOfPlay(const std::string& play) {
    if (play == "p5") return 5;
    if (play == "p3" || play == "p3-group") return 3;
    throw InputError("--play 只能是 p5、p3 或 p3-group，而不是“" + play + "”");
}

// Every order of the three digits that a 组选 bet wins with, each once.
std::vector<std::string> ordersOf(std::string number) {
    std::sort(number.begin(), number.end());
    std::vector<std::string> out;
    do {
        out.push_back(number);
    } while (std::next_permutation(number.begin(), number.end()));
    return out;
}

}  // namespace

std::string utcTimeText(std::chrono::system_clock::time_point time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string prizePlayOf(const std::string& play, const std::string& number) {
    if (play != "p3-group") return play;
    const bool pair = number[0] == number[1] || number[1] == number[2] || number[0] == number[2];
    return pair ? "p3-group3" : "p3-group6";
}

PickEntry addPick(HistoryStore& store, const PickRequest& request,
                  std::chrono::system_clock::time_point now) {
    const int digits = digitsOfPlay(request.play);
    if (request.numbers.empty()) throw InputError("pick add 需要至少一个号码");
    for (const std::string& n : request.numbers) {
        const bool ok =
            static_cast<int>(n.size()) == digits &&
            std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!ok) {
            throw InputError("“" + n + "”不是" +
                             (digits == 5 ? "排列五的号码（五个数字，例如 01234）"
                                          : "排列三的号码（三个数字，例如 012）"));
        }
        if (request.play == "p3-group" && n[0] == n[1] && n[1] == n[2]) {
            throw InputError("“" + n + "”三个数字相同，没有组选玩法；请用 --play p3");
        }
    }
    if (request.multiple < 1 || request.multiple > kMostMultiple) {
        throw InputError("--multiple 应在 1 到 " + std::to_string(kMostMultiple) + " 之间");
    }
    PickEntry entry;
    if (request.issue) {
        if (!isValidIssue(*request.issue)) {
            throw InputError("--issue " + std::to_string(*request.issue) +
                             " 不是期号（七位数，例如 2026175）");
        }
        entry.issue = *request.issue;
    } else {
        const auto& rows = store.rows();
        if (rows.empty()) throw InputError("历史号码是空的，无法推算下一期：请用 --issue 给出期号");
        entry.issue = nextIssue(rows.back().issue, request.todayYear);
    }
    entry.play = request.play;
    entry.numbers = request.numbers;
    entry.multiple = request.multiple;
    entry.madeAt = utcTimeText(now);
    return appendPickEntry(store, std::move(entry));
}

PickEntry withdrawPick(HistoryStore& store, int64_t id, std::chrono::system_clock::time_point now) {
    const auto journal = readPickJournal(store);
    const auto pick = std::find_if(journal.begin(), journal.end(), [id](const PickEntry& e) {
        return e.id == id && !e.isWithdrawal();
    });
    if (pick == journal.end()) throw InputError("没有编号为 " + std::to_string(id) + " 的预选");
    PickEntry entry;
    entry.issue = pick->issue;
    entry.play = pick->play;
    entry.multiple = 0;
    entry.madeAt = utcTimeText(now);
    entry.withdraws = id;
    return appendPickEntry(store, std::move(entry));
}

double chanceOfPrizeAtLeast(const std::vector<const PickEntry*>& checked, int64_t won) {
    if (won <= 0) return 1.0;
    std::map<int32_t, std::vector<const PickEntry*>> byIssue;
    for (const PickEntry* e : checked) byIssue[e->issue].push_back(e);
    // The distribution of the total so far; totals of `won` or more are one bucket.
    std::map<int64_t, double> total = {{0, 1.0}};
    std::vector<int64_t> prizeOfDraw(100000);
    for (const auto& [issue, entries] : byIssue) {
        std::fill(prizeOfDraw.begin(), prizeOfDraw.end(), 0);
        for (const PickEntry* e : entries) {
            for (const std::string& n : e->numbers) {
                const int64_t prize =
                    static_cast<int64_t>(playOdds(prizePlayOf(e->play, n)).prize) * e->multiple;
                if (e->play == "p5") {
                    prizeOfDraw[static_cast<std::size_t>(std::stoi(n))] += prize;
                    continue;
                }
                const std::vector<std::string> orders =
                    e->play == "p3" ? std::vector<std::string>{n} : ordersOf(n);
                for (const std::string& o : orders) {
                    const int first = std::stoi(o) * 100;  // every draw starting with these three
                    for (int rest = 0; rest < 100; ++rest) {
                        prizeOfDraw[static_cast<std::size_t>(first + rest)] += prize;
                    }
                }
            }
        }
        std::map<int64_t, double> issueChance;
        for (int64_t p : prizeOfDraw) issueChance[p] += 1.0 / 100000;
        std::map<int64_t, double> next;
        for (const auto& [sum, chance] : total) {
            for (const auto& [p, c] : issueChance) next[std::min(won, sum + p)] += chance * c;
        }
        total = std::move(next);
    }
    return std::min(1.0, total[won]);
}

PickReport checkPicks(const std::vector<PickEntry>& journal, const PickChain& chain,
                      const HistorySnapshot& rows) {
    PickReport report;
    report.chain = chain;
    std::map<int64_t, bool> withdrawn;
    for (const PickEntry& e : journal) {
        if (e.withdraws) withdrawn[*e.withdraws] = true;
    }
    const auto below = [](const HistoryRow& r, int32_t issue) { return r.issue < issue; };
    std::vector<const PickEntry*> checked;
    for (const PickEntry& e : journal) {
        CheckedPick c;
        c.entry = e;
        if (e.isWithdrawal() || withdrawn.count(e.id)) {
            c.status = "withdrawn";
            if (!e.isWithdrawal()) {
                c.bets = static_cast<int64_t>(e.numbers.size());
                c.cost =
                    kBetPrice * c.bets * e.multiple;  // what it would have cost; not in the totals
            }
            report.entries.push_back(std::move(c));
            continue;
        }
        c.bets = static_cast<int64_t>(e.numbers.size());
        c.cost = kBetPrice * c.bets * e.multiple;
        const auto row = std::lower_bound(rows.begin(), rows.end(), e.issue, below);
        if (row == rows.end() || row->issue != e.issue) {
            c.status = "pending";
            ++report.pending;
            report.entries.push_back(std::move(c));
            continue;
        }
        std::string draw;
        for (int16_t d : row->digits()) draw += static_cast<char>('0' + d);
        if (e.play != "p5") draw.resize(3);
        c.drawn = draw;
        std::string sortedDraw = draw;
        std::sort(sortedDraw.begin(), sortedDraw.end());
        for (const std::string& n : e.numbers) {
            std::string sorted = n;
            std::sort(sorted.begin(), sorted.end());
            const bool wins = e.play == "p3-group" ? sorted == sortedDraw : n == draw;
            if (!wins) continue;
            c.winning.push_back(n);
            c.prize += static_cast<int64_t>(playOdds(prizePlayOf(e.play, n)).prize) * e.multiple;
        }
        c.status = c.prize > 0 ? "won" : "lost";
        report.cost += c.cost;
        report.prize += c.prize;
        checked.push_back(&e);
        report.entries.push_back(std::move(c));
    }
    if (report.cost > 0) {
        report.returnRate = static_cast<double>(report.prize) / static_cast<double>(report.cost);
        report.pPrize = chanceOfPrizeAtLeast(checked, report.prize);
    }
    std::string words;
    if (!report.pPrize) {
        words = "还没有已开奖的预选可以核对";
    } else {
        words = "已开奖的预选共花费 " + std::to_string(report.cost) + " 元，中奖 " +
                std::to_string(report.prize) + " 元；公平开奖下总奖金至少这么多的机会是 " +
                formatPValue(*report.pPrize) +
                (*report.pPrize < kSignificanceLevel ? "，以偶然而论少见" : "，在偶然之内") +
                "。各玩法平均只返还投注额的 50%–52%";
    }
    if (report.pending > 0) words += "；另有 " + std::to_string(report.pending) + " 条等待开奖";
    if (!chain.intact) words = chain.problem + "；" + words;
    report.verdict = words;
    return report;
}

}  // namespace arrange5
