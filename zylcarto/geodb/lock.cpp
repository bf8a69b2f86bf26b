#include "zylcarto/geodb/lock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/little_endian.h"

namespace zylcarto {

void TLockFile::SetPath(const std::string& Path) {
    if (Path == FPath) return;
    Close();
    FPath = Path;
}

void TLockFile::Close() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
    FWritable = false;
}

TDBLock::TDBLock(TLockFile& File, bool Exclusive, int TimeoutMs, bool CountsChange) {
    const std::string& Path = File.FPath;
    // a lock file removed since it was opened no longer locks anything: it is opened again
    struct stat st {};
    if (File.FFd >= 0 && (::fstat(File.FFd, &st) != 0 || st.st_nlink == 0)) File.Close();
    if (File.FFd < 0 || (Exclusive && !File.FWritable)) {
        // A reader creates nothing: without the lock file no process has changed the
        // database yet, and on a read-only database no process can.
        int fd = -1;
        if (!Exclusive)
            fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
        else if (!FaultInjected(TFileOp::Create, Path))
            fd = ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && !Exclusive && (errno == ENOENT || errno == EACCES || errno == EROFS)) {
            FUnlockedRead = true;
            return;
        }
        if (fd < 0) RaiseInOutError(Path, "cannot open");
        File.Close();
        File.FFd = fd;
        File.FWritable = Exclusive;
    }
    const int fd = File.FFd;
    // short naps rather than a blocking wait, which could not be bounded; the
    // clock is read only once the lock did not come at once
    std::chrono::steady_clock::time_point deadline{};
    for (auto nap = std::chrono::microseconds(200);; nap = std::min(nap * 2, std::chrono::microseconds(5000))) {
        if (::flock(fd, Exclusive ? LOCK_EX | LOCK_NB : LOCK_SH | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        const auto now = std::chrono::steady_clock::now();
        if (deadline == std::chrono::steady_clock::time_point{})
            deadline = now + std::chrono::milliseconds(std::max(TimeoutMs, 0));
        if (now >= deadline) return;
        std::this_thread::sleep_for(nap);
    }
    FFd = fd;
    std::uint8_t b[8] = {};
    if (::pread(fd, b, sizeof b, 0) == static_cast<ssize_t>(sizeof b)) FCounter = GetLittleEndian<std::uint64_t>(b);
    if (!Exclusive || !CountsChange) return;
    // counted before the change, so that no change can go unnoticed
    PutLittleEndian(b, FCounter + 1);
    const ssize_t n = FaultInjected(TFileOp::Write, Path) ? -1 : ::pwrite(fd, b, sizeof b, 0);
    if (n != static_cast<ssize_t>(sizeof b)) {
        if (n >= 0) errno = ENOSPC;  // a short write sets no errno of its own
        const int err = errno;
        ::flock(fd, LOCK_UN);
        errno = err;
        FFd = -1;
        RaiseInOutError(Path, "cannot write");
    }
    FCounted = true;
}

TDBLock::~TDBLock() {
    if (FFd >= 0) ::flock(FFd, LOCK_UN);
}

}  // namespace zylcarto
