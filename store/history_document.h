#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "store/history_ends.h"
#include "store/history_store.h"

namespace arrange5 {

// What one change did to the history, as its viewers last saw it and as it is now. A viewer
// decides from the change alone; no command leaves a flag behind for it.
struct HistoryChange {
    ChangeKind kind = ChangeKind::Replaced;  // another program's change: Replaced
    bool outside = false;  // committed by another program (the command line, another window)
    HistoryEnds before;    // the reading cursor at the previous notification
    HistoryEnds after;     // the reading cursor now

    bool drawsChanged() const { return changesDraws(kind); }
};

// The open history of one data folder and its writer context: the store and its reading
// cursor, the state every write hands on to the next, and one notification for every change.
// Library commands write through store(), whose one write path tells the document; the document
// then tells every listener once, on the thread that wrote. A change another program committed is
// found by followOutsideChanges() and told the same way. Viewers (the window, its trend windows)
// subscribe once and refresh from the notification; nobody runs the refresh steps by hand after a
// command.
class HistoryDocument {
  public:
    using Listener = std::function<void(const HistoryChange&)>;

    // Opens (or creates) the folder's database as HistoryStore does; throws its errors.
    explicit HistoryDocument(std::filesystem::path dataFolder,
                             HistoryStore::Cursor cursor = HistoryStore::Cursor::Read);
    ~HistoryDocument();
    HistoryDocument(const HistoryDocument&) = delete;
    HistoryDocument& operator=(const HistoryDocument&) = delete;

    // For the library commands: every write they make goes through its write path.
    HistoryStore& store() { return *store_; }
    const HistorySnapshot& rows() const { return store_->rows(); }
    bool empty() const { return store_->empty(); }
    const std::filesystem::path& folder() const { return store_->folder(); }
    bool readOnly() const { return store_->readOnly(); }

    // The writer context (store/history_writer.h) every write through store() uses: the
    // segment base new rows are coded with (the settings' DsIni or --segment-base), the last
    // two draws appended since start-up and the search memo.
    int segmentBase() const { return context_.segmentBase; }
    // Throws InputError for anything but 0 or 1.
    void setSegmentBase(int base);
    const LastTwoDraws& lastTwoDraws() const { return context_.lastTwo; }

    // Listeners are told in the order they subscribed and live as long as the document.
    // Returns a number to unsubscribe with.
    int subscribe(Listener listener);
    void unsubscribe(int id);

    // Another program's commit since the last change this document saw: the reading cursor
    // is read again and the listeners are told (outside = true). Returns whether there was
    // one. Does nothing while notifications are deferred.
    bool followOutsideChanges();

    // While a deferral is held (a command running on another thread), changes are gathered
    // instead of told; the listeners hear them as one change when the last deferral ends, on
    // the thread that ends it. Outside changes are not looked for meanwhile.
    class Deferral {
      public:
        Deferral(Deferral&& other) noexcept : document_(std::exchange(other.document_, nullptr)) {}
        Deferral& operator=(Deferral&&) = delete;
        ~Deferral();

      private:
        friend class HistoryDocument;
        explicit Deferral(HistoryDocument* document) : document_(document) {}
        HistoryDocument* document_;
    };
    [[nodiscard]] Deferral deferNotifications();

  private:
    void written(ChangeKind kind);
    void tell(const HistoryChange& change);
    void rememberStamp();
    void endDeferral();

    std::unique_ptr<HistoryStore> store_;
    WriterContext context_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 0;
    HistoryEnds told_;  // the cursor as the listeners last heard of it
    std::optional<HistoryStore::ChangeStamp> seen_;
    std::mutex pendingMutex_;  // guards the two below, which a worker thread's writes touch
    int deferrals_ = 0;
    std::optional<HistoryChange> pending_;
};

}  // namespace arrange5
