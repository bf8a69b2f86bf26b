#pragma once
// The advisory lock of a database, taken for the length of one operation (shared
// to read, exclusive to change), and the change counter kept in the lock's own
// file, by which a process notices that another one changed the database.
#include <cstdint>
#include <string>

namespace zylcarto {

class TDBLock {
public:
    // Waits up to TimeoutMs for the lock; Acquired() tells whether it came.
    // An exclusive lock counts the change it is taken for at once. Failing to
    // open or count raises EInOutError.
    TDBLock(const std::string& Path, bool Exclusive, int TimeoutMs);
    ~TDBLock();
    TDBLock(const TDBLock&) = delete;
    TDBLock& operator=(const TDBLock&) = delete;

    bool Acquired() const { return FFd >= 0 || FUnlockedRead; }
    // The number of changes counted so far, as read when the lock was taken.
    std::uint64_t Counter() const { return FCounter; }
    // The count that is there once this lock is released.
    std::uint64_t CounterAfter() const { return FExclusive ? FCounter + 1 : FCounter; }

private:
    int FFd = -1;
    bool FExclusive = false;
    bool FUnlockedRead = false;  // a shared lock where there is no lock file to take
    std::uint64_t FCounter = 0;
};

}  // namespace zylcarto
