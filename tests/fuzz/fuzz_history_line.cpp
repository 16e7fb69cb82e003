// One line of a history text file: the draw-line and digit-field tests must never read past
// the line, and whatever they accept must be a real draw that the writers write back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "acquire/history_text.h"
#include "tests/fuzz/fuzz_check.h"

using namespace arrange5;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const ParsedLine parsed = parseHistoryLine(line);
    FUZZ_CHECK(!describe(parsed.problem).empty());
    if (parsed.problem != LineProblem::None) return 0;

    FUZZ_CHECK(parsed.entry.issue > 0 && parsed.entry.issue <= 9999999);
    for (int16_t d : parsed.entry.digits) FUZZ_CHECK(d >= 0 && d <= 9);
    // Columns 1-7 are the issue whatever else the line holds.
    for (int i = 0; i < 7; ++i) FUZZ_CHECK(line[i] >= '0' && line[i] <= '9');

    const std::string written = formatHistoryLine(parsed.entry.issue, parsed.entry.digits);
    FUZZ_CHECK(written.size() == 13);
    const ParsedLine again = parseHistoryLine(written);
    FUZZ_CHECK(again.problem == LineProblem::None);
    FUZZ_CHECK(again.entry.issue == parsed.entry.issue);
    FUZZ_CHECK(again.entry.digits == parsed.entry.digits);
    return 0;
}
