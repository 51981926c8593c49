#include "framework/workbook/save_lock.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "framework/workbook/file_io.h"

namespace workbook {

SaveLock::SaveLock(const std::string& path, std::chrono::milliseconds patience)
{
    const std::string target = SaveTarget(path);
    const std::string::size_type slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    // Real time, not the platform clock: the lock is held by another
    // program, whose save no driven time of this one brings nearer.
    const auto end = std::chrono::steady_clock::now() + patience;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= end) {
            timedOut_ = error == EWOULDBLOCK;
            ::close(fd_);
            fd_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SaveLock::~SaveLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace workbook
