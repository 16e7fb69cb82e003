#include "store/history_document.h"

#include <algorithm>
#include <string>
#include <utility>

#include "store/errors.h"
#include "store/limits.h"

namespace arrange5 {

HistoryDocument::HistoryDocument(std::filesystem::path dataFolder, HistoryStore::Cursor cursor)
    : store_(std::make_unique<HistoryStore>(std::move(dataFolder), cursor)) {
    told_ = endsOf(store_->rows());
    rememberStamp();
    store_->setWriteObserver([this](ChangeKind kind) { written(kind); });
    store_->setWriterContext(&context_);
}

HistoryDocument::~HistoryDocument() {
    store_->setWriteObserver({});
    store_->setWriterContext(nullptr);
}

void HistoryDocument::setSegmentBase(int base) {
    if (!limits::validSegmentBase(base)) {
        throw InputError("段数参数必须是 0 或 1，而不是 " + std::to_string(base));
    }
    context_.segmentBase = base;
}

int HistoryDocument::subscribe(Listener listener) {
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void HistoryDocument::unsubscribe(int id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void HistoryDocument::rememberStamp() {
    try {
        seen_ = store_->changeStamp();
    } catch (const Error&) {
        // The next look compares against nothing and takes what it finds as seen.
        seen_.reset();
    }
}

// Our own write committed: what it changed is ours, not another program's.
void HistoryDocument::written(ChangeKind kind) {
    rememberStamp();
    HistoryChange change{kind, false, told_, endsOf(store_->rows())};
    {
        const std::lock_guard lock(pendingMutex_);
        if (deferrals_ > 0) {
            if (pending_) {
                // Gathered changes keep the earliest "before"; two kinds of change of the draws
                // together are told as a replacement.
                change.before = pending_->before;
                if (!change.drawsChanged()) {
                    change.kind = pending_->kind;
                } else if (pending_->drawsChanged() && pending_->kind != change.kind) {
                    change.kind = ChangeKind::Replaced;
                }
            }
            pending_ = change;
            return;
        }
    }
    tell(change);
}

void HistoryDocument::tell(const HistoryChange& change) {
    told_ = change.after;
    // A listener may unsubscribe another (a closing trend window); walk a copy.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener(change);
}

bool HistoryDocument::followOutsideChanges() {
    {
        const std::lock_guard lock(pendingMutex_);
        if (deferrals_ > 0) return false;
    }
    std::optional<HistoryStore::ChangeStamp> now;
    try {
        now = store_->changeStamp();
    } catch (const Error&) {
        return false;
    }
    if (!seen_ || *seen_ == *now) {
        seen_ = now;
        return false;
    }
    store_->reopenReadingCursor();
    rememberStamp();
    tell({ChangeKind::Replaced, true, told_, endsOf(store_->rows())});
    return true;
}

HistoryDocument::Deferral HistoryDocument::deferNotifications() {
    const std::lock_guard lock(pendingMutex_);
    ++deferrals_;
    return Deferral(this);
}

HistoryDocument::Deferral::~Deferral() {
    if (document_) document_->endDeferral();
}

void HistoryDocument::endDeferral() {
    std::optional<HistoryChange> change;
    {
        const std::lock_guard lock(pendingMutex_);
        if (--deferrals_ > 0) return;
        change = std::exchange(pending_, std::nullopt);
    }
    if (change) tell(*change);
}

}  // namespace arrange5
