#include "bench/performance_table.h"

#include <sqlite3.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

namespace arrange5::bench {

namespace {

std::string formatSeconds(std::optional<double> s) {
    if (!s) return "—";
    char text[32];
    if (*s >= 1.0) {
        std::snprintf(text, sizeof text, "%.2f s", *s);
    } else if (*s >= 0.01) {
        std::snprintf(text, sizeof text, "%.1f ms", *s * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.3f ms", *s * 1e3);
    }
    return text;
}

std::string formatRatio(std::optional<double> r) {
    if (!r) return "—";
    char text[32];
    std::snprintf(text, sizeof text, r < 10 ? "%.2f" : "%.0f", *r);
    return text;
}

std::optional<double> ratio(std::optional<double> a, std::optional<double> b) {
    if (!a || !b || *b <= 0) return std::nullopt;
    return *a / *b;
}

// The worst median over the settings `pick` selects, with the setting it belongs to.
struct Worst {
    std::optional<double> value;
    std::string setting;
    bool failed = false;
    std::string failure;
};

Worst worstOf(const BenchResults& results, const TableLayout& layout, const std::string& history,
              const std::vector<std::string>& operations,
              const std::function<bool(std::size_t)>& pick,
              const std::function<std::optional<double>(const MeasureKey&)>& value) {
    Worst w;
    for (std::size_t i = 0; i < layout.searchSettings.size(); ++i) {
        if (!pick(i)) continue;
        for (const std::string& op : operations) {
            const MeasureKey key{op, history, layout.searchSettings[i]};
            const Measurement* m = results.find(key);
            if (m && m->failed && !w.failed) {
                w.failed = true;
                w.failure = layout.searchSettings[i] + ": " + m->note;
            }
            const std::optional<double> v = value(key);
            if (v && (!w.value || *v > *w.value)) {
                w.value = v;
                w.setting = layout.searchSettings[i] +
                            (op == "search-first" ? " (first run)" : " (repeated)");
            }
        }
    }
    return w;
}

std::string verdict(const Worst& w, std::optional<double> limit, bool inclusive) {
    if (!limit) return "";
    if (w.failed) return "✗ failed";
    const bool met = inclusive ? *w.value <= *limit : *w.value < *limit;
    return met ? "✓" : "✗";
}

std::string todayUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &tm);
    return text;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " / " + five + " / " + fifteen + " (1 / 5 / 15 min)";
}

struct TargetRow {
    std::string label;
    std::vector<std::string> operations;
    std::function<bool(std::size_t)> pick;  // which search settings; null for one figure
    std::vector<std::optional<double>> limits;
    bool isRatio = false;
};

}  // namespace

std::string describeMachine() {
    std::string cpu = "unknown CPU";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            cpu = line.substr(line.find(':') + 2);
            break;
        }
    }
    long memKb = 0;
    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        if (line.rfind("MemTotal:", 0) == 0) memKb = std::stol(line.substr(9));
    }
    utsname u{};
    uname(&u);
    char text[256];
    std::snprintf(text, sizeof text, "%s, %u cores, %.0f GiB RAM, %s %s", cpu.c_str(),
                  std::thread::hardware_concurrency(), static_cast<double>(memKb) / 1048576.0,
                  u.sysname, u.release);
    return text;
}

void writePerformanceTable(std::ostream& out, const BenchResults& results,
                           const TableLayout& layout) {
    const auto median = [&](const MeasureKey& key) { return results.median(key); };
    const auto rewriteRatio = [&](const MeasureKey& key) {
        return ratio(results.median(key), results.median({"floor-rewrite", key.history, ""}));
    };
    const auto single = [&](std::size_t i) { return !layout.settingIsCombination[i]; };
    const auto combination = [&](std::size_t i) { return bool(layout.settingIsCombination[i]); };
    const auto any = [](std::size_t) { return true; };

    const std::vector<TargetRow> targets = {
        {"import of a history file", {"import"}, nullptr, {0.1, 1.0, 10.0}},
        {"single search with tally, any setting, first run",
         {"search-first"},
         single,
         {0.04, 0.6, 6.0}},
        {"the same search repeated with the same settings",
         {"search-repeated"},
         single,
         {0.015, 0.2, 2.0}},
        {"combination search with tally, k = 2 or 3",
         {"search-first", "search-repeated"},
         combination,
         {0.06, 0.8, 8.0}},
        {"any search, in rewrite floors",
         {"search-first", "search-repeated"},
         any,
         {3.0, 3.0, 3.0},
         true},
        {"rebuild", {"rebuild"}, nullptr, {0.1, 1.2, 12.0}},
        {"history grid fill (showHistory)", {"grid-fill"}, nullptr, {0.01, 0.05, 0.5}},
        {"of which: reopening the reading cursor", {"reading-cursor"}, nullptr, {}},
        {"rewrite floor: `UPDATE Lishi SET intTh = 0` changing every row",
         {"floor-rewrite"},
         nullptr,
         {}},
        {"scan floor: the same statement changing nothing", {"floor-scan"}, nullptr, {}},
    };

    out << "Measured " << todayUtc() << " on " << describeMachine() << "; SQLite "
        << sqlite3_libversion() << ", g++ " << __VERSION__ << ", Release build.\n"
        << "Reproduce with `" << layout.command << "`. Every figure is the median of the "
        << "repetitions of the run; the load average was " << loadAverage()
        << " when the table was written (other work on the machine inflates every figure).\n\n";

    out << "| operation |";
    for (const auto& t : layout.historyTitles) out << " " << t << " |";
    out << " growth exponent 100k → 1M |\n|---|";
    for (std::size_t i = 0; i < layout.histories.size(); ++i) out << "---|";
    out << "---|\n";

    for (const TargetRow& t : targets) {
        out << "| " << t.label << " |";
        std::vector<std::optional<double>> values;
        std::vector<std::string> notes;
        for (std::size_t hi = 0; hi < layout.histories.size(); ++hi) {
            const std::string& h = layout.histories[hi];
            Worst w;
            if (t.pick) {
                w = worstOf(results, layout, h, t.operations, t.pick,
                            t.isRatio ? std::function(rewriteRatio) : std::function(median));
            } else {
                const MeasureKey key{t.operations.front(), h, ""};
                const Measurement* m = results.find(key);
                w.value = results.median(key);
                w.failed = m && m->failed;
                if (w.failed) w.failure = m->note;
            }
            values.push_back(w.value);
            const std::optional<double> limit = hi < t.limits.size() ? t.limits[hi] : std::nullopt;
            std::string cell = t.isRatio ? formatRatio(w.value) : formatSeconds(w.value);
            if (!w.value && !w.failed) {
                cell = "not measured";
            } else if (limit) {
                cell += " " + verdict(w, limit, t.isRatio);
                cell += t.isRatio ? " (≤ " + formatRatio(limit) + ")"
                                  : " (< " + formatSeconds(limit) + ")";
            }
            if (!w.setting.empty()) cell += "<br>" + w.setting;
            if (w.failed) notes.push_back(h + ": " + w.failure);
            out << " " << cell << " |";
        }
        // Growth compares each setting with itself; the worst growth is the one reported.
        std::optional<double> growth;
        if (!t.isRatio) {
            for (const std::string& op : t.operations) {
                const auto grow = [&](const std::string& setting) {
                    const auto small = results.median({op, "100k", setting});
                    const auto large = results.median({op, "1m", setting});
                    if (!small || !large || *small <= 0) return;
                    const double e = std::log10(*large / *small);
                    if (!growth || e > *growth) growth = e;
                };
                if (!t.pick) {
                    grow("");
                    continue;
                }
                for (std::size_t i = 0; i < layout.searchSettings.size(); ++i) {
                    if (t.pick(i)) grow(layout.searchSettings[i]);
                }
            }
        }
        std::string exponent = "—";
        if (growth) {
            char text[16];
            std::snprintf(text, sizeof text, "%.2f", *growth);
            exponent = text;
        }
        out << " " << exponent << " |\n";
        for (const auto& n : notes) out << "\n> " << t.label << " failed on " << n << "\n\n";
    }

    out << "\nTimes are medians; \"÷ rewrite\" divides by the rewrite floor of the same history "
        << "(`UPDATE Lishi SET intTh = 0` when every row held 1), \"÷ memory\" by the same search "
           "computed over the "
        << "draws in memory (the in-memory floor). The exponent compares the first runs on 100k "
        << "and 1M draws.\n";
    for (std::size_t hi = 0; hi < layout.histories.size(); ++hi) {
        const std::string& h = layout.histories[hi];
        const std::optional<double> rewrite = results.median({"floor-rewrite", h, ""});
        const bool any = std::any_of(layout.searchSettings.begin(), layout.searchSettings.end(),
                                     [&](const std::string& s) {
                                         return results.find({"search-first", h, s}) != nullptr;
                                     });
        if (!any && !rewrite) continue;
        out << "\n#### " << layout.historyTitles[hi] << " draws: rewrite floor "
            << formatSeconds(rewrite) << "\n\n"
            << "| setting | hits | first run | repeated | first ÷ rewrite | repeated ÷ rewrite | "
               "first ÷ memory | in-memory floor |"
            << (hi == 2 ? " exponent |" : "") << "\n|---|---|---|---|---|---|---|---|"
            << (hi == 2 ? "---|" : "") << "\n";
        for (const std::string& s : layout.searchSettings) {
            const MeasureKey firstKey{"search-first", h, s};
            const MeasureKey repeatKey{"search-repeated", h, s};
            const Measurement* m = results.find(firstKey);
            const Measurement* mr = results.find(repeatKey);
            if (!m && !mr) continue;
            const std::optional<double> first = results.median(firstKey);
            const std::optional<double> repeated = results.median(repeatKey);
            const std::optional<double> memory = results.median({"floor-memory", h, s});
            std::string note = m ? m->note : "";
            if (mr && mr->failed) note = "repeated: " + mr->note;
            out << "| " << s << " | " << note << " | " << formatSeconds(first) << " | "
                << formatSeconds(repeated) << " | " << formatRatio(ratio(first, rewrite)) << " | "
                << formatRatio(ratio(repeated, rewrite)) << " | "
                << formatRatio(ratio(first, memory)) << " | " << formatSeconds(memory) << " |";
            if (hi == 2) {
                std::string exponent = "—";
                const std::optional<double> at100k = results.median({"search-first", "100k", s});
                if (first && at100k && *at100k > 0) {
                    char text[16];
                    std::snprintf(text, sizeof text, "%.2f", std::log10(*first / *at100k));
                    exponent = text;
                }
                out << " " << exponent << " |";
            }
            out << "\n";
        }
    }
}

}  // namespace arrange5::bench
