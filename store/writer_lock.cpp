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
        const int error = errno;  // the strings built below may allocate and overwrite it
        throw StoreError("数据文件夹 " + folder.string() + " 不能写入，历史号码无法改动（" +
                         std::strerror(error) + "）");
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
                throw StoreError("无法锁定 " + file.string() + "（" + std::strerror(error) +
                                 "），历史号码没有改变");
            }
            throw StoreBusyError("另一个 arrange5 程序正在改动 " + folder.string() +
                                 " 中的历史号码，这次什么也没有改变。请等它完成后再试。");
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

WriterLock::~WriterLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the flock
}

}  // namespace arrange5
