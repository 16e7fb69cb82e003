#include "cli/parse_messages.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <string_view>

namespace arrange5::cli {

namespace {

bool hasChinese(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

const char* chineseFor(const CLI::ParseError& e) {
    if (dynamic_cast<const CLI::RequiredError*>(&e)) return "缺少必需的命令、参数或选项";
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) return "有多余或无法识别的参数";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) return "选项后面的值的个数不对";
    if (dynamic_cast<const CLI::ConversionError*>(&e)) return "选项的值不是所需的形式";
    if (dynamic_cast<const CLI::ValidationError*>(&e)) return "选项的值不在允许的范围内";
    if (dynamic_cast<const CLI::RequiresError*>(&e) ||
        dynamic_cast<const CLI::ExcludesError*>(&e)) {
        return "这些选项不能这样组合";
    }
    return "命令行有误";
}

}  // namespace

std::string describeParseError(const CLI::ParseError& e) {
    const std::string words = e.what();
    // A message of this program's own (a validator's) is already meant for the user.
    if (hasChinese(words)) return words;
    return std::string(chineseFor(e)) + "（" + words + "）；用 --help 查看用法";
}

CLI::Validator nonEmptyFolder() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            if (!value.empty()) return {};
            return "数据文件夹不能是空的（也许脚本里的变量没有设置）；没有改动任何文件";
        },
        "DIR");
}

CLI::Validator nonEmptyAddress() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            if (!value.empty()) return {};
            return "地址是空的（也许脚本里的变量没有设置）；在线更新没有进行，历史号码没有改变";
        },
        "URL");
}

CLI::Validator decimalNumber(int64_t least, int64_t most) {
    const std::string range = std::to_string(least) + " 到 " + std::to_string(most);
    return CLI::Validator(
        [least, most, range](std::string& value) -> std::string {
            std::string_view digits = value;
            const bool negative = least < 0 && !digits.empty() && digits.front() == '-';
            if (negative) digits.remove_prefix(1);
            const bool allDigits =
                !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                               [](char c) { return c >= '0' && c <= '9'; });
            if (!allDigits) {
                return "“" + value + "”不是数字（只能由 0–9 组成，不带符号、空格或 0x），应在 " +
                       range + " 之间；没有改动任何文件";
            }
            const std::size_t firstNonZero = digits.find_first_not_of('0');
            digits = firstNonZero == std::string_view::npos ? std::string_view("0")
                                                            : digits.substr(firstNonZero);
            int64_t number = 0;
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (negative) number = -number;
            if (ec != std::errc() || end != digits.data() + digits.size() || number < least ||
                number > most) {
                return "“" + value + "”不在 " + range + " 之间；没有改动任何文件";
            }
            value = std::to_string(number);
            return {};
        },
        "INT in [" + std::to_string(least) + " - " + std::to_string(most) + "]");
}

CLI::Validator decimalIssueRange() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            const std::size_t colon = value.find(':');
            const auto digitsOnly = [](std::string_view end) {
                return std::all_of(end.begin(), end.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
            };
            const std::string_view text = value;
            if (colon == std::string::npos || !digitsOnly(text.substr(0, colon)) ||
                !digitsOnly(text.substr(colon + 1))) {
                return "“" + value +
                       "”不是期号范围（应是“起期:止期”，两端只能由 0–9 组成，可以空着一端）；"
                       "没有改动任何文件";
            }
            return {};
        },
        "A:B");
}

}  // namespace arrange5::cli
