#pragma once

#include <chrono>
#include <filesystem>

#include "store/file_names.h"

namespace arrange5 {

inline constexpr const char* kWriterLockFileName = file_names::kWriterLock;

// How long a second writer waits for the first to finish before it gives up.
inline constexpr std::chrono::milliseconds kDefaultWriterWait{3000};

// The one-writer lock of a data folder: an exclusive flock on Zembric.mdb.lock. The kernel
// drops it when its holder exits, however it exits, so a killed program never leaves the
// folder locked. Readers do not take it; SQLite lets them read while one writes.
class WriterLock {
  public:
    // Waits up to `wait` for the lock; throws StoreBusyError when another holder keeps it,
    // StoreError when the lock file cannot be created (a read-only folder).
    WriterLock(const std::filesystem::path& folder, std::chrono::milliseconds wait);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace arrange5
