#include "acquire/manual_entry.h"

#include "store/errors.h"
#include "store/next_issue.h"

namespace arrange5 {

int32_t appendManualDraw(HistoryStore& store, const Digits& digits,
                         std::optional<int32_t> chosenIssue, std::optional<int> todayYear) {
    for (const int16_t d : digits) {
        if (d < 0 || d > 9) throw InputError("每一位只能是 0 到 9 中的一个数字，没有存入");
    }
    // The next issue and the previous draw come from the table as it stands now, not from a
    // snapshot another writer may have outdated, and nobody else writes until this row is in.
    const HistoryStore::WriteLock lock = store.lockForWriting();
    store.reopenReadingCursor();
    int32_t issue = 0;
    if (store.empty()) {
        if (!chosenIssue) {
            throw InputError("历史号码为空，请给出这一期的期号");
        }
        issue = *chosenIssue;
    } else if (chosenIssue) {
        // Checked against the last row as it is now: the field may have been filled before
        // another program added a draw.
        acceptChosenIssue(store.rows().back().issue, *chosenIssue);
        issue = *chosenIssue;
    } else {
        issue = nextIssue(store.rows().back().issue, todayYear);
    }
    if (!isValidIssue(issue)) {
        throw InputError(std::to_string(issue) +
                         " 不是期号（七位数字：年份和当年的期数，例如 2013001），没有存入");
    }

    store.write(
        "第 " + std::to_string(issue) + " 期未能存入",
        [&](HistoryWriter& writer) {
            writer.primePreviousFrom(store.rows());
            writer.appendDraw(issue, digits);
        },
        ChangeKind::Appended);
    return issue;
}

}  // namespace arrange5
