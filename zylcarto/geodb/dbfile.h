#pragma once
// Unbuffered binary file access for the database, with one seam through which
// tests make any single file operation fail. Every failure other than a missing
// file on probing raises EInOutError.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zylcarto {

enum class TFileOp : std::uint8_t { Open, Create, Read, Write, Seek, Size, Truncate, Rename, Remove, Close, Sync };

// Called before every operation; a positive result is the errno with which
// that operation fails instead of running, TornWrite makes a write store the
// first half of its bytes and then fail with EIO. Empty: no faults.
using TFileFaultHook = std::function<int(TFileOp Op, const std::string& Path)>;
inline constexpr int TornWrite = -1;
void SetFileFaultHook(TFileFaultHook Hook);
// For file access outside TBinaryFile (the lock): true, with errno set, when
// the hook fails this operation.
bool FaultInjected(TFileOp Op, const std::string& Path);

class TBinaryFile {
public:
    enum class TMode : std::uint8_t {
        ReadOnly,
        ReadWrite,
        OpenOrCreate,  // read and write, created empty when missing, content kept
        CreateNew      // created or truncated
    };

    TBinaryFile() = default;
    TBinaryFile(const std::string& Path, TMode Mode) { Open(Path, Mode); }
    ~TBinaryFile();  // closes without raising
    TBinaryFile(const TBinaryFile&) = delete;
    TBinaryFile& operator=(const TBinaryFile&) = delete;

    void Open(const std::string& Path, TMode Mode);
    void Close();
    bool IsOpen() const { return FFd >= 0; }
    const std::string& Path() const { return FPath; }

    std::int64_t Size();
    void Seek(std::int64_t Position);
    std::int64_t Position() const { return FPosition; }
    // Reads up to Count bytes at the position; fewer only at the end of the file.
    std::size_t Read(void* Buffer, std::size_t Count);
    // Reads exactly Count bytes or raises EInOutError.
    void ReadExact(void* Buffer, std::size_t Count);
    void Write(const void* Buffer, std::size_t Count);
    struct TRun {
        const void* Data;
        std::size_t Bytes;
    };
    // Writes the runs one after the other at the position, in as few calls as
    // the system allows.
    void Write(const std::vector<TRun>& Runs);
    void Truncate(std::int64_t NewSize);
    // Waits until what was written is on the disk.
    void Sync();
    // The file's length, or -1 once it has no name left (removed, or replaced by
    // a rename); one fstat.
    std::int64_t NamedLength() const;

private:
    void WriteAll(const void* Buffer, std::size_t Count);  // no fault hook
    int FFd = -1;
    std::string FPath;
    std::int64_t FPosition = 0;
};

// Opens the file read-only and closes it again: false when it does not exist;
// any other failure (a file that exists but cannot be read) raises EInOutError.
bool ProbeFile(const std::string& Path);
// Creates an empty file where none exists; an existing file is left as it is.
void CreateEmptyFile(const std::string& Path);
// Replaces To (when it exists) with From in one step.
void RenameFile(const std::string& From, const std::string& To);
// Writes Count bytes as the whole of the file at Path (created, or emptied), syncs
// it when Sync, and closes it.
void WriteWholeFile(const std::string& Path, const void* Bytes, std::size_t Count, bool Sync);
// Puts Count bytes in place of the file at Path in one step: written whole and
// synced at Beside, then renamed over Path, which a stop before the rename leaves
// as it was.
void ReplaceWholeFile(const std::string& Path, const std::string& Beside, const void* Bytes, std::size_t Count);
// Makes creations, renames and removals in the directory of Path durable.
void SyncDirectoryOf(const std::string& Path);
// Removes the file; a file that is not there is not an error.
void RemoveFile(const std::string& Path);
// Size and local modification time (TDateTime) of a file; false when it does not exist.
bool FileSizeAndDate(const std::string& Path, std::int64_t& Size, double& Date);

}  // namespace zylcarto
