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
namespace {

// Short naps rather than a blocking wait, which could not be bounded: false once
// TimeoutMs have passed. The clock is read only once a lock did not come at once.
bool NapBeforeRetry(std::chrono::steady_clock::time_point& Deadline, int TimeoutMs) {
    const auto now = std::chrono::steady_clock::now();
    if (Deadline == std::chrono::steady_clock::time_point{})
        Deadline = now + std::chrono::milliseconds(std::max(TimeoutMs, 0));
    if (now >= Deadline) return false;
    // 200 microseconds at first, doubling up to 5 milliseconds
    const auto waited = now - (Deadline - std::chrono::milliseconds(std::max(TimeoutMs, 0)));
    std::this_thread::sleep_for(std::clamp(std::chrono::duration_cast<std::chrono::microseconds>(waited),
                                           std::chrono::microseconds(200), std::chrono::microseconds(5000)));
    return true;
}

}  // namespace

void TLockFile::SetPath(const std::string& Path, const std::string& Guard) {
    if (Path == FPath && Guard == FGuardPath) return;
    Close();
    FPath = Path;
    FGuardPath = Guard;
}

void TLockFile::Close() {
    CloseLockFile();
    if (FGuardFd >= 0) ::close(FGuardFd);
    FGuardFd = -1;
    FGuarded = false;
}

void TLockFile::CloseLockFile() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
    FWritable = false;
}

bool TLockFile::HoldGuard(std::chrono::steady_clock::time_point& Deadline, int TimeoutMs) {
    if (FGuarded) return true;
    if (FGuardFd < 0 && !FGuardPath.empty()) {
        // made when missing, as an earlier release would make it to change the database
        FGuardFd = ::open(FGuardPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        if (FGuardFd < 0) FGuardFd = ::open(FGuardPath.c_str(), O_RDONLY | O_CLOEXEC);
    }
    // where it can be neither made nor read, no earlier release can lock it either
    while (FGuardFd >= 0 && ::flock(FGuardFd, LOCK_SH | LOCK_NB) != 0)
        if ((errno != EWOULDBLOCK && errno != EINTR) || !NapBeforeRetry(Deadline, TimeoutMs)) return false;
    FGuarded = true;
    return true;
}

TDBLock::TDBLock(TLockFile& File, bool Exclusive, int TimeoutMs, bool CountsChange) {
    const std::string& Path = File.FPath;
    std::chrono::steady_clock::time_point deadline{};
    if (!File.HoldGuard(deadline, TimeoutMs)) return;
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
            File.CloseLockFile();
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
            File.CloseLockFile();
            continue;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || !NapBeforeRetry(deadline, TimeoutMs)) return;
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
