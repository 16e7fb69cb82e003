#include <CLI/CLI.hpp>
#include <charconv>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "analysis/trend.h"
#include "cli/cli_context.h"
#include "store/errors.h"

namespace arrange5::cli {

namespace {

struct TrendOptions {
    std::string window = "all";
    bool rows = false;
};

std::optional<int> parseWindow(const std::string& text) {
    if (text == "all") return std::nullopt;
    int window = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), window);
    if (ec != std::errc{} || end != text.data() + text.size() || window < 1) {
        throw InputError("--window 须是正整数期数或 all，不是“" + text + "”");
    }
    return window;
}

nlohmann::ordered_json jsonValue(TrendGroup group, int valueIndex) {
    if (group == TrendGroup::Mod3) return trendValueLabel(group, valueIndex);
    return valueIndex;
}

nlohmann::ordered_json positionsJson(const TrendTable& table) {
    auto positions = nlohmann::ordered_json::array();
    for (int p = 0; p < kTrendPositionCount; ++p) {
        auto digits = nlohmann::ordered_json::array();
        for (int d = 0; d < 10; ++d) {
            const TrendCell c = table.cell(static_cast<TrendGroup>(p), d);
            digits.push_back({{"digit", d},
                              {"count", c.count},
                              {"expected", c.expected},
                              {"low", c.low},
                              {"high", c.high},
                              {"current", c.current},
                              {"max", c.max},
                              {"average", c.average},
                              {"p_current", c.pCurrent}});
        }
        positions.push_back({{"position", p + 1}, {"digits", std::move(digits)}});
    }
    return positions;
}

nlohmann::ordered_json indicatorsJson(const TrendTable& table) {
    nlohmann::ordered_json indicators = nlohmann::ordered_json::object();
    for (int g = kTrendPositionCount; g < kTrendGroupCount; ++g) {
        const auto group = static_cast<TrendGroup>(g);
        auto values = nlohmann::ordered_json::array();
        for (int v = 0; v < trendValueCount(group); ++v) {
            const TrendCell c = table.cell(group, v);
            values.push_back({{"value", jsonValue(group, v)},
                              {"count", c.count},
                              {"expected", c.expected},
                              {"current", c.current}});
        }
        indicators[trendGroupKey(group)] = std::move(values);
    }
    return indicators;
}

nlohmann::ordered_json rowJson(const TrendTable& table, int row) {
    nlohmann::ordered_json out;
    out["issue"] = table.issue(row);
    out["digits"] = digitString(table.digits(row));
    for (int g = kTrendPositionCount; g < kTrendGroupCount; ++g) {
        const auto group = static_cast<TrendGroup>(g);
        out[trendGroupKey(group)] = jsonValue(group, table.value(row, group));
    }
    return out;
}

void runTrend(CliContext& ctx, const TrendOptions& o) {
    const std::optional<int> window = parseWindow(o.window);
    const TrendTable table(ctx.readingStore().rows(), window);
    const int largest = table.largestCurrent();

    nlohmann::ordered_json head;
    head["window"] = table.window();
    head["from"] = table.issue(0);
    head["to"] = table.issue(table.window() - 1);
    head["positions"] = positionsJson(table);
    head["largest_current"] = largest;
    head["p_largest"] = chanceOfLargestOmission(largest);
    head["indicators"] = indicatorsJson(table);

    std::ostream& out = ctx.out;
    std::string text = head.dump();
    if (!o.rows) {
        out << text << "\n";
        return;
    }
    // The rows are written one by one: on a long history the whole document is large.
    text.pop_back();  // the closing brace
    out << text << ",\"rows\":[";
    for (int row = 0; row < table.window(); ++row) {
        if (row > 0) out << ',';
        out << rowJson(table, row).dump();
    }
    out << "]}\n";
}

}  // namespace

void addTrendCommand(CLI::App& app, CliContext& ctx) {
    auto options = std::make_shared<TrendOptions>();
    auto* trend = app.add_subcommand(
        "trend", "走势图与遗漏：最近 W 期每位每个数字的次数、遗漏及公平开奖的机会");
    trend->add_option("--window", options->window, "期数 W（正整数）或 all（默认：全部）");
    trend->add_flag("--rows", options->rows, "同时列出窗口内每一期的号码与指标");
    trend->callback([&ctx, options] { runTrend(ctx, *options); });
}

}  // namespace arrange5::cli
