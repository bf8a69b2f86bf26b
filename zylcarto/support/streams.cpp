#include "zylcarto/support/streams.h"

#include <cerrno>
#include <cstring>

#include "zylcarto/support/errors.h"

namespace zylcarto {

void TMemoryStream::SetSize(std::int64_t NewSize) {
    FData.resize(static_cast<std::size_t>(NewSize < 0 ? 0 : NewSize));
    if (FPosition > Size()) FPosition = Size();
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

std::size_t TMemoryStream::Read(void* Buffer, std::size_t Count) {
    if (FPosition >= Size()) return 0;
    const std::size_t avail = static_cast<std::size_t>(Size() - FPosition);
    const std::size_t n = Count < avail ? Count : avail;
    if (n > 0) std::memcpy(Buffer, FData.data() + FPosition, n);
    FPosition += static_cast<std::int64_t>(n);
    return n;
}

int TMemoryStream::ReadByte() {
    if (FPosition >= Size()) return -1;
    return FData[static_cast<std::size_t>(FPosition++)];
}

void TMemoryStream::Write(const void* Buffer, std::size_t Count) {
    if (Count == 0) return;
    const std::size_t end = static_cast<std::size_t>(FPosition) + Count;
    if (end > FData.size()) FData.resize(end);
    std::memcpy(FData.data() + FPosition, Buffer, Count);
    FPosition = static_cast<std::int64_t>(end);
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
    std::FILE* f = std::fopen(FileName.c_str(), "rb");
    if (!f) RaiseInOutError(FileName, "cannot open");
    std::vector<std::uint8_t> data;
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) RaiseInOutError(FileName, "cannot read");
    FData = std::move(data);
    FPosition = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
    std::FILE* f = std::fopen(FileName.c_str(), "wb");
    if (!f) RaiseInOutError(FileName, "cannot create");
    const bool ok = FData.empty() || std::fwrite(FData.data(), 1, FData.size(), f) == FData.size();
    if (std::fclose(f) != 0 || !ok) RaiseInOutError(FileName, "cannot write");
}

void WriteLnStream(TMemoryStream& Stream, std::string_view Text) {
    Stream.WriteString(Text);
    Stream.WriteString("\r\n");
}

TTextFile::~TTextFile() {
    if (FFile) std::fclose(FFile);
}

bool TTextFile::OpenRead(const std::string& FileName) {
    Close();
    std::FILE* f = std::fopen(FileName.c_str(), "rb");
    if (!f) return false;
    std::string text;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) RaiseInOutError(FileName, "cannot read");
    FText = std::move(text);
    FPos = 0;
    FFileName = FileName;
    FMode = Mode::Reading;
    return true;
}

void TTextFile::OpenWrite(const std::string& FileName) {
    Close();
    FFile = std::fopen(FileName.c_str(), "wb");
    if (!FFile) RaiseInOutError(FileName, "cannot create");
    FText.clear();
    FPos = 0;
    FFileName = FileName;
    FMode = Mode::Writing;
}

void TTextFile::Close() {
    if (FMode == Mode::Writing) {
        std::FILE* f = FFile;
        FFile = nullptr;
        FMode = Mode::Closed;
        const bool ok = FText.empty() || std::fwrite(FText.data(), 1, FText.size(), f) == FText.size();
        FText.clear();
        if (std::fclose(f) != 0 || !ok) RaiseInOutError(FFileName, "cannot write");
        return;
    }
    FMode = Mode::Closed;
    FText.clear();
    FPos = 0;
}

bool TTextFile::ReadLn(std::string& Line) {
    Line.clear();
    if (FMode != Mode::Reading || Eof()) return false;
    const std::size_t lf = FText.find('\n', FPos);
    const std::size_t end = lf == std::string::npos ? FText.size() : lf;
    Line.assign(FText, FPos, end - FPos);
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    FPos = lf == std::string::npos ? FText.size() : lf + 1;
    return true;
}

void TTextFile::Write(std::string_view Text) {
    if (FMode != Mode::Writing) {
        errno = EBADF;
        RaiseInOutError(FFileName, "file not open for writing");
    }
    FText.append(Text);
}

void TTextFile::WriteLn(std::string_view Text) {
    Write(Text);
    Write("\r\n");
}

}  // namespace zylcarto
