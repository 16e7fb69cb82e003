#include <CLI/CLI.hpp>
#include <charconv>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <vector>

#include "analysis/reference.h"
#include "analysis/search.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/search_options.h"
#include "store/errors.h"

namespace arrange5::cli {

namespace {

std::vector<std::string_view> splitList(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const auto comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        items.push_back(item);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return items;
}

std::optional<int> parseInt(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

CodeKind parseKind(const std::string& text, const std::string& option) {
    static const std::array<std::string_view, kCodeKindCount> names = {"number", "bigsmall",
                                                                       "oddeven", "segment"};
    for (int k = 0; k < kCodeKindCount; ++k) {
        if (text == names[k] || text == std::to_string(k)) return static_cast<CodeKind>(k);
    }
    throw InputError(option + "：“" + text +
                     "”不是搜索类型（number、bigsmall、oddeven、segment 或 0..3）");
}

std::array<bool, 5> parsePositions(const std::string& text) {
    std::array<bool, 5> chosen{};
    if (text.empty()) return chosen;
    for (std::string_view item : splitList(text)) {
        const auto p = parseInt(item);
        if (!p || *p < 1 || *p > 5) {
            throw InputError("--positions：“" + std::string(item) + "”不是 1 到 5 的位置");
        }
        chosen[*p - 1] = true;
    }
    return chosen;
}

ReferenceValues parseReference(const std::string& text) {
    const auto items = splitList(text);
    if (items.size() != 5) {
        throw InputError("--ref 需要五个以逗号分隔的值，例如 1,2,3,4,5");
    }
    ReferenceValues values{};
    for (int i = 0; i < 5; ++i) {
        const auto v = parseInt(items[i]);
        if (!v || *v < std::numeric_limits<int16_t>::min() ||
            *v > std::numeric_limits<int16_t>::max()) {
            throw InputError("--ref：“" + std::string(items[i]) + "”不是整数");
        }
        values[i] = static_cast<int16_t>(*v);
    }
    return values;
}

}  // namespace

SearchRequest buildRequest(CliContext& ctx, const SearchOptions& o) {
    SearchRequest request;
    request.settings.kind = parseKind(o.kind, "--kind");
    request.settings.freePositions = o.match == "free";
    request.settings.previousIssue = o.earlier == 0;
    if (o.earlier != 0) request.settings.lagN = o.earlier;
    request.positions = parsePositions(o.positions);
    request.tally.resultKind = parseKind(o.resultKind, "--result-kind");
    request.tally.resultPosition = o.resultPosition;
    request.tally.group = o.group;
    request.tally.segmentBase = ctx.segmentBase;

    // Bad numbers are reported before the store is touched.
    std::optional<int32_t> from;
    std::optional<int32_t> to;
    if (!o.from.empty()) from = parseIssueField(o.from, "--from");
    if (!o.to.empty()) to = parseIssueField(o.to, "--to");
    std::optional<int32_t> verifyIssue;
    if (!o.verify.empty()) verifyIssue = parseIssueField(o.verify, "--verify");
    if (!o.reference.empty()) request.reference = parseReference(o.reference);

    const HistorySnapshot& rows = ctx.readingStore().rows();
    if (verifyIssue) {
        const auto verified = verifyReference(rows, *verifyIssue, o.onlyBefore, request.settings);
        if (!verified) {
            throw InputError("--verify " + std::to_string(*verifyIssue) +
                             "：历史号码中这一期之前的期数不够，无法取得参考号码");
        }
        request.reference = verified->values;
        if (!to) to = verified->rangeEnd;
    } else if (o.reference.empty()) {
        const auto row = referenceRowIndex(rows, request.settings);
        if (!row) {
            throw InputError(rows.empty() ? "历史号码为空，请先读入历史号码"
                                          : "历史号码的期数少于 --earlier 给出的 N");
        }
        request.reference = valuesOfRow(rows[*row], request.settings.kind);
    }
    if (!from) from = defaultRangeStart(rows, request.settings);
    if (!to && !rows.empty()) to = rows.back().issue;
    if (!from || !to) {
        throw InputError("历史号码为空；请给出 --from 和 --to，或先读入历史号码");
    }
    request.from = *from;
    request.to = *to;
    return request;
}

namespace {

void printResult(CliContext& ctx, const SearchRequest& request, const SearchResult& result) {
    nlohmann::ordered_json out;
    out["reference"] = request.reference;
    out["from"] = request.from;
    out["to"] = request.to;
    out["hits"] = nlohmann::ordered_json::array();
    for (const auto& hit : result.hits) {
        out["hits"].push_back(
            {{"issue", hit.issue}, {"values", hit.values}, {"matched", hit.matched}});
    }
    out["tally"] = nlohmann::ordered_json::array();
    for (const auto& row : result.tally) {
        out["tally"].push_back({{"rank", row.rank},
                                {"outcome", row.outcome},
                                {"value", row.value},
                                {"count", row.count},
                                {"percent", row.percent}});
    }
    out["total"] = result.total;
    addChanceFields(out, result, request.tally.resultKind);
    ctx.out << out.dump() << "\n";
}

}  // namespace

void addSearchOptions(CLI::App* cmd, SearchOptions& o, bool tickedPositions) {
    cmd->add_option("--kind", o.kind, "搜索类型：number、bigsmall、oddeven、segment 或 0..3");
    cmd->add_option("--match", o.match, "free（自由位）或 fixed（固定位）")
        ->check(CLI::IsMember({"free", "fixed"}));
    cmd->add_option("--earlier", o.earlier, "前期模式，N = 1..9")->check(CLI::Range(1, 9));
    if (tickedPositions) {
        cmd->add_option("--positions", o.positions, "勾选的位置，例如 1,3");
    }
    auto* ref = cmd->add_option("--ref", o.reference, "手动输入的参考号码：A,B,C,D,E");
    auto* verify = cmd->add_option("--verify", o.verify, "参考号码取自验证期");
    verify->excludes(ref);
    cmd->add_flag("--only-before", o.onlyBefore, "仅检索验证期之前的历史号码")->needs(verify);
    cmd->add_option("--from", o.from, "检索范围的第一期");
    cmd->add_option("--to", o.to, "检索范围的最后一期");
    cmd->add_option("--result-kind", o.resultKind, "统计的结果类型");
    cmd->add_option("--result-pos", o.resultPosition, "结果统计位 1..5")->check(CLI::Range(1, 5));
    cmd->add_flag("--group", o.group, "组选：统计第 1 位到结果统计位");
}

void addSearchCommands(CLI::App& app, CliContext& ctx) {
    auto single = std::make_shared<SearchOptions>();
    auto* search = app.add_subcommand("search", "检索（跟随形态），输出命中与统计");
    addSearchOptions(search, *single, true);
    search->callback([&ctx, single] {
        const SearchRequest request = buildRequest(ctx, *single);
        printResult(ctx, request, runSingleSearch(ctx.readingStore(), request));
    });

    auto combination = std::make_shared<SearchOptions>();
    auto* combo = app.add_subcommand("combo", "组合检索，输出命中与统计");
    combo->add_option("--k", combination->k, "组合位数")->required();
    addSearchOptions(combo, *combination, false);
    combo->callback([&ctx, combination] {
        const SearchRequest request = buildRequest(ctx, *combination);
        printResult(ctx, request,
                    runCombinationSearch(ctx.readingStore(), request, combination->k));
    });
}

}  // namespace arrange5::cli
