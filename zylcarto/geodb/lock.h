#pragma once
// The advisory lock of a database, taken for the length of one operation (shared
// to read, exclusive to change), and the change counter kept as the length of the
// lock's own file, by which a process notices that another one changed the
// database: read with the file's link count in one fstat, raised by lengthening
// the file (a hole, no block written).
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace zylcarto {

// The lock file of one open database, kept open from the first operation until the
// database is closed, so that an operation costs a lock and an unlock rather than
// an open and a close as well. The library never removes or replaces a lock file.
class TLockFile {
public:
    TLockFile() = default;
    // Guard: the lock file of earlier releases (see TDBFileNames), "" for none.
    TLockFile(std::string Path, std::string Guard) : FPath(std::move(Path)), FGuardPath(std::move(Guard)) {}
    ~TLockFile() { Close(); }
    TLockFile(const TLockFile&) = delete;
    TLockFile& operator=(const TLockFile&) = delete;

    // Points at Path and Guard, closing the files held for other paths.
    void SetPath(const std::string& Path, const std::string& Guard);
    const std::string& Path() const { return FPath; }
    // Lets the lock file and the guard go.
    void Close();

private:
    friend class TDBLock;
    // Holds the guard shared from the first lock until Close: an earlier release
    // takes it exclusively for each change, so it cannot change the database while
    // this one has it open. False when it did not come within the wait.
    bool HoldGuard(std::chrono::steady_clock::time_point& Deadline, int TimeoutMs);
    // Lets the lock file go, keeping the guard.
    void CloseLockFile();
    std::string FPath;
    std::string FGuardPath;
    int FFd = -1;
    int FGuardFd = -1;
    bool FGuarded = false;  // the guard is held, or there is none to hold
    bool FWritable = false;
};

class TDBLock {
public:
    // Waits up to TimeoutMs for the lock on File; Acquired() tells whether it came.
    // An exclusive lock counts the change it is taken for at once, unless the
    // change only appends records (CountsChange false): others notice those by
    // the item file's length. Failing to open or count raises EInOutError.
    TDBLock(TLockFile& File, bool Exclusive, int TimeoutMs, bool CountsChange = true);
    ~TDBLock();  // unlocks; the file stays open
    TDBLock(const TDBLock&) = delete;
    TDBLock& operator=(const TDBLock&) = delete;

    bool Acquired() const { return FFd >= 0 || FUnlockedRead; }
    // The number of changes counted so far, as read when the lock was taken.
    std::uint64_t Counter() const { return FCounter; }
    // The count that is there once this lock is released.
    std::uint64_t CounterAfter() const { return FCounted ? FCounter + 1 : FCounter; }

private:
    int FFd = -1;  // the locked file, -1 when not locked
    bool FCounted = false;
    bool FUnlockedRead = false;  // a shared lock where there is no lock file to take
    std::uint64_t FCounter = 0;
};

}  // namespace zylcarto
