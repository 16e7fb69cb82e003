#include "analysis/segment_bases.h"

#include "store/limits.h"
#include "store/segment_codes.h"

namespace arrange5 {

namespace {

std::string baseName(int base) {
    if (base == 0) return "0~4";
    if (base == 1) return "1~5";
    return "无法识别的参数";
}

void addRow(std::vector<BaseRange>& ranges, int base, int32_t issue) {
    if (ranges.empty() || ranges.back().base != base) ranges.push_back({base, issue, issue, 0});
    ranges.back().last = issue;
    ++ranges.back().rows;
}

}  // namespace

std::vector<BaseRange> storedSegmentBases(HistoryStore& store) {
    std::vector<BaseRange> ranges;
    for (const auto& [issue, base] : storedSegmentBaseOfRows(store)) addRow(ranges, base, issue);
    return ranges;
}

std::vector<BaseRange> storedSegmentBases(const HistorySnapshot& rows) {
    std::vector<BaseRange> ranges;
    for (const HistoryRow& row : rows) {
        const auto segment = static_cast<std::size_t>(CodeKind::Segment);
        addRow(ranges, row.codes[segment][0] - row.digits()[0] / 2, row.issue);
    }
    return ranges;
}

bool readsSegments(const SearchSettings& settings, const TallySettings& tally) {
    return settings.kind == CodeKind::Segment || tally.resultKind == CodeKind::Segment;
}

void requireSegmentBase(const std::vector<BaseRange>& stored, const SearchSettings& settings,
                        const TallySettings& tally) {
    if (!readsSegments(settings, tally)) return;
    bool other = false;
    std::string ranges;
    for (const BaseRange& r : stored) {
        other = other || r.base != tally.segmentBase;
        ranges += (ranges.empty() ? "" : "，") + std::to_string(r.first) + "–" +
                  std::to_string(r.last) + " 期按段数参数 " + baseName(r.base);
    }
    if (!other) return;
    throw SegmentBaseError("历史号码的段数不是按当前的段数参数 " + baseName(tally.segmentBase) +
                           " 算出的（" + ranges +
                           "），按段数检索或统计会算错；请先按当前分段方式重算"
                           "（窗口：按当前分段方式重算；命令行：arrange5-cli recode）");
}

void requireSegmentBase(HistoryStore& store, const SearchRequest& request) {
    if (!readsSegments(request.settings, request.tally)) return;
    requireSegmentBase(storedSegmentBases(store), request.settings, request.tally);
}

int64_t recodeSegments(HistoryStore& store, int base) {
    if (!limits::validSegmentBase(base)) {
        throw InputError("段数参数必须是 0 或 1，而不是 " + std::to_string(base));
    }
    return store.write("段数无法重算",
                       [&](HistoryWriter& writer) { return rewriteSegmentCodes(writer, base); },
                       ChangeKind::Replaced);
}

}  // namespace arrange5
