#include "store/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

#include "store/errors.h"

namespace arrange5 {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Sign, digits, an optional fraction and an optional exponent; no "inf", "nan" or hex,
// which the number parser would otherwise accept.
bool looksDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

}  // namespace

std::optional<int64_t> parseWholeNumber(const std::string& text) {
    std::string_view s = text;
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    if (!looksDecimal(s)) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (end != s.data() + s.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // A tiny magnitude rounds to 0; a huge one saturates below.
        const std::size_t e = s.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && s[e + 1] == '-';
        value = tiny ? 0.0 : (s.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    constexpr double kLimit = 9.0e18;  // inside int64_t, and far beyond any issue or count
    if (value >= kLimit) return static_cast<int64_t>(kLimit);
    if (value <= -kLimit) return -static_cast<int64_t>(kLimit);
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1;
    return static_cast<int64_t>(rounded);
}

int64_t inputBoxNumber(const std::string& text) {
    return parseWholeNumber(text).value_or(0);
}

int32_t parseIssueField(const std::string& text, const std::string& fieldName) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    const std::string_view trimmed(text.data() + begin, end - begin);
    if (trimmed.empty()) throw InputError(fieldName + "：需要期号，框中是空的");
    std::string_view digits = trimmed;
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
    int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) {
        if (ec == std::errc::result_out_of_range) {
            throw InputError(fieldName + "：“" + std::string(trimmed) + "”太大，不能作为期号");
        }
        throw InputError(fieldName + "：“" + std::string(trimmed) +
                         "”不是期号（应是数字，例如 2013001）");
    }
    return value;
}

bool isValidIssue(int64_t issue) {
    return issue >= 1000000 && issue <= 9999999 && issue % 1000 != 0;
}

int32_t parseIssueBound(const std::string& text, const std::string& fieldName) {
    const int32_t issue = parseIssueField(text, fieldName);
    if (!isValidIssue(issue)) {
        const std::size_t begin = text.find_first_not_of(" \t\r\n");
        const std::size_t end = text.find_last_not_of(" \t\r\n");
        throw InputError(fieldName + "：“" + text.substr(begin, end - begin + 1) +
                         "”不是期号（应是七位数字：年份和当年的期数，例如 2013001）");
    }
    return issue;
}

int64_t parseNumberArgument(const std::string& text, const std::string& what) {
    const auto value = parseWholeNumber(text);
    if (!value) throw InputError("“" + text + "”不是数字（" + what + "）");
    return *value;
}

}  // namespace arrange5
