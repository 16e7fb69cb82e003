#include "cli/output.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/cli_context.h"

namespace arrange5::cli {

namespace {

constexpr const char* kExitRule =
    "退出状态：0 完成（完成了但有警告时，警告写在 stderr）；"
    "2 什么也没有改变，stderr 上有一行说明原因。\n";

constexpr const char* kFormatHelp =
    "输出格式：json（供脚本读取）或 text（供人阅读的摘要）；"
    "检索与统计类命令默认 json，改动历史号码的命令默认一行摘要";

// The places a terminal gives a UTF-8 text: two for the wide scripts (CJK and full-width
// forms), one for the rest.
std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xF0) {
            length = 4;
            cp = lead & 0x07u;
        } else if (lead >= 0xE0) {
            length = 3;
            cp = lead & 0x0Fu;
        } else if (lead >= 0xC0) {
            length = 2;
            cp = lead & 0x1Fu;
        }
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        width += (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                         (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFF60)
                     ? 2
                     : 1;
        i += length;
    }
    return width;
}

void addToCommands(CLI::App* cmd, CliContext& ctx) {
    const auto subcommands = cmd->get_subcommands([](CLI::App*) { return true; });
    cmd->footer(cmd->get_footer() + kExitRule);
    // Every leaf command gets the one --format; a command that reads it itself keeps its own.
    if (subcommands.empty() && cmd->get_option_no_throw("--format") == nullptr) {
        cmd->add_option_function<std::string>(
               "--format",
               [&ctx](const std::string& f) {
                   ctx.format = f == "text" ? OutputFormat::Text : OutputFormat::Json;
               },
               kFormatHelp)
            ->check(CLI::IsMember({"json", "text"}));
    }
    for (CLI::App* sub : subcommands) addToCommands(sub, ctx);
}

}  // namespace

void addFormatOptions(CLI::App& app, CliContext& ctx) {
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
        addToCommands(sub, ctx);
    }
    app.footer(std::string("每个命令都接受 --format json|text；用“arrange5-cli 命令 --help”查看"
                           "该命令的选项和例子。\n") +
               kExitRule);
}

void setExamples(CLI::App* cmd, const std::vector<std::string>& examples) {
    std::string text = "例：\n";
    for (const auto& e : examples) text += "  " + e + "\n";
    cmd->footer(text + "\n");
}

void printFigures(CliContext& ctx, const nlohmann::ordered_json& json,
                  const std::function<void(std::ostream&)>& text) {
    if (ctx.format == OutputFormat::Text) {
        text(ctx.out);
    } else {
        ctx.out << json.dump() << "\n";
    }
}

void printSummary(CliContext& ctx, const std::string& line, const nlohmann::ordered_json& json) {
    if (ctx.format != OutputFormat::Json) {
        ctx.out << line << "\n";
        return;
    }
    nlohmann::ordered_json out = {{"summary", line}};
    for (const auto& [key, value] : json.items()) out[key] = value;
    ctx.out << out.dump() << "\n";
}

TextTable::TextTable(std::vector<std::string> header) {
    rows_.push_back(std::move(header));
}

void TextTable::add(std::vector<std::string> row) {
    rows_.push_back(std::move(row));
}

void TextTable::print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    for (const auto& row : rows_) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    for (const auto& row : rows_) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line.append(widths[c] - displayWidth(row[c]) + 2, ' ');
        }
        out << line << "\n";
    }
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string percentText(double fraction) {
    return fixed(100.0 * fraction, 1) + "%";
}

}  // namespace arrange5::cli
