#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/filter_verification.h"
#include "analysis/number_filter.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/output.h"
#include "cli/parse_messages.h"

namespace arrange5::cli {

namespace {

struct FilterOptions {
    std::string game = "p5";
    std::vector<ConditionInput> conditions;
    bool list = false;
    std::string verify;
};

nlohmann::ordered_json verificationJson(const FilterVerification& v) {
    nlohmann::ordered_json out;
    out["first"] = v.first;
    out["last"] = v.last;
    out["targets"] = v.targets;
    out["passes"] = v.passes;
    out["rate"] = v.rate;
    out["expected"] = v.expected;
    out["p"] = v.p;
    out["test"] = v.sameShare ? "binomial" : "poisson-binomial";
    auto conditions = nlohmann::ordered_json::array();
    for (const ConditionKills& c : v.conditions) {
        conditions.push_back({{"name", c.name},
                              {"value", c.value},
                              {"kills", c.kills},
                              {"kill_rate", c.killRate},
                              {"chance_kill", c.chanceKill}});
    }
    out["conditions"] = std::move(conditions);
    out["rank"] = v.rank;
    out["searches"] = v.searches;
    out["level"] = orNull(v.level);
    out["p_adjusted"] = orNull(v.pAdjusted);
    out["verdict"] = v.verdict;
    return out;
}

nlohmann::ordered_json resultJson(const FilterResult& r, bool list) {
    nlohmann::ordered_json out;
    out["game"] = gameKey(r.game);
    auto conditions = nlohmann::ordered_json::array();
    for (const ConditionShare& c : r.conditions) {
        nlohmann::ordered_json one = {{"name", c.name}, {"value", c.value}};
        if (c.name == "must") one["must_count"] = c.mustCount;
        one["count"] = c.count;
        one["share"] = c.share;
        conditions.push_back(std::move(one));
    }
    out["conditions"] = std::move(conditions);
    if (r.previousIssue) out["previous_issue"] = *r.previousIssue;
    out["count"] = r.count;
    out["share"] = r.share;
    if (list) {
        auto numbers = nlohmann::ordered_json::array();
        for (int n : r.numbers) numbers.push_back(numberText(n, r.game));
        out["numbers"] = std::move(numbers);
    }
    return out;
}

void printText(std::ostream& out, const FilterResult& r, const FilterOptions& o,
               const std::optional<FilterVerification>& v) {
    if (o.list) {
        // One number a line and nothing else, for a file or another program.
        std::string text;
        text.reserve(r.numbers.size() * 6);
        for (int n : r.numbers) text += numberText(n, r.game) + "\n";
        out << text;
        return;
    }
    out << gameCaption(r.game) << "：" << r.count << " 个号码，份额 " << r.share << "\n";
    for (const ConditionShare& c : r.conditions) {
        out << "  --" << c.name << " " << c.value << "：单独 " << c.count << " 个，份额 " << c.share
            << "\n";
    }
    if (v) out << v->verdict << "\n";
}

void run(CliContext& ctx, const FilterOptions& o) {
    const NumberFilter filter = parseFilter(o.game, o.conditions);
    std::optional<std::pair<std::optional<int32_t>, std::optional<int32_t>>> targets;
    if (!o.verify.empty()) targets = parseIssueRange(o.verify, "--verify");
    const HistorySnapshot& rows = ctx.readingStore().rows();
    const FilterResult result = runFilter(filter, rows);
    std::optional<FilterVerification> verification;
    if (targets) {
        verification =
            verifyFilterInStudy(filter, rows, targets->first, targets->second, ctx.dataFolder());
    }
    if (verification && verification->warning) ctx.warn(*verification->warning);
    if (ctx.format == OutputFormat::Text) {
        printText(ctx.out, result, o, verification);
        return;
    }
    nlohmann::ordered_json out = resultJson(result, o.list);
    if (verification) out["verification"] = verificationJson(*verification);
    ctx.out << out.dump() << "\n";
}

}  // namespace

void addFilterCommand(CLI::App& app, CliContext& ctx) {
    auto o = std::make_shared<FilterOptions>();
    auto* filter = app.add_subcommand(
        "filter",
        "缩水（大底）：通过全部条件的号码、它们的份额（即机会），以及对过去各期的滚动验证");
    filter->add_option("--game", o->game, "p5（排列五，默认）或 p3（排列三：开奖号码的前三位）");
    const auto condition = [&](const std::string& name, const std::string& help) {
        filter->add_option_function<std::string>(
            "--" + name,
            [o, name](const std::string& value) {
                o->conditions.push_back({name, value});
            },
            help);
    };
    for (int p = 1; p <= 5; ++p) {
        condition("pos" + std::to_string(p),
                  "第 " + std::to_string(p) + " 位允许的数字，例如 0369");
    }
    condition("must", "含有这些数字（默认全部含有）");
    condition("must-count", "--must 的数字至少含有几个");
    condition("kill", "不含这些数字");
    condition("sum", "和值范围 A:B");
    condition("span", "跨度范围 A:B");
    condition("big", "大数（5–9）个数范围 A:B");
    condition("odd", "奇数个数范围 A:B");
    condition("prime", "质数（2、3、5、7）个数范围 A:B");
    condition("road", "012路比 a:b:c，可用逗号列出几种");
    condition("form",
              "形态：全不同 一对 两对 三条 三带二 四条 五同（排列三：组六 组三 豹子），逗号分隔");
    condition("repeat", "与上一期同位相同的个数范围 A:B");
    condition("consecutive", "相邻数字对（d 与 d+1，9 与 0 不算）个数范围 A:B");
    filter->add_flag("--list", o->list, "列出全部号码");
    filter
        ->add_option("--verify", o->verify,
                     "滚动验证：目标期范围 A:B，每期按它之前的条件检查开奖号码是否在大底里")
        ->check(decimalIssueRange());
    setExamples(filter, {"arrange5-cli filter --sum 10:30 --kill 4 --format text",
                         "arrange5-cli filter --game p3 --form 组六 --verify 2026001:"});
    filter->callback([&ctx, o] { run(ctx, *o); });
}

}  // namespace arrange5::cli
