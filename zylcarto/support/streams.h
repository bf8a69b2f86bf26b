#pragma once
/// @file
/// A growable in-memory byte stream and a CR LF text file, both 8-bit, through
/// which the calibration and landmark files are read and written. Each object
/// belongs to one thread at a time; nothing is locked. Files are written beside
/// their target as Target.part and renamed over it once complete, so a failed
/// write leaves the old file as it was.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// Bytes in memory with a read/write position, as a file would be; it owns its
/// bytes and grows as it is written.
class ZYLCARTO_EXPORT TMemoryStream {
public:
    /// Number of bytes held.
    std::int64_t Size() const { return static_cast<std::int64_t>(FData.size()); }
    /// Byte offset of the next read or write, 0 or more.
    std::int64_t Position() const { return FPosition; }
    /// Moves the position; a negative Pos becomes 0. Positions past the end are
    /// allowed; the next write fills the gap with zeros.
    void SetPosition(std::int64_t Pos) { FPosition = Pos < 0 ? 0 : Pos; }
    /// Cuts or extends (with zeros) to NewSize bytes (negative: 0); a position
    /// beyond the new end moves to it.
    void SetSize(std::int64_t NewSize);
    /// Empties the stream and rewinds it.
    void Clear();

    /// Copies up to Count bytes from the position into Buffer and advances;
    /// returns how many were read, 0 at or past the end.
    std::size_t Read(void* Buffer, std::size_t Count);
    /// The byte at the position (advancing it), or -1 at the end.
    int ReadByte();
    /// Writes Count bytes from Buffer at the position, growing the stream.
    void Write(const void* Buffer, std::size_t Count);
    /// Writes the bytes of Text, without a terminator.
    void WriteString(std::string_view Text) { Write(Text.data(), Text.size()); }

    /// The bytes, Size() of them; invalidated by any write or resize.
    const std::uint8_t* Memory() const { return FData.data(); }
    /// The bytes, writable in place; invalidated by any write or resize.
    std::uint8_t* Memory() { return FData.data(); }

    /// Replaces the contents by the file's and rewinds.
    /// @throws EInOutError when the file cannot be opened or read; the stream
    ///         is then unchanged.
    void LoadFromFile(const std::string& FileName);  // raises EInOutError
    /// Writes the whole contents to the file, created or replaced whole.
    /// @throws EInOutError when the file cannot be created or written; an
    ///         existing file is then unchanged.
    void SaveToFile(const std::string& FileName) const;

private:
    std::vector<std::uint8_t> FData;
    std::int64_t FPosition = 0;
};

/// Writes Bytes to FileName through a temporary file renamed into place, so a
/// failure never leaves half a file; raises EInOutError.
ZYLCARTO_EXPORT void WriteFileBytes(const std::string& FileName, std::string_view Bytes);

/// Writes Text and CR LF at the stream's position.
ZYLCARTO_EXPORT void WriteLnStream(TMemoryStream& Stream, std::string_view Text);

/// A text file of 8-bit lines ended by CR LF (LF alone is read as a line end too).
/// Reading loads the file at once; writing collects the text and writes it at Close.
class ZYLCARTO_EXPORT TTextFile {
public:
    /// A closed file.
    TTextFile() = default;
    /// Closes the file. Text collected for writing is written only by Close:
    /// call it, since a destructor cannot report a failure (without it an
    /// existing file stays as it was).
    ~TTextFile();
    /// Not copyable: it holds an open file.
    TTextFile(const TTextFile&) = delete;
    /// Not assignable.
    TTextFile& operator=(const TTextFile&) = delete;

    /// Closes any open file and reads FileName whole. False when the file
    /// cannot be opened for reading; a failure while reading raises EInOutError.
    bool OpenRead(const std::string& FileName);
    /// Closes any open file, then opens FileName for writing; Close replaces
    /// the file whole, until then an existing file stays as it was.
    /// @throws EInOutError when it cannot be created.
    void OpenWrite(const std::string& FileName);
    /// Writes out what was collected (when writing) and closes; nothing when
    /// closed already.
    /// @throws EInOutError when the text cannot be written; the file is closed
    ///         and an existing file unchanged.
    void Close();
    /// True between an Open and Close.
    bool IsOpen() const { return FMode != Mode::Closed; }
    /// The name given to the last Open.
    const std::string& FileName() const { return FFileName; }

    /// True when all of a file opened for reading has been read.
    bool Eof() const { return FPos >= FText.size(); }
    /// Reads one line without its line end; false at the end of the file or
    /// when not open for reading, with Line emptied.
    bool ReadLn(std::string& Line);
    /// The next character (0..255), or -1 at the end.
    int ReadChar() { return Eof() ? -1 : static_cast<unsigned char>(FText[FPos++]); }

    /// Adds Text to what Close writes, without a line end.
    /// @throws EInOutError when the file is not open for writing.
    void Write(std::string_view Text);
    /// Adds Text and CR LF to what Close writes; raises as Write.
    void WriteLn(std::string_view Text = {});

private:
    enum class Mode { Closed, Reading, Writing };
    Mode FMode = Mode::Closed;
    std::string FFileName;
    std::string FPartName;  // what Close renames into place; empty when written in place
    std::string FText;
    std::size_t FPos = 0;
    std::FILE* FFile = nullptr;
};

}  // namespace zylcarto
