#include <CLI/CLI.hpp>
#include <limits>
#include <nlohmann/json.hpp>

#include "acquire/deletion.h"
#include "acquire/manual_entry.h"
#include "acquire/rebuild.h"
#include "cli/cli_context.h"
#include "cli/output.h"
#include "cli/parse_messages.h"
#include "store/errors.h"
#include "store/next_issue.h"

namespace arrange5::cli {

namespace {

Digits parseDraw(const std::string& text) {
    Digits digits{};
    bool ok = text.size() == 5;
    for (std::size_t i = 0; ok && i < 5; ++i) {
        ok = text[i] >= '0' && text[i] <= '9';
        if (ok) digits[i] = static_cast<int16_t>(text[i] - '0');
    }
    if (!ok) throw InputError("“" + text + "”不是开奖号码，请给出五个数字，例如 01234");
    return digits;
}

// "已删除 14 期；已存入 16 期（2014001 期至 2014016 期）", or why nothing was removed; with
// --format json the same figures as an object.
void printDeletion(CliContext& ctx, std::size_t before, const std::optional<ReplaceReport>& report,
                   const std::string& whyNothing, const std::string& prefix = {}) {
    if (!report) {
        printSummary(ctx, prefix + "没有删除任何一期（" + whyNothing + "）", {{"deleted", 0}});
        return;
    }
    const std::size_t removed = before >= report->stored ? before - report->stored : 0;
    nlohmann::ordered_json figures = {{"deleted", removed}};
    figures.update(replaceJson(*report));
    printSummary(ctx, prefix + "已删除 " + std::to_string(removed) + " 期；" + report->summary(),
                 figures);
}

// cut-to and drop-last: one number, a deletion through lsbf.txt, its summary and any warning.
struct DeletionThroughBackup {
    const char* name;
    const char* description;
    const char* argument;
    const char* argumentHelp;
    const char* what;        // the number, in the refusal of one that is not a number
    const char* whyNothing;  // the summary when the number deletes nothing
    const char* example;
    std::optional<ReplaceReport> (*run)(HistoryStore&, int64_t);
};

void addDeletionThroughBackup(CLI::App& app, CliContext& ctx, const DeletionThroughBackup& d) {
    auto* command = app.add_subcommand(d.name, d.description);
    auto text = std::make_shared<std::string>();
    command->add_option(d.argument, *text, d.argumentHelp)
        ->required()
        ->transform(decimalNumber(0, std::numeric_limits<int32_t>::max()));
    setExamples(command, {d.example});
    command->callback([&ctx, text, d] {
        const int64_t n = parseNumberArgument(*text, d.what);
        HistoryStore& store = ctx.store();
        const std::size_t before = store.rows().size();
        const auto report = d.run(store, n);
        printDeletion(ctx, before, report, d.whyNothing);
        if (report) ctx.warn(report->warning);
    });
}

}  // namespace

void addMaintenanceCommands(CLI::App& app, CliContext& ctx) {
    auto* enter = app.add_subcommand("enter", "追加一期，同手动输入");
    auto draw = std::make_shared<std::string>();
    auto issue = std::make_shared<std::string>();
    auto today = std::make_shared<std::string>();
    enter->add_option("DIGITS", *draw, "这一期的五个数字，例如 01234")->required();
    enter
        ->add_option("--issue", *issue,
                     "这一期的期号：最后一期 + 1 或下一年的第一期；历史号码为空时任一期号")
        ->transform(decimalNumber(0, kLargestIssue));
    enter->add_option("--today", *today, "当前日期，YYYY-MM-DD（决定建议的下一期）");
    enter->callback([&ctx, draw, issue, today] {
        const Digits digits = parseDraw(*draw);
        std::optional<int> year = systemYear();
        if (!today->empty()) {
            year = yearOfIsoDate(*today);
            if (!year) {
                throw InputError("--today 需要 YYYY-MM-DD 形式的日期，而不是“" + *today + "”");
            }
        }
        // Whether it may follow the last row is decided when the row is stored, against
        // the table as it is then.
        std::optional<int32_t> given;
        if (!issue->empty()) given = parseChosenIssue(*issue, std::nullopt);
        const int32_t stored = appendManualDraw(ctx.store(), digits, given, year);
        printSummary(ctx, "已存入第 " + std::to_string(stored) + " 期：" + digitString(digits),
                     {{"issue", stored}, {"digits", digitString(digits)}});
    });
    setExamples(enter, {"arrange5-cli enter 01234", "arrange5-cli enter 56789 --issue 2027001"});

    auto* deleteLast = app.add_subcommand("delete-last", "删除期号最大的一期");
    deleteLast->callback([&ctx] {
        const DeletedDraw deleted = deleteLastDraw(ctx.store());
        const std::size_t left = ctx.store().rows().size();
        printSummary(ctx,
                     "已删除第 " + std::to_string(deleted.issue) + " 期，还剩 " +
                         std::to_string(left) + " 期",
                     {{"issue", deleted.issue}, {"left", left}});
        ctx.warn(deleted.warning);
    });

    setExamples(deleteLast, {"arrange5-cli delete-last"});

    auto* clear = app.add_subcommand("clear", "删除全部历史号码");
    setExamples(clear, {"arrange5-cli clear"});
    clear->callback([&ctx] {
        const std::size_t deleted = clearHistory(ctx.store());
        printSummary(ctx, "已删除 " + std::to_string(deleted) + " 期，历史号码已清空",
                     {{"deleted", deleted}});
    });

    addDeletionThroughBackup(app, ctx,
                             {"cut-to", "保留到 ISSUE 期为止，经由 lsbf.txt 重建", "ISSUE",
                              "要保留的最后一期，例如 2014016", "要保留到的期号", "期号不大于 0",
                              "arrange5-cli cut-to 2026100", cutToIssue});
    addDeletionThroughBackup(
        app, ctx,
        {"drop-last", "删除最后 N 期，经由 lsbf.txt 重建", "N", "要从最后删除多少期",
         "要删除的期数", "N 不大于 0", "arrange5-cli drop-last 10", dropLastIssues});

    auto* rebuild = app.add_subcommand("rebuild", "由 lsbf.txt 重建历史号码");
    rebuild->callback([&ctx] {
        HistoryStore& store = ctx.store();
        const std::size_t before = store.rows().size();
        const ReplaceReport report = rebuildFromBackup(store);
        printDeletion(ctx, before, report, {}, report.stored == 0 ? "lsbf.txt 是空的；" : "");
    });
    setExamples(rebuild, {"arrange5-cli rebuild"});
}

}  // namespace arrange5::cli
