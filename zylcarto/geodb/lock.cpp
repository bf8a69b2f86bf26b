#include "zylcarto/geodb/lock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {

TDBLock::TDBLock(const std::string& Path, bool Exclusive, int TimeoutMs) : FExclusive(Exclusive) {
    // A reader creates nothing: without the lock file no process has changed the
    // database yet, and on a read-only database no process can.
    const int fd = !Exclusive                                ? ::open(Path.c_str(), O_RDONLY | O_CLOEXEC)
                   : FaultInjected(TFileOp::Create, Path) ? -1
                                                          : ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && !Exclusive && (errno == ENOENT || errno == EACCES || errno == EROFS)) {
        FUnlockedRead = true;
        return;
    }
    if (fd < 0) RaiseInOutError(Path, "cannot open");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(TimeoutMs, 0));
    // short naps rather than a blocking wait, which could not be bounded
    for (auto nap = std::chrono::microseconds(200);; nap = std::min(nap * 2, std::chrono::microseconds(5000))) {
        if (::flock(fd, Exclusive ? LOCK_EX | LOCK_NB : LOCK_SH | LOCK_NB) == 0) break;
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(nap);
    }
    FFd = fd;
    std::uint8_t b[8] = {};
    if (::pread(fd, b, sizeof b, 0) == static_cast<ssize_t>(sizeof b))
        for (int i = 0; i < 8; ++i) FCounter |= static_cast<std::uint64_t>(b[i]) << (8 * i);
    if (!Exclusive) return;
    // counted before the change, so that no change can go unnoticed
    for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>((FCounter + 1) >> (8 * i));
    const ssize_t n = FaultInjected(TFileOp::Write, Path) ? -1 : ::pwrite(fd, b, sizeof b, 0);
    if (n != static_cast<ssize_t>(sizeof b)) {
        if (n >= 0) errno = ENOSPC;  // a short write sets no errno of its own
        const int err = errno;
        ::close(fd);
        errno = err;
        FFd = -1;
        RaiseInOutError(Path, "cannot write");
    }
}

TDBLock::~TDBLock() {
    if (FFd >= 0) ::close(FFd);  // releases the lock
}

}  // namespace zylcarto
