#include <CLI/CLI.hpp>
#include <array>
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
    const bool digitsOnly =
        !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), window);
    if (!digitsOnly || ec != std::errc{} || end != text.data() + text.size() || window < 1) {
        throw InputError("--window 须是正整数期数或 all，不是“" + text + "”");
    }
    return window;
}

nlohmann::ordered_json jsonValue(TrendGroup group, int valueIndex) {
    if (trendValueIsText(group)) return trendValueLabel(group, valueIndex);
    return valueIndex;
}

nlohmann::ordered_json cellJson(const char* name, nlohmann::ordered_json value,
                                const TrendCell& c) {
    return {{name, std::move(value)}, {"count", c.count}, {"expected", c.expected},
            {"chance", c.chance},     {"low", c.low},     {"high", c.high},
            {"current", c.current},   {"max", c.max},     {"average", c.average},
            {"p_current", c.pCurrent}};
}

nlohmann::ordered_json positionsJson(const TrendTable& table) {
    auto positions = nlohmann::ordered_json::array();
    for (int p = 0; p < kTrendPositionCount; ++p) {
        auto digits = nlohmann::ordered_json::array();
        for (int d = 0; d <= 9; ++d) {
            digits.push_back(cellJson("digit", d, table.cell(trendGroup(p), d)));
        }
        positions.push_back({{"position", p + 1}, {"digits", std::move(digits)}});
    }
    return positions;
}

// The groups from `first` up to `last` (excluded), each an array of its values' figures.
nlohmann::ordered_json groupsJson(const TrendTable& table, int first, int last) {
    nlohmann::ordered_json groups = nlohmann::ordered_json::object();
    for (int g = first; g < last; ++g) {
        const TrendGroup group = trendGroup(g);
        auto values = nlohmann::ordered_json::array();
        for (int v = 0; v < trendValueCount(group); ++v) {
            values.push_back(cellJson("value", jsonValue(group, v), table.cell(group, v)));
        }
        groups[trendGroupKey(group)] = std::move(values);
    }
    return groups;
}

// A row as JSON text, written by hand: 100,000 rows of 50 omissions each are printed within
// a few seconds only without a document object per row.
class RowWriter {
  public:
    explicit RowWriter(const TrendTable& table) : table_(table) {
        for (int g = kTrendPositionCount; g < kTrendGroupCount; ++g) {
            const TrendGroup group = trendGroup(g);
            keys_[g] = ",\"" + trendGroupKey(group) + "\":";
            for (int v = 0; v < trendValueCount(group); ++v) {
                labels_[g].push_back(jsonValue(group, v).dump());
            }
        }
    }

    void write(std::string& out, int row) const {
        out += "{\"issue\":";
        number(out, table_.issue(row));
        out += ",\"digits\":\"";
        out += digitString(table_.digits(row));
        out += '"';
        for (int g = kTrendPositionCount; g < kTrendGroupCount; ++g) {
            const TrendGroup group = trendGroup(g);
            out += keys_[g];
            if (group == TrendGroup::Contains) {
                out += '[';
                bool first = true;
                for (int d = 0; d <= 9; ++d) {
                    if (!table_.shows(row, group, d)) continue;
                    if (!first) out += ',';
                    number(out, d);
                    first = false;
                }
                out += ']';
                continue;
            }
            const int value = table_.value(row, group);
            out += value == kNoTrendValue ? "null" : labels_[g][value];
        }
        out += ",\"omission\":[";
        for (int p = 0; p < kTrendPositionCount; ++p) {
            out += p == 0 ? "[" : ",[";
            for (int d = 0; d <= 9; ++d) {
                if (d > 0) out += ',';
                number(out, table_.omission(row, trendGroup(p), d));
            }
            out += ']';
        }
        out += "]}";
    }

  private:
    static void number(std::string& out, int value) {
        char buffer[16];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out.append(buffer, result.ptr);
    }

    const TrendTable& table_;
    std::array<std::string, kTrendGroupCount> keys_;
    std::array<std::vector<std::string>, kTrendGroupCount> labels_;
};

void runTrend(CliContext& ctx, const TrendOptions& o) {
    const std::optional<int> window = parseWindow(o.window);
    const TrendTable table(ctx.readingStore().rows(), window);
    const int largest = table.largestCurrent();
    constexpr int indicatorsEnd = kTrendPositionCount + kTrendIndicatorCount;

    nlohmann::ordered_json head;
    head["window"] = table.window();
    head["from"] = table.issue(0);
    head["to"] = table.issue(table.window() - 1);
    head["positions"] = positionsJson(table);
    head["largest_current"] = largest;
    head["p_largest"] = chanceOfLargestOmission(largest);
    head["indicators"] = groupsJson(table, kTrendPositionCount, indicatorsEnd);
    head["zones"] = groupsJson(table, indicatorsEnd, kTrendGroupCount);

    std::ostream& out = ctx.out;
    std::string text = head.dump();
    if (!o.rows) {
        out << text << "\n";
        return;
    }
    text.pop_back();  // the closing brace
    text += ",\"rows\":[";
    const RowWriter writer(table);
    for (int row = 0; row < table.window(); ++row) {
        if (row > 0) text += ',';
        writer.write(text, row);
        if (text.size() > (1u << 20)) {
            out << text;
            text.clear();
        }
    }
    out << text << "]}\n";
}

}  // namespace

void addTrendCommand(CLI::App& app, CliContext& ctx) {
    auto options = std::make_shared<TrendOptions>();
    auto* trend = app.add_subcommand(
        "trend",
        "走势图与遗漏：最近 W 期各位数字与各区（和值、跨度、形态、排列三、后二 …）的次数、"
        "遗漏（按全部历史计）及公平开奖的机会");
    trend->add_option("--window", options->window, "期数 W（正整数）或 all（默认：全部）");
    trend->add_flag("--rows", options->rows,
                    "同时列出窗口内每一期的号码、指标、各区的值与 5×10 遗漏");
    trend->callback([&ctx, options] { runTrend(ctx, *options); });
}

}  // namespace arrange5::cli
