#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "acquire/history_digest.h"
#include "analysis/search_form.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/output.h"
#include "cli/parse_messages.h"
#include "cli/search_options.h"
#include "store/errors.h"
#include "store/limits.h"
#include "store/number_text.h"

namespace arrange5::cli {

namespace {

struct BacktestOptions {
    SearchOptions search;
    std::string targets;
    int top = 1;
};

// "A:B" with both bounds, or one of them left out ("A:" or ":B").
struct Targets {
    std::optional<int32_t> first;
    std::optional<int32_t> last;
};
Targets parseTargets(const std::string& text) {
    Targets targets;
    if (text.empty()) return targets;
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        throw InputError("--targets 需要“起期:止期”，例如 2025001:2025150");
    }
    const std::string first = text.substr(0, colon);
    const std::string last = text.substr(colon + 1);
    if (!first.empty()) targets.first = parseIssueField(first, "--targets 的起期");
    if (!last.empty()) targets.last = parseIssueField(last, "--targets 的止期");
    return targets;
}

nlohmann::ordered_json targetJson(const TargetResult& t) {
    nlohmann::ordered_json out;
    out["issue"] = t.issue;
    out["reference"] = orNull(t.reference);
    out["hits"] = t.hits;
    out["ranking"] = t.ranking;
    out["actual"] = t.actual;
    auto ranks = nlohmann::ordered_json::array();
    for (int r : t.rank) ranks.push_back(r > 0 ? nlohmann::ordered_json(r) : nullptr);
    out["rank"] = std::move(ranks);
    out["hit"] = t.hit;
    return out;
}

nlohmann::ordered_json summaryJson(const BacktestSummary& s) {
    nlohmann::ordered_json out;
    out["scored"] = s.scored;
    out["hits"] = s.hits;
    out["rate"] = s.rate;
    out["chance"] = s.chance;
    out["low"] = s.low;
    out["high"] = s.high;
    out["p"] = orNull(s.p);
    out["rank"] = rankJson(s.rank);
    out["searches"] = s.searches;
    out["level"] = orNull(s.level);
    out["p_adjusted"] = orNull(s.pAdjusted);
    out["baseline"] = {{"hits", s.baselineHits}, {"rate", s.baselineRate}};
    out["p_baseline"] = orNull(s.pBaseline);
    out["p_baseline_adjusted"] = orNull(s.pBaselineAdjusted);
    out["mean_rank"] = s.meanRank;
    out["chance_mean_rank"] = s.chanceMeanRank;
    out["no_answer"] = s.noAnswer;
    auto years = nlohmann::ordered_json::array();
    for (const YearSummary& y : s.byYear) {
        years.push_back({{"year", y.year}, {"scored", y.scored}, {"hits", y.hits}});
    }
    out["by_year"] = std::move(years);
    out["verdict"] = s.verdict;
    return out;
}

std::string pText(const nlohmann::ordered_json& p) {
    return p.is_number() ? formatPValue(p.get<double>()) : "—";
}

// The verification for a reader: its setting, the hit rate beside chance and beside the
// ranking without a pattern, the years, the verdict. The targets one by one are the JSON's.
void writeText(std::ostream& out, const std::string& setting, const BacktestResult& result,
               const nlohmann::ordered_json& s) {
    out << setting << "\n";
    const std::size_t targets = result.targets.size();
    out << "目标 " << targets << " 期";
    if (targets > 0) {
        out << "（" << result.targets.front().issue << " 至 " << result.targets.back().issue
            << " 期）";
    }
    out << "，计分 " << s["scored"] << " 次（检索没有命中的 " << s["no_answer"] << " 期不计分）\n";
    out << "命中 " << s["hits"] << " 次，命中率 " << percentText(s["rate"].get<double>())
        << "（95% 区间 " << percentText(s["low"].get<double>()) << "–"
        << percentText(s["high"].get<double>()) << "），随机机会 "
        << percentText(s["chance"].get<double>()) << "，p = " << pText(s["p"])
        << "，校正后 p = " << pText(s["p_adjusted"]) << "\n";
    out << "不看形态的排名命中 " << s["baseline"]["hits"] << " 次（"
        << percentText(s["baseline"]["rate"].get<double>())
        << "），两者相比 p = " << pText(s["p_baseline"]) << "\n";
    out << "平均名次 " << fixed(s["mean_rank"].get<double>(), 2) << "，随机时 "
        << fixed(s["chance_mean_rank"].get<double>(), 1) << "\n";
    TextTable years({"年份", "计分", "命中"});
    for (const auto& y : s["by_year"]) {
        years.add({y["year"].dump(), y["scored"].dump(), y["hits"].dump()});
    }
    years.print(out);
    out << s["verdict"].get<std::string>() << "\n";
}

void runCommand(CliContext& ctx, const BacktestOptions& o, bool combination) {
    const SearchForm form = searchForm(ctx, o.search, combination);
    form.requireWalkForwardOptions();
    const Targets targets = parseTargets(o.targets);
    const HistorySnapshot& rows = ctx.readingStore().rows();
    StudyLog study(ctx.dataFolder());
    const PlannedBacktest plan = form.planBacktest(rows, targets.first, targets.last, o.top, study);
    if (plan.study.warning) ctx.warn(*plan.study.warning);
    const BacktestResult result = runBacktest(rows, plan.request);
    if (const auto warning = keepBacktestOutcome(study, plan, result)) ctx.warn(*warning);

    const nlohmann::ordered_json summaryObject = summaryJson(result.summary);
    if (ctx.format == OutputFormat::Text) {
        writeText(ctx.out, plan.setting.commandLine, result, summaryObject);
        return;
    }
    // Written target by target: the whole document for every issue is large.
    std::ostream& out = ctx.out;
    out << "{\"setting\":" << nlohmann::json(plan.setting.commandLine).dump() << ",\"targets\":[";
    for (std::size_t i = 0; i < result.targets.size(); ++i) {
        if (i > 0) out << ',';
        out << targetJson(result.targets[i]).dump();
    }
    out << "],\"summary\":" << summaryObject.dump()
        << ",\"sha256\":" << nlohmann::json(historyDigest(rows)).dump() << "}\n";
}

// No --ref, --verify or --from/--to: each target's reference is the draw before it and its
// range runs from the default start to the issue before it.
void addOptions(CLI::App* cmd, BacktestOptions& o, bool tickedPositions) {
    addSearchOptions(cmd, o.search,
                     {.tickedPositions = tickedPositions, .referenceAndRange = false});
    cmd->add_option("--targets", o.targets, "目标期数范围 A:B（默认：默认起期之后的每一期）")
        ->check(decimalIssueRange());
    // The backtest narrows the range to the outcomes of the result kind.
    cmd->add_option("--top", o.top, "前 m 名算命中（默认 1）")->transform(decimalNumber(1, 9));
}

}  // namespace

void addBacktestCommands(CLI::App& app, CliContext& ctx) {
    auto* backtest = app.add_subcommand("backtest", "滚动验证：逐期检验一个检索设置的排名第一");
    backtest->require_subcommand(1);
    backtest->footer(
        "每个目标期的参考号码取自它之前的开奖号码，检索范围是默认起期到它的前一期，"
        "所以没有 --ref、--verify、--from、--to。\n"
        "例：\n  arrange5-cli backtest search --positions 1 --targets 2025001:2025350 "
        "--format text\n\n");

    auto single = std::make_shared<BacktestOptions>();
    auto* search = backtest->add_subcommand("search", "按检索（跟随形态）逐期验证");
    addOptions(search, *single, true);
    setExamples(search, {"arrange5-cli backtest search --positions 1 --targets 2025001:2025350 "
                         "--format text"});
    search->callback([&ctx, single] { runCommand(ctx, *single, false); });

    auto combination = std::make_shared<BacktestOptions>();
    auto* combo = backtest->add_subcommand("combo", "按组合检索逐期验证");
    combo->add_option("--k", combination->search.k, "组合位数（1 到 5）")
        ->required()
        ->transform(decimalNumber(1, limits::kPositions));
    addOptions(combo, *combination, false);
    setExamples(combo,
                {"arrange5-cli backtest combo --k 2 --top 3 --targets 2026001: --format text"});
    combo->callback([&ctx, combination] { runCommand(ctx, *combination, true); });
}

}  // namespace arrange5::cli
