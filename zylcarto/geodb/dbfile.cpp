#include "zylcarto/geodb/dbfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

TFileFaultHook& FaultHook() {
    static TFileFaultHook hook;
    return hook;
}

// The hook's verdict on one operation: 0 to run it, an errno or TornWrite.
int Fault(TFileOp op, const std::string& path) {
    const auto& hook = FaultHook();
    return hook ? hook(op, path) : 0;
}

// Runs the fault hook; when it injects a fault, errno is set and true returned.
bool Injected(TFileOp op, const std::string& path) {
    const int err = Fault(op, path);
    if (err == 0) return false;
    errno = err > 0 ? err : EIO;
    return true;
}

[[noreturn]] void Fail(const std::string& path, const char* action) { RaiseInOutError(path, action); }

}  // namespace

void SetFileFaultHook(TFileFaultHook Hook) { FaultHook() = std::move(Hook); }

bool FaultInjected(TFileOp Op, const std::string& Path) { return Injected(Op, Path); }

TBinaryFile::~TBinaryFile() {
    if (FFd >= 0) ::close(FFd);
}

void TBinaryFile::Open(const std::string& Path, TMode Mode) {
    if (FFd >= 0) Close();
    const TFileOp op = Mode == TMode::CreateNew || Mode == TMode::OpenOrCreate ? TFileOp::Create : TFileOp::Open;
    int flags = O_CLOEXEC;
    switch (Mode) {
    case TMode::ReadOnly: flags |= O_RDONLY; break;
    case TMode::ReadWrite: flags |= O_RDWR; break;
    case TMode::OpenOrCreate: flags |= O_RDWR | O_CREAT; break;
    case TMode::CreateNew: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    const int fd = Injected(op, Path) ? -1 : ::open(Path.c_str(), flags, 0666);
    if (fd < 0) Fail(Path, op == TFileOp::Create ? "cannot create" : "cannot open");
    FFd = fd;
    FPath = Path;
    FPosition = 0;
}

void TBinaryFile::Close() {
    if (FFd < 0) return;
    const int fd = FFd;
    FFd = -1;
    if (Injected(TFileOp::Close, FPath)) {
        ::close(fd);
        Fail(FPath, "cannot close");
    }
    if (::close(fd) != 0) Fail(FPath, "cannot close");
}

std::int64_t TBinaryFile::Size() {
    struct stat st {};
    if (Injected(TFileOp::Size, FPath) || ::fstat(FFd, &st) != 0) Fail(FPath, "cannot get the size of");
    return static_cast<std::int64_t>(st.st_size);
}

void TBinaryFile::Seek(std::int64_t Position) {
    if (Position < 0) errno = EINVAL;
    if (Position < 0 || Injected(TFileOp::Seek, FPath)) Fail(FPath, "cannot seek in");
    FPosition = Position;
}

std::size_t TBinaryFile::Read(void* Buffer, std::size_t Count) {
    if (Injected(TFileOp::Read, FPath)) Fail(FPath, "cannot read");
    auto* p = static_cast<char*>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        const ssize_t n = ::pread(FFd, p + done, Count - done, static_cast<off_t>(FPosition));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(FPath, "cannot read");
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        FPosition += n;
    }
    return done;
}

void TBinaryFile::ReadExact(void* Buffer, std::size_t Count) {
    if (Read(Buffer, Count) != Count) {
        errno = 0;
        Fail(FPath, "unexpected end of file in");
    }
}

void TBinaryFile::Write(const void* Buffer, std::size_t Count) {
    const int fault = Fault(TFileOp::Write, FPath);
    if (fault > 0) {
        errno = fault;
        Fail(FPath, "cannot write");
    }
    WriteAll(Buffer, fault == TornWrite ? Count / 2 : Count);
    if (fault == TornWrite) {
        errno = EIO;
        Fail(FPath, "cannot write");
    }
}

void TBinaryFile::WriteAll(const void* Buffer, std::size_t Count) {
    const auto* p = static_cast<const char*>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        const ssize_t n = ::pwrite(FFd, p + done, Count - done, static_cast<off_t>(FPosition));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;  // no room, and no errno of its own
        if (n <= 0) Fail(FPath, "cannot write");
        done += static_cast<std::size_t>(n);
        FPosition += n;
    }
}

void TBinaryFile::Write(const std::vector<TRun>& Runs) {
    const int fault = Fault(TFileOp::Write, FPath);
    if (fault > 0) {
        errno = fault;
        Fail(FPath, "cannot write");
    }
    if (fault == TornWrite) {
        std::size_t total = 0;
        for (const TRun& r : Runs) total += r.Bytes;
        std::vector<std::uint8_t> half;
        for (const TRun& r : Runs) {
            const auto* b = static_cast<const std::uint8_t*>(r.Data);
            half.insert(half.end(), b, b + std::min(r.Bytes, total / 2 - half.size()));
        }
        WriteAll(half.data(), half.size());
        errno = EIO;
        Fail(FPath, "cannot write");
    }
    std::vector<iovec> iov;
    iov.reserve(std::min<std::size_t>(Runs.size(), IOV_MAX));
    for (std::size_t next = 0; next < Runs.size();) {
        iov.clear();
        for (; next < Runs.size() && iov.size() < IOV_MAX; ++next)
            iov.push_back({const_cast<void*>(Runs[next].Data), Runs[next].Bytes});
        // a short write leaves the rest of the batch to go, from where it stopped
        for (std::size_t first = 0; first < iov.size();) {
            const ssize_t n =
                ::pwritev(FFd, iov.data() + first, static_cast<int>(iov.size() - first), static_cast<off_t>(FPosition));
            if (n < 0 && errno == EINTR) continue;
            if (n == 0) errno = ENOSPC;
            if (n <= 0) Fail(FPath, "cannot write");
            FPosition += n;
            for (auto left = static_cast<std::size_t>(n); left > 0;) {
                const std::size_t take = std::min(left, iov[first].iov_len);
                iov[first].iov_base = static_cast<char*>(iov[first].iov_base) + take;
                iov[first].iov_len -= take;
                left -= take;
                if (iov[first].iov_len == 0) ++first;
            }
            while (first < iov.size() && iov[first].iov_len == 0) ++first;
        }
    }
}

void TBinaryFile::Truncate(std::int64_t NewSize) {
    if (Injected(TFileOp::Truncate, FPath) || ::ftruncate(FFd, static_cast<off_t>(NewSize)) != 0)
        Fail(FPath, "cannot truncate");
}

void TBinaryFile::Sync() {
    if (Injected(TFileOp::Sync, FPath) || ::fdatasync(FFd) != 0) Fail(FPath, "cannot sync");
}

std::int64_t TBinaryFile::NamedLength() const {
    struct stat st {};
    if (FFd < 0 || ::fstat(FFd, &st) != 0 || st.st_nlink == 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool ProbeFile(const std::string& Path) {
    const int fd = Injected(TFileOp::Open, Path) ? -1 : ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        Fail(Path, "cannot open");
    }
    ::close(fd);
    return true;
}

void CreateEmptyFile(const std::string& Path) {
    const int fd = Injected(TFileOp::Create, Path) ? -1 : ::open(Path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) Fail(Path, "cannot create");
    ::close(fd);
}

void RenameFile(const std::string& From, const std::string& To) {
    if (Injected(TFileOp::Rename, From) || ::rename(From.c_str(), To.c_str()) != 0) Fail(From, "cannot rename");
}

void WriteWholeFile(const std::string& Path, const void* Bytes, std::size_t Count, bool Sync) {
    TBinaryFile f(Path, TBinaryFile::TMode::CreateNew);
    f.Write(Bytes, Count);
    if (Sync) f.Sync();
    f.Close();
}

void ReplaceWholeFile(const std::string& Path, const std::string& Beside, const void* Bytes, std::size_t Count) {
    WriteWholeFile(Beside, Bytes, Count, true);
    RenameFile(Beside, Path);
}

void SyncDirectoryOf(const std::string& Path) {
    const auto slash = Path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : Path.substr(0, slash);
    if (Injected(TFileOp::Sync, dir)) Fail(dir, "cannot sync");
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Fail(dir, "cannot open");
    const int rc = ::fsync(fd);
    ::close(fd);
    if (rc != 0) Fail(dir, "cannot sync");
}

void RemoveFile(const std::string& Path) {
    if (Injected(TFileOp::Remove, Path)) Fail(Path, "cannot remove");
    if (::unlink(Path.c_str()) != 0 && errno != ENOENT) Fail(Path, "cannot remove");
}

bool FileSizeAndDate(const std::string& Path, std::int64_t& Size, double& Date) {
    struct stat st {};
    if (::stat(Path.c_str(), &st) != 0) return false;
    Size = static_cast<std::int64_t>(st.st_size);
    std::tm local{};
    const std::time_t t = st.st_mtime;
    ::localtime_r(&t, &local);
    Date = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec);
    return true;
}

}  // namespace zylcarto
