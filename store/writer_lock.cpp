#include "store/writer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "store/errors.h"

namespace arrange5 {

WriterLock::WriterLock(const std::filesystem::path& folder, std::chrono::milliseconds wait) {
    const std::filesystem::path file = folder / kWriterLockFileName;
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // A lock file made by someone else may still be opened for reading; flock does not
        // care how the file was opened.
        fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd_ < 0) {
        throw StoreError("the history in " + folder.string() +
                         " cannot be changed: the folder cannot be written (" +
                         std::strerror(errno) + ")");
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(5);
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            fd_ = -1;
            if (error != EWOULDBLOCK) {
                throw StoreError("cannot lock " + file.string() + ": " + std::strerror(error));
            }
            throw StoreBusyError("another copy of arrange5 is changing the history in " +
                                 folder.string() +
                                 "; nothing was changed. Try again when it has finished.");
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

WriterLock::~WriterLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the flock
}

}  // namespace arrange5
