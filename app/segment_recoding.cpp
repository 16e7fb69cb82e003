#include "app/segment_recoding.h"

#include <optional>

#include "analysis/segment_bases.h"
#include "app/busy_cursor.h"
#include "app/dialogs.h"

namespace arrange5 {

bool SegmentRecoding::readyFor(HistoryStore& store, const SearchRequest& request, int base) {
    return codesAgree([&] { requireSegmentBase(store, request); }, store, base);
}

// True when `check` found the codes usable (or they were recomputed).
bool SegmentRecoding::codesAgree(const std::function<void()>& check, HistoryStore& store,
                                 int base) {
    std::optional<QString> otherBase;
    const bool checked = services_.guarded([&] {
        try {
            check();
        } catch (const SegmentBaseError& e) {
            otherBase = QString::fromStdString(e.what());
        }
    });
    if (!otherBase) return checked;
    const QString question =
        *otherBase +
        QStringLiteral("\n\n现在按当前分段方式（段数参数 %1）重算所有历史号码的段数吗？")
            .arg(base == 0 ? QStringLiteral("0~4") : QStringLiteral("1~5"));
    if (!services_.dialogs->confirm(services_.window, QStringLiteral("按当前分段方式重算"),
                                    question)) {
        return false;
    }
    recodeNow(store, base);
    return true;
}

void SegmentRecoding::recodeNow(HistoryStore& store, int base) {
    services_.guarded([&] {
        BusyCursor busy;
        const int64_t rows = recodeSegments(store, base);
        services_.showStatus(QStringLiteral("已按当前分段方式重算 %1 期的段数").arg(rows));
    });
}

void SegmentRecoding::baseChanged(HistoryStore& store, int base) {
    codesAgree(
        [&] {
            SearchSettings segments;
            segments.kind = CodeKind::Segment;
            TallySettings tally;
            tally.segmentBase = base;
            requireSegmentBase(storedSegmentBases(store), segments, tally);
        },
        store, base);
}

}  // namespace arrange5
