#include <CLI/CLI.hpp>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/picks.h"
#include "analysis/plays.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/output.h"
#include "cli/parse_messages.h"
#include "store/errors.h"
#include "store/next_issue.h"
#include "store/number_text.h"

namespace arrange5::cli {

namespace {

struct AddOptions {
    std::vector<std::string> numbers;
    std::string play = "p5";
    std::string issue;
    int multiple = 1;
    std::string today;
};

nlohmann::ordered_json entryJson(const CheckedPick& c) {
    const PickEntry& e = c.entry;
    nlohmann::ordered_json out;
    out["id"] = e.id;
    out["issue"] = e.issue;
    out["play"] = e.play;
    out["numbers"] = e.numbers;
    out["multiple"] = e.multiple;
    out["bets"] = c.bets;
    out["cost"] = c.cost;
    out["status"] = c.status;
    out["drawn"] = orNull(c.drawn);
    out["winning"] = c.winning;
    out["prize"] = c.prize;
    out["made_at"] = e.madeAt;
    if (e.withdraws) out["withdraws"] = *e.withdraws;
    out["seal"] = e.seal;
    return out;
}

nlohmann::ordered_json reportJson(const PickReport& r) {
    nlohmann::ordered_json out;
    auto entries = nlohmann::ordered_json::array();
    for (const CheckedPick& c : r.entries) entries.push_back(entryJson(c));
    out["entries"] = std::move(entries);
    out["totals"] = {{"cost", r.cost},
                     {"prize", r.prize},
                     {"return_rate", orNull(r.returnRate)},
                     {"pending", r.pending}};
    nlohmann::ordered_json expected;
    for (const PlayOdds& play : playTable()) expected[play.key] = play.expectedReturn();
    out["expected_return"] = std::move(expected);
    out["p_prize"] = orNull(r.pPrize);
    out["chain"] = {{"intact", r.chain.intact}, {"broken_at", orNull(r.chain.brokenAt)}};
    out["verdict"] = r.verdict;
    return out;
}

void printEntryText(std::ostream& out, const CheckedPick& c) {
    const PickEntry& e = c.entry;
    out << e.id << "  " << e.issue << "  " << e.play << "  ";
    if (e.withdraws) {
        out << "撤回第 " << *e.withdraws << " 条";
    } else {
        for (const auto& n : e.numbers) out << n << ' ';
        out << "×" << e.multiple << "  " << c.cost << " 元";
    }
    out << "  " << c.status;
    if (c.drawn) out << "  开奖 " << *c.drawn << "  奖金 " << c.prize << " 元";
    out << "  " << e.madeAt << "\n";
}

// The journal with its prizes; a broken chain is also the command's failure.
void report(CliContext& ctx, bool withTotals) {
    HistoryStore& store = ctx.readingStore();
    const auto journal = readPickJournal(store);
    const PickChain chain = checkPickChain(store, journal);
    const PickReport r = checkPicks(journal, chain, store.rows());
    if (ctx.format == OutputFormat::Text) {
        for (const CheckedPick& c : r.entries) printEntryText(ctx.out, c);
        if (withTotals) ctx.out << r.verdict << "\n";
    } else {
        ctx.out << reportJson(r).dump() << "\n";
    }
    // Only the check fails on a broken chain; the list still shows what is there.
    if (withTotals && !chain.intact) throw StoreError(chain.problem);
}

std::optional<int> todayYear(const std::string& today) {
    if (today.empty()) return systemYear();
    const auto year = yearOfIsoDate(today);
    if (!year) throw InputError("--today 需要 YYYY-MM-DD 形式的日期，而不是“" + today + "”");
    return year;
}

}  // namespace

void addPickCommands(CLI::App& app, CliContext& ctx) {
    auto* pick = app.add_subcommand("pick", "预选记录：开奖前封存的预选号码，开奖后核对奖金");
    pick->require_subcommand(1);

    auto o = std::make_shared<AddOptions>();
    auto* add = pick->add_subcommand("add", "记下一注或几注预选（只能记在尚未开奖的期）");
    add->add_option("NUMBER", o->numbers, "号码：排列五五个数字，排列三三个数字")->required();
    add->add_option("--play", o->play, "玩法：p5（默认）、p3 或 p3-group（组选）");
    add->add_option("--issue", o->issue, "期号（默认：按日历推算的下一期）")
        ->transform(decimalNumber(0, kLargestIssue));
    add->add_option("--multiple", o->multiple, "倍数，1 到 99（默认 1）");
    add->add_option("--today", o->today, "当前日期，YYYY-MM-DD（决定下一期）");
    setExamples(add, {"arrange5-cli pick add 12345 67890 --multiple 2",
                      "arrange5-cli pick add 123 --play p3-group"});
    add->callback([&ctx, o] {
        PickRequest request;
        request.numbers = o->numbers;
        request.play = o->play;
        request.multiple = o->multiple;
        request.todayYear = todayYear(o->today);
        if (!o->issue.empty()) request.issue = parseIssueField(o->issue, "--issue");
        HistoryStore& store = ctx.readingStore();
        const PickEntry e = addPick(store, request, std::chrono::system_clock::now());
        if (ctx.format == OutputFormat::Text) {
            ctx.out << "已记下预选第 " << e.id << " 条：第 " << e.issue << " 期 " << e.play << "\n";
        } else {
            CheckedPick c;
            c.entry = e;
            c.bets = static_cast<int64_t>(e.numbers.size());
            c.cost = kBetPrice * c.bets * e.multiple;
            c.status = "pending";
            ctx.out << entryJson(c).dump() << "\n";
        }
    });

    auto id = std::make_shared<std::string>();
    auto* withdraw = pick->add_subcommand("withdraw", "开奖前撤回一条预选（记为新的一条）");
    withdraw->add_option("ID", *id, "预选的编号")->required();
    setExamples(withdraw, {"arrange5-cli pick withdraw 3"});
    withdraw->callback([&ctx, id] {
        const int64_t which = parseNumberArgument(*id, "预选的编号");
        const PickEntry e =
            withdrawPick(ctx.readingStore(), which, std::chrono::system_clock::now());
        if (ctx.format == OutputFormat::Text) {
            ctx.out << "已撤回预选第 " << which << " 条（第 " << e.id << " 条记录）\n";
        } else {
            CheckedPick c;
            c.entry = e;
            c.status = "withdrawn";
            ctx.out << entryJson(c).dump() << "\n";
        }
    });

    auto* list = pick->add_subcommand("list", "列出全部预选及其状态");
    setExamples(list, {"arrange5-cli pick list --format text"});
    list->callback([&ctx] { report(ctx, false); });

    auto* check = pick->add_subcommand("check", "核对封记链、开奖号码、奖金和花费");
    setExamples(check, {"arrange5-cli pick check --format text"});
    check->callback([&ctx] { report(ctx, true); });
}

}  // namespace arrange5::cli
