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
    // short naps rather than a blocking wait, which could not be bounded; the
    // clock is read only once the lock did not come at once
    std::chrono::steady_clock::time_point deadline{};
    auto nap = std::chrono::microseconds(200);
    struct stat st {};
    for (;;) {
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
        if (::flock(fd, Exclusive ? LOCK_EX | LOCK_NB : LOCK_SH | LOCK_NB) == 0) {
            // the counter is the file's length, read with the link count in one call;
            // a lock file removed since it was opened no longer locks anything: it is
            // opened again
            if (::fstat(fd, &st) != 0) {
                const int err = errno;
                ::flock(fd, LOCK_UN);
                errno = err;
                RaiseInOutError(Path, "cannot read");
            }
            if (st.st_nlink > 0) {
                FFd = fd;
                break;
            }
            ::flock(fd, LOCK_UN);
            File.Close();
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        const auto now = std::chrono::steady_clock::now();
        if (deadline == std::chrono::steady_clock::time_point{})
            deadline = now + std::chrono::milliseconds(std::max(TimeoutMs, 0));
        if (now >= deadline) return;
        std::this_thread::sleep_for(nap);
        nap = std::min(nap * 2, std::chrono::microseconds(5000));
    }
    FCounter = static_cast<std::uint64_t>(st.st_size);
    if (!Exclusive || !CountsChange) return;
    // counted before the change, so that no change can go unnoticed; lengthening
    // leaves a hole, no block is written
    if (FaultInjected(TFileOp::Truncate, Path) || ::ftruncate(FFd, static_cast<off_t>(FCounter + 1)) != 0) {
        const int err = errno;
        ::flock(FFd, LOCK_UN);
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
