#include "cli/parse_messages.h"

#include <CLI/CLI.hpp>
#include <algorithm>

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

}  // namespace arrange5::cli
