#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

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

// Fills the form from the options; bad numbers are reported before the store is touched.
// The form checks the options and completes the request as it does for the window.
SearchForm searchForm(const CliContext& ctx, const SearchOptions& o, bool combination) {
    SearchForm form;
    form.setFieldNames({"--from", "--to", "--verify", "--earlier", "--ref", "--k"});
    form.setSearchKind(parseSearchKind(o.kind, "--kind"));
    form.setFreePositions(o.match == "free");
    form.setPreviousIssue(o.earlier == 0);
    if (o.earlier != 0) form.setLagN(o.earlier);
    form.positions() = parsePositionList(o.positions, "--positions");
    form.setResultKind(parseSearchKind(o.resultKind, "--result-kind"));
    form.setResultPosition(o.resultPosition);
    form.setGroup(o.group);
    form.setSegmentBase(ctx.segmentBase);
    form.combination = combination;
    if (combination) form.setCombinationSize(o.k);

    form.setRange(
        o.from.empty() ? std::nullopt : std::optional<int32_t>(parseIssueBound(o.from, "--from")),
        o.to.empty() ? std::nullopt : std::optional<int32_t>(parseIssueBound(o.to, "--to")));
    if (!o.verify.empty()) {
        form.useVerification(parseIssueField(o.verify, "--verify"), o.onlyBefore);
    } else if (!o.reference.empty()) {
        form.useTypedReference(parseReferenceList(o.reference, "--ref"));
    }
    return form;
}

namespace {

using ordered_json = nlohmann::ordered_json;

// The tally grid as printed; what else a tally row or the whole tally carries is added to
// this object before it is written.
ordered_json tallyJson(const SearchResult& result) {
    ordered_json tail;
    tail["tally"] = ordered_json::array();
    for (const auto& row : result.tally) {
        // `percent` is the grid's text; `share` the same figure for arithmetic.
        const ordered_json share =
            result.total > 0
                ? ordered_json(static_cast<double>(row.count) / static_cast<double>(result.total))
                : ordered_json(nullptr);
        tail["tally"].push_back({{"rank", row.rank},
                                 {"outcome", row.outcome},
                                 {"value", row.value},
                                 {"count", row.count},
                                 {"percent", row.percent},
                                 {"share", share}});
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

// The hits, written as they go: a document of a hundred thousand hits would cost more than
// the search that found them. The bytes are those of one compact dump.
void writeHits(std::ostream& out, const std::vector<Hit>& hits) {
    out << ",\"hits\":[";
    // One object reused for every hit, so that writing one allocates nothing.
    ordered_json hit = {
        {"issue", 0}, {"values", ordered_json::array({0, 0, 0, 0, 0})}, {"matched", ""}};
    ordered_json& values = hit["values"];
    for (std::size_t h = 0; h < hits.size(); ++h) {
        const Hit& found = hits[h];
        hit["issue"] = found.issue;
        for (std::size_t i = 0; i < found.values.size(); ++i) values[i] = found.values[i];
        hit["matched"].get_ref<std::string&>() = found.matched;
        out << (h == 0 ? "" : ",") << hit;
    }
    out << ']';
}

// The answer for a reader: the setting, the range, the tally with its chance and interval,
// and the two verdicts. The hits are left out: they are the JSON's business.
void writeText(std::ostream& out, const AssessedSearch& assessed, const ordered_json& tail) {
    const SearchRequest& request = assessed.request;
    out << assessed.setting.commandLine << "\n";
    std::string reference;
    for (const auto v : request.reference) {
        reference += (reference.empty() ? "" : " ") + std::to_string(v);
    }
    out << "参考号码 " << reference << "；检索范围 " << request.from << " 至 " << request.to
        << " 期；命中 " << assessed.result.hits.size() << " 期，统计 " << assessed.result.total
        << " 个值\n";
    TextTable table({"名次", "结果", "次数", "百分比", "随机机会", "95% 区间", "其余各期"});
    for (const auto& row : tail["tally"]) {
        const std::string interval = row["share"].is_null()
                                         ? "—"
                                         : percentText(row["low"].get<double>()) + "–" +
                                               percentText(row["high"].get<double>());
        table.add(
            {row["rank"].dump(), row["outcome"].get<std::string>(), row["count"].dump(),
             row["percent"].get<std::string>().empty() ? "—" : row["percent"].get<std::string>(),
             percentText(row["chance"].get<double>()), interval, row["rest_count"].dump()});
    }
    table.print(out);
    const ChanceTest& test = assessed.chance;
    out << "与均匀随机比较";
    if (test.p) out << "（χ² = " << fixed(test.chi2, 2) << "，自由度 " << test.df << "）";
    out << "：" << test.verdict << "\n";
    const std::string method = patternMethodText(assessed.pattern);
    out << "与其余各期比较";
    if (!method.empty()) out << "（" << method << "）";
    out << "：" << assessed.pattern.verdict << "\n";
}

// One JSON object (without the hits when asked), or the text for a reader.
void printResult(CliContext& ctx, const AssessedSearch& assessed, bool withHits) {
    const SearchRequest& request = assessed.request;
    const SearchResult& result = assessed.result;
    const ordered_json head = {{"setting", assessed.setting.commandLine},
                               {"reference", request.reference},
                               {"from", request.from},
                               {"to", request.to}};
    ordered_json tail = tallyJson(result);
    addChanceFields(tail, assessed);
    if (assessed.study.warning) ctx.warn(*assessed.study.warning);

    std::ostream& out = ctx.out;
    if (ctx.format == OutputFormat::Text) {
        writeText(out, assessed, tail);
        return;
    }
    bool first = true;
    out << '{';
    writeMembers(out, head, first);
    if (withHits) writeHits(out, result.hits);
    writeMembers(out, tail, first);
    out << "}\n";
}

}  // namespace

void addSearchOptions(CLI::App* cmd, SearchOptions& o, SearchOptionSet set) {
    cmd->add_option("--kind", o.kind, "搜索类型：number、bigsmall、oddeven、segment 或 0..3");
    cmd->add_option("--match", o.match, "free（自由位）或 fixed（固定位）")
        ->check(CLI::IsMember({"free", "fixed"}));
    cmd->add_option("--earlier", o.earlier, "前期模式，N = 1..9")
        ->transform(decimalNumber(limits::kMinEarlier, limits::kMaxEarlier));
    if (set.tickedPositions) {
        cmd->add_option("--positions", o.positions, "勾选的位置，例如 1,3");
    }
    if (set.referenceAndRange) {
        auto* ref = cmd->add_option("--ref", o.reference, "手动输入的参考号码：A,B,C,D,E");
        auto* verify = cmd->add_option("--verify", o.verify, "参考号码取自验证期")
                           ->transform(decimalNumber(0, kLargestIssue));
        verify->excludes(ref);
        cmd->add_flag("--only-before", o.onlyBefore, "仅检索验证期之前的历史号码")->needs(verify);
        cmd->add_option("--from", o.from, "检索范围的第一期")
            ->transform(decimalNumber(0, kLargestIssue));
        cmd->add_option("--to", o.to, "检索范围的最后一期")
            ->transform(decimalNumber(0, kLargestIssue));
    }
    cmd->add_option("--result-kind", o.resultKind, "统计的结果类型");
    cmd->add_option("--result-pos", o.resultPosition, "结果统计位 1..5")
        ->transform(decimalNumber(1, limits::kPositions));
    cmd->add_flag("--group", o.group, "组选：统计第 1 位到结果统计位");
}

void addSearchCommands(CLI::App& app, CliContext& ctx) {
    const auto runForm = [&ctx](const SearchOptions& o, bool combination) {
        const SearchForm form = searchForm(ctx, o, combination);
        StudyLog study(ctx.dataFolder());
        printResult(ctx, form.run(ctx.readingStore(), study), !o.noHits);
    };
    auto single = std::make_shared<SearchOptions>();
    auto* search = app.add_subcommand("search", "检索（跟随形态），输出命中与统计");
    addSearchOptions(search, *single, {});
    search->add_flag("--no-hits", single->noHits, "不列出命中的各期（只输出设置与统计）");
    setExamples(search, {"arrange5-cli search --positions 1,3 --format text",
                         "arrange5-cli search --kind bigsmall --match fixed --ref 1,0,1,1,0 "
                         "--positions 1,2 --from 2020001 --no-hits"});
    search->callback([runForm, single] { runForm(*single, false); });

    auto combination = std::make_shared<SearchOptions>();
    auto* combo = app.add_subcommand("combo", "组合检索，输出命中与统计");
    combo->add_option("--k", combination->k, "组合位数（1 到 5）")
        ->required()
        ->transform(decimalNumber(1, limits::kPositions));
    addSearchOptions(combo, *combination, {.tickedPositions = false});
    combo->add_flag("--no-hits", combination->noHits, "不列出命中的各期（只输出设置与统计）");
    setExamples(combo, {"arrange5-cli combo --k 2 --format text",
                        "arrange5-cli combo --k 3 --match fixed --ref 1,5,7,6,6 --result-pos 3 "
                        "--group --no-hits"});
    combo->callback([runForm, combination] { runForm(*combination, true); });
}

}  // namespace arrange5::cli
