#pragma once
// A growable in-memory byte stream and a CR LF text file, both 8-bit.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

class ZYLCARTO_EXPORT TMemoryStream {
public:
    std::int64_t Size() const { return static_cast<std::int64_t>(FData.size()); }
    std::int64_t Position() const { return FPosition; }
    // Positions past the end are allowed; the next write fills the gap with zeros.
    void SetPosition(std::int64_t Pos) { FPosition = Pos < 0 ? 0 : Pos; }
    void SetSize(std::int64_t NewSize);
    void Clear();

    // Copies up to Count bytes from the position; returns how many were read.
    std::size_t Read(void* Buffer, std::size_t Count);
    // The byte at the position (advancing it), or -1 at the end.
    int ReadByte();
    void Write(const void* Buffer, std::size_t Count);
    void WriteString(std::string_view Text) { Write(Text.data(), Text.size()); }

    const std::uint8_t* Memory() const { return FData.data(); }
    std::uint8_t* Memory() { return FData.data(); }

    void LoadFromFile(const std::string& FileName);  // raises EInOutError
    void SaveToFile(const std::string& FileName) const;

private:
    std::vector<std::uint8_t> FData;
    std::int64_t FPosition = 0;
};

// Appends Text and CR LF at the stream's position.
ZYLCARTO_EXPORT void WriteLnStream(TMemoryStream& Stream, std::string_view Text);

// A text file of 8-bit lines ended by CR LF (LF alone is read as a line end too).
// Reading loads the file at once; writing collects the text and writes it at Close.
class ZYLCARTO_EXPORT TTextFile {
public:
    TTextFile() = default;
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // False when the file cannot be opened for reading; other failures raise EInOutError.
    bool OpenRead(const std::string& FileName);
    // Creates or overwrites the file; failure raises EInOutError.
    void OpenWrite(const std::string& FileName);
    // Writes out what was collected (when writing) and closes; failure raises EInOutError.
    void Close();
    bool IsOpen() const { return FMode != Mode::Closed; }
    const std::string& FileName() const { return FFileName; }

    bool Eof() const { return FPos >= FText.size(); }
    // Reads one line without its line end; false at the end of the file.
    bool ReadLn(std::string& Line);
    // The next character (0..255), or -1 at the end.
    int ReadChar() { return Eof() ? -1 : static_cast<unsigned char>(FText[FPos++]); }

    void Write(std::string_view Text);
    void WriteLn(std::string_view Text = {});

private:
    enum class Mode { Closed, Reading, Writing };
    Mode FMode = Mode::Closed;
    std::string FFileName;
    std::string FText;
    std::size_t FPos = 0;
    std::FILE* FFile = nullptr;
};

} // namespace zylcarto
