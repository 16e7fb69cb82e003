// A whole history text file as import and rebuild read it: no bad row may come out, the
// report must add up, and the draws read must survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "acquire/history_text.h"
#include "tests/fuzz/fuzz_check.h"

using namespace arrange5;

namespace {

std::size_t countLines(std::string_view text) {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const HistoryText read = parseHistoryText(text);

    for (std::size_t i = 0; i < read.entries.size(); ++i) {
        const HistoryEntry& e = read.entries[i];
        FUZZ_CHECK(e.issue > 0 && e.issue <= 9999999);
        for (int16_t d : e.digits) FUZZ_CHECK(d >= 0 && d <= 9);
        if (i > 0) FUZZ_CHECK(e.issue > read.entries[i - 1].issue);
    }
    FUZZ_CHECK(read.entries.size() + read.skippedCount <= countLines(text));
    FUZZ_CHECK(read.firstSkipped.size() <= HistoryText::kReportedSkips);
    FUZZ_CHECK(read.firstSkipped.size() <= read.skippedCount);
    FUZZ_CHECK(read.skippedCount == 0 ||
               read.firstSkipped.size() ==
                   std::min(read.skippedCount, HistoryText::kReportedSkips));
    for (std::size_t i = 0; i < read.firstSkipped.size(); ++i) {
        FUZZ_CHECK(read.firstSkipped[i].lineNumber >= 1);
        FUZZ_CHECK(read.firstSkipped[i].problem != LineProblem::None);
        if (i > 0)
            FUZZ_CHECK(read.firstSkipped[i].lineNumber > read.firstSkipped[i - 1].lineNumber);
    }
    FUZZ_CHECK(describeSkipped(read).empty() == (read.skippedCount == 0));

    std::string written;
    for (const auto& e : read.entries) written += formatHistoryLine(e.issue, e.digits) + "\r\n";
    const HistoryText again = parseHistoryText(written);
    FUZZ_CHECK(again.skippedCount == 0);
    FUZZ_CHECK(again.entries.size() == read.entries.size());
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        FUZZ_CHECK(again.entries[i].issue == read.entries[i].issue);
        FUZZ_CHECK(again.entries[i].digits == read.entries[i].digits);
    }
    return 0;
}
