#include <CLI/CLI.hpp>
#include <array>
#include <charconv>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "analysis/trend.h"
#include "cli/cli_context.h"
#include "cli/output.h"
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

std::string trendCommandLine(const TrendOptions& o) {
    return "arrange5-cli trend --window " + o.window + (o.rows ? " --rows" : "");
}

// "和值：7 有 1 次，15 有 1 次": the values a group took in the window.
std::string groupCounts(const TrendTable& table, TrendGroup group) {
    std::string line = trendGroupCaption(group) + "：";
    bool first = true;
    for (int v = 0; v < trendValueCount(group); ++v) {
        const TrendCell c = table.cell(group, v);
        if (c.count == 0) continue;
        line += (first ? "" : "，") + trendValueLabel(group, v) + " 有 " + std::to_string(c.count) +
                " 次";
        first = false;
    }
    return line;
}

// The trend for a reader: per position each digit's count and current omission, the
// largest omission with its chance, what each indicator and zone took; the rows (with their
// indicators) when asked for.
void writeText(std::ostream& out, const TrendOptions& o, const TrendTable& table, int largest) {
    out << trendCommandLine(o) << "\n";
    out << "最近 " << table.window() << " 期（" << table.issue(0) << " 至 "
        << table.issue(table.window() - 1) << " 期），每格：出现次数/当前遗漏\n";
    std::vector<std::string> header = {"位置"};
    for (int d = 0; d < 10; ++d) header.push_back(std::to_string(d));
    TextTable digits(header);
    for (int p = 0; p < kTrendPositionCount; ++p) {
        std::vector<std::string> line = {trendGroupCaption(trendGroup(p))};
        for (int d = 0; d < 10; ++d) {
            const TrendCell c = table.cell(trendGroup(p), d);
            line.push_back(std::to_string(c.count) + "/" + std::to_string(c.current));
        }
        digits.add(std::move(line));
    }
    digits.print(out);
    out << "50 格中最大的当前遗漏 " << largest
        << " 期（按全部历史计）；公平开奖时至少一格的当前遗漏达到 " << largest << " 期的机会 "
        << percentText(chanceOfLargestOmission(largest)) << "\n";
    for (int g = kTrendPositionCount; g < kTrendGroupCount; ++g) {
        out << groupCounts(table, trendGroup(g)) << "\n";
    }
    if (!o.rows) return;
    constexpr int indicatorsEnd = kTrendPositionCount + kTrendIndicatorCount;
    std::vector<std::string> rowHeader = {"期号", "号码"};
    for (int g = kTrendPositionCount; g < indicatorsEnd; ++g) {
        rowHeader.push_back(trendGroupCaption(trendGroup(g)));
    }
    TextTable rows(rowHeader);
    for (int row = 0; row < table.window(); ++row) {
        std::vector<std::string> line = {std::to_string(table.issue(row)),
                                         digitString(table.digits(row))};
        for (int g = kTrendPositionCount; g < indicatorsEnd; ++g) {
            const int value = table.value(row, trendGroup(g));
            line.push_back(value == kNoTrendValue ? "—" : trendValueLabel(trendGroup(g), value));
        }
        rows.add(std::move(line));
    }
    rows.print(out);
}

void runTrend(CliContext& ctx, const TrendOptions& o) {
    const std::optional<int> window = parseWindow(o.window);
    const TrendTable table(ctx.readingStore().rows(), window);
    const int largest = table.largestCurrent();
    constexpr int indicatorsEnd = kTrendPositionCount + kTrendIndicatorCount;
    if (ctx.format == OutputFormat::Text) {
        writeText(ctx.out, o, table, largest);
        return;
    }

    nlohmann::ordered_json head;
    head["setting"] = trendCommandLine(o);
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
    setExamples(trend, {"arrange5-cli trend --window 30 --format text",
                        "arrange5-cli trend --window 100 --rows"});
    trend->callback([&ctx, options] { runTrend(ctx, *options); });
}

}  // namespace arrange5::cli
