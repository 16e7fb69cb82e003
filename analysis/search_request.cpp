#include "analysis/search_request.h"

#include <algorithm>

#include "analysis/reference.h"

namespace arrange5 {

namespace {

// The reference of the chosen source, and the end of the range the verification sets.
struct ChosenReference {
    ReferenceValues values{};
    std::optional<int32_t> rangeEnd;
};

ChosenReference chooseReference(const HistorySnapshot& rows, const RequestInput& in) {
    switch (in.source) {
        case ReferenceSource::Typed:
            return {in.typed, std::nullopt};
        case ReferenceSource::Verify: {
            // Only a stored draw can be verified: anything else would be searched with the
            // reference of whatever draw lies before it.
            const bool stored = std::any_of(rows.begin(), rows.end(), [&](const HistoryRow& r) {
                return r.issue == in.issueToVerify;
            });
            if (!stored) {
                throw InputError(in.names.verify + "：历史中没有第 " +
                                 std::to_string(in.issueToVerify) + " 期");
            }
            const auto verified =
                verifyReference(rows, in.issueToVerify, in.onlyBefore, in.settings);
            if (!verified) {
                throw NoReferenceError(in.names.verify + " " + std::to_string(in.issueToVerify) +
                                       "：历史号码中这一期之前的期数不够，无法取得参考号码");
            }
            return {verified->values, verified->rangeEnd};
        }
        case ReferenceSource::History:
            break;
    }
    const auto values = historyReference(rows, in.settings);
    if (!values) {
        throw NoReferenceError(rows.empty() ? std::string("历史号码为空，请先读入历史号码")
                                            : "历史号码的期数少于 " + in.names.lag + " 给出的 N");
    }
    return {*values, std::nullopt};
}

}  // namespace

std::optional<ReferenceValues> historyReference(const HistorySnapshot& rows,
                                                const SearchSettings& settings) {
    const auto row = referenceRowIndex(rows, settings);
    if (!row) return std::nullopt;
    return valuesOfRow(rows[*row], settings.kind);
}

RowsNeeded rowsNeeded(const RequestInput& in) {
    requireValidLag(in.settings);
    RowsNeeded need;
    // The reference lies N − 1 rows before the row reached; N rows ending there cover it and
    // tell whether the history reaches that far back.
    if (in.source != ReferenceSource::Typed) need.count = lagDistance(in.settings);
    if (in.source == ReferenceSource::Verify) {
        // One row more, ending at the issue itself: it must be stored to be verified.
        need.count += 1;
        need.upTo = in.issueToVerify;
    }
    return need;
}

SearchRequest buildSearchRequest(const HistorySnapshot& rows, const RequestInput& in) {
    requireValidLag(in.settings);
    SearchRequest request;
    request.settings = in.settings;
    request.positions = in.positions;
    request.tally = in.tally;

    const ChosenReference reference = chooseReference(rows, in);
    request.reference = reference.values;

    std::optional<int32_t> from = in.from ? in.from : defaultRangeStart(rows, in.settings);
    std::optional<int32_t> to = in.to ? in.to : reference.rangeEnd;
    if (!to && !rows.empty()) to = rows.back().issue;
    if (!from || !to) {
        throw InputError("历史号码为空；请给出 " + in.names.from + " 和 " + in.names.to +
                         "，或先读入历史号码");
    }
    // A range the user typed the wrong way round; the defaults of a history too short to
    // search give an empty range that is simply searched.
    if ((in.from || in.to) && *from > *to) {
        throw InputError(in.names.from + " " + std::to_string(*from) + " 晚于 " + in.names.to +
                         " " + std::to_string(*to) + "，检索范围是空的");
    }
    request.from = *from;
    request.to = *to;
    return request;
}

}  // namespace arrange5
