#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace arrange5::cli {

struct CliContext;

// --format of every command. A command that answers with figures (check, search, backtest,
// trend, ...) prints JSON unless text is asked for; a command that changes the history
// prints its one-line summary unless JSON is asked for, so the lines scripts read today
// stay as they are.
enum class OutputFormat { Default, Json, Text };

// Gives every command of `app` --format json|text and ends its --help with the exit status
// rule (after its examples, when setExamples gave some). Call once every command is added:
// a command added later by anyone gets both without doing anything.
void addFormatOptions(CLI::App& app, CliContext& ctx);

// The example lines --help shows for `cmd`, each a whole command line.
void setExamples(CLI::App* cmd, const std::vector<std::string>& examples);

// The answer of a command that reports figures: `json` on one line, or with --format text
// what `text` writes for a reader.
void printFigures(CliContext& ctx, const nlohmann::ordered_json& json,
                  const std::function<void(std::ostream&)>& text);

// The answer of a command that did something: its summary line, or with --format json one
// object {"summary": line, …the figures of `json`}.
void printSummary(CliContext& ctx, const std::string& line,
                  const nlohmann::ordered_json& json = nlohmann::ordered_json::object());

// Columns for a reader: each column as wide as its widest cell, a Chinese character taking
// two places as a terminal shows it.
class TextTable {
  public:
    explicit TextTable(std::vector<std::string> header);
    void add(std::vector<std::string> row);
    void print(std::ostream& out) const;

  private:
    std::vector<std::vector<std::string>> rows_;
};

// Fixed-point text of a number, e.g. fixed(0.1234, 1) = "0.1".
std::string fixed(double value, int decimals);
// A fraction as a percentage with one decimal: 0.1164 → "11.6%".
std::string percentText(double fraction);

}  // namespace arrange5::cli
