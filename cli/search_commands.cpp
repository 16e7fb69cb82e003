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
#include "analysis/search_request.h"
#include "analysis/search_rules.h"
#include "analysis/segment_bases.h"
#include "analysis/study_log.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/search_options.h"
#include "store/errors.h"
#include "store/limits.h"

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
        if (!p || *p < 1 || *p > limits::kPositions) {
            throw InputError("--positions：“" + std::string(item) + "”不是 1 到 5 的位置");
        }
        if (chosen[*p - 1])
            throw InputError("--positions：位置 " + std::string(item) + " 给了两次");
        chosen[*p - 1] = true;
    }
    return chosen;
}

ReferenceValues parseReference(const std::string& text) {
    const auto items = splitList(text);
    if (items.size() != static_cast<std::size_t>(limits::kPositions)) {
        throw InputError("--ref 需要五个以逗号分隔的值，例如 1,2,3,4,5");
    }
    ReferenceValues values{};
    for (int i = 0; i < limits::kPositions; ++i) {
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

// Reads the options into the request input; bad numbers are reported before the store is
// touched. The reference and the range defaults come from the library, as in the window.
SearchRequest buildRequest(CliContext& ctx, const SearchOptions& o) {
    RequestInput in;
    in.names = {"--from", "--to", "--verify", "--earlier"};
    in.settings.kind = parseKind(o.kind, "--kind");
    in.settings.freePositions = o.match == "free";
    in.settings.previousIssue = o.earlier == 0;
    if (o.earlier != 0) in.settings.lagN = o.earlier;
    in.positions = parsePositions(o.positions);
    in.tally.resultKind = parseKind(o.resultKind, "--result-kind");
    in.tally.resultPosition = o.resultPosition;
    in.tally.group = o.group;
    in.tally.segmentBase = ctx.segmentBase;

    if (!o.from.empty()) in.from = parseIssueBound(o.from, "--from");
    if (!o.to.empty()) in.to = parseIssueBound(o.to, "--to");
    if (!o.verify.empty()) {
        in.source = ReferenceSource::Verify;
        in.issueToVerify = parseIssueField(o.verify, "--verify");
        in.onlyBefore = o.onlyBefore;
    } else if (!o.reference.empty()) {
        in.source = ReferenceSource::Typed;
        in.typed = parseReference(o.reference);
        if (const auto why = impossibleReference(in.settings.kind, in.typed, ctx.segmentBase)) {
            throw InputError("--ref：" + *why);
        }
    }
    const RowsNeeded need = rowsNeeded(in);
    return buildSearchRequest(ctx.readingStore().readEnds(need.count, need.upTo), in);
}

namespace {

using ordered_json = nlohmann::ordered_json;

// The tally grid as printed; what else a tally row or the whole tally carries is added to
// this object before it is written.
ordered_json tallyJson(const SearchResult& result) {
    ordered_json tail;
    tail["tally"] = ordered_json::array();
    for (const auto& row : result.tally) {
        tail["tally"].push_back({{"rank", row.rank},
                                 {"outcome", row.outcome},
                                 {"value", row.value},
                                 {"count", row.count},
                                 {"percent", row.percent}});
    }
    tail["total"] = result.total;
    return tail;
}

// Writes the members of `object` as members of the object being printed.
void writeMembers(std::ostream& out, const ordered_json& object, bool& first) {
    for (const auto& [key, value] : object.items()) {
        out << (first ? "" : ",") << ordered_json(key) << ':' << value;
        first = false;
    }
}

// One JSON object, written as it goes: a document of a hundred thousand hits would cost
// more than the search that found them. The bytes are those of one compact dump.
void printResult(CliContext& ctx, const SearchRequest& request, const SearchShape& shape,
                 const SearchResult& result) {
    const ordered_json head = {
        {"reference", request.reference}, {"from", request.from}, {"to", request.to}};
    ordered_json tail = tallyJson(result);
    // Counted once the search has run: a refused one tested nothing.
    const int searches = StudyLog(ctx.dataFolder()).record(searchSettingText(request, shape));
    addChanceFields(tail, result, request.tally.resultKind, searches);

    std::ostream& out = ctx.out;
    bool first = true;
    out << '{';
    writeMembers(out, head, first);
    out << ",\"hits\":[";
    // One object reused for every hit, so that writing one allocates nothing.
    ordered_json hit = {
        {"issue", 0}, {"values", ordered_json::array({0, 0, 0, 0, 0})}, {"matched", ""}};
    ordered_json& values = hit["values"];
    for (std::size_t h = 0; h < result.hits.size(); ++h) {
        const Hit& found = result.hits[h];
        hit["issue"] = found.issue;
        for (std::size_t i = 0; i < found.values.size(); ++i) values[i] = found.values[i];
        hit["matched"].get_ref<std::string&>() = found.matched;
        out << (h == 0 ? "" : ",") << hit;
    }
    out << ']';
    writeMembers(out, tail, first);
    out << "}\n";
}

}  // namespace

void addSearchOptions(CLI::App* cmd, SearchOptions& o, bool tickedPositions) {
    cmd->add_option("--kind", o.kind, "搜索类型：number、bigsmall、oddeven、segment 或 0..3");
    cmd->add_option("--match", o.match, "free（自由位）或 fixed（固定位）")
        ->check(CLI::IsMember({"free", "fixed"}));
    cmd->add_option("--earlier", o.earlier, "前期模式，N = 1..9")
        ->check(CLI::Range(limits::kMinEarlier, limits::kMaxEarlier));
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
    cmd->add_option("--result-pos", o.resultPosition, "结果统计位 1..5")
        ->check(CLI::Range(1, limits::kPositions));
    cmd->add_flag("--group", o.group, "组选：统计第 1 位到结果统计位");
}

void addSearchCommands(CLI::App& app, CliContext& ctx) {
    auto single = std::make_shared<SearchOptions>();
    auto* search = app.add_subcommand("search", "检索（跟随形态），输出命中与统计");
    addSearchOptions(search, *single, true);
    search->callback([&ctx, single] {
        const SearchRequest request = buildRequest(ctx, *single);
        requireSegmentBase(ctx.readingStore(), request);
        printResult(ctx, request, SearchShape::single(request.positions),
                    runSingleSearch(ctx.readingStore(), request));
    });

    auto combination = std::make_shared<SearchOptions>();
    auto* combo = app.add_subcommand("combo", "组合检索，输出命中与统计");
    combo->add_option("--k", combination->k, "组合位数（1 到 5）")
        ->required()
        ->check(CLI::Range(1, limits::kPositions));
    addSearchOptions(combo, *combination, false);
    combo->callback([&ctx, combination] {
        const SearchRequest request = buildRequest(ctx, *combination);
        requireSegmentBase(ctx.readingStore(), request);
        printResult(ctx, request, SearchShape::combined(combination->k),
                    runCombinationSearch(ctx.readingStore(), request, combination->k));
    });
}

}  // namespace arrange5::cli
