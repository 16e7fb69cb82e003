#include "store/row_check.h"

#include "store/errors.h"

namespace arrange5 {

namespace {

bool isDigit(int16_t value) {
    return value >= 0 && value <= 9;
}

bool codesFollowFromDigits(const HistoryRow& row) {
    const CodeVectors base0 = deriveCodes(row.digits(), 0);
    const CodeVectors base1 = deriveCodes(row.digits(), 1);
    const auto at = [](CodeKind k) { return static_cast<std::size_t>(k); };
    return row.codes[at(CodeKind::BigSmall)] == base0[at(CodeKind::BigSmall)] &&
           row.codes[at(CodeKind::OddEven)] == base0[at(CodeKind::OddEven)] &&
           (row.codes[at(CodeKind::Segment)] == base0[at(CodeKind::Segment)] ||
            row.codes[at(CodeKind::Segment)] == base1[at(CodeKind::Segment)]);
}

}  // namespace

std::optional<std::string> storedRowProblem(const HistoryRow& row) {
    const std::string issue = "第 " + std::to_string(row.issue) + " 期";
    for (std::size_t i = 0; i < row.digits().size(); ++i) {
        const int16_t d = row.digits()[i];
        if (isDigit(d)) continue;
        const std::string position = "第 " + std::to_string(i + 1) + " 位";
        if (d == kUnreadableCode) {
            return issue + "存入的" + position + "号码不是 0 到 9 之间的整数";
        }
        return issue + "存入的" + position + "号码是 " + std::to_string(d) +
               "，超出了 0 到 9 的范围";
    }
    if (!codesFollowFromDigits(row)) {
        return issue + "存入的大小、单双或段数与这一期的号码 " + digitString(row.digits()) +
               " 不符";
    }
    return std::nullopt;
}

std::optional<std::string> firstRowProblem(const HistorySnapshot& rows) {
    for (const HistoryRow& row : rows) {
        if (auto problem = storedRowProblem(row)) return problem;
    }
    return std::nullopt;
}

void requireSoundRows(const HistorySnapshot& rows, std::string_view command) {
    const auto problem = firstRowProblem(rows);
    if (!problem) return;
    throw StoreError(*problem + "：这样的历史号码不能" + std::string(command) +
                     "，历史号码保持原样。历史号码检查列出所有这样的期；"
                     "导入一份正确的历史号码文件即可替换");
}

}  // namespace arrange5
