#include "zylcarto/support/streams.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "zylcarto/support/errors.h"

namespace zylcarto {

namespace {

constexpr std::string_view kPartSuffix = ".part";

// The temporary file that a write to Target goes to before it is renamed over
// the file Target names (through a symbolic link, the file the link leads to).
// Empty when Target exists but is no regular file, a device or a pipe, say: it is
// written in place, as it holds no contents to keep and must not be replaced.
std::string PartName(const std::string& Target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(Target, ec);
    if (!fs::exists(link) || fs::is_regular_file(link)) return Target + std::string(kPartSuffix);
    if (fs::is_symlink(link)) {
        const fs::path real = fs::canonical(Target, ec);
        if (!ec && fs::is_regular_file(real, ec)) return real.string() + std::string(kPartSuffix);
    }
    return {};
}

// Opens the file that a write to Target goes to; Part is PartName(Target).
std::FILE* CreatePart(const std::string& Target, const std::string& Part) {
    std::FILE* f = std::fopen((Part.empty() ? Target : Part).c_str(), "wb");
    if (!f) RaiseInOutError(Target, "cannot create");
    return f;
}

void DiscardPart(const std::string& Part) {
    if (Part.empty()) return;
    const int err = errno;  // the cause of the failure, not of the cleanup
    std::error_code ec;
    std::filesystem::remove(Part, ec);
    errno = err;
}

// Writes Bytes to F, opened by CreatePart, closes it and renames Part into place;
// on any failure Part goes and the old file stays as it was.
void CommitPart(std::FILE* F, const std::string& Target, const std::string& Part, std::string_view Bytes) {
    const bool ok = Bytes.empty() || std::fwrite(Bytes.data(), 1, Bytes.size(), F) == Bytes.size();
    if (std::fclose(F) != 0 || !ok) {
        DiscardPart(Part);
        RaiseInOutError(Target, "cannot write");
    }
    if (Part.empty()) return;
    std::error_code ec;
    std::filesystem::rename(Part, Part.substr(0, Part.size() - kPartSuffix.size()), ec);
    if (ec) {
        errno = ec.value();
        DiscardPart(Part);
        RaiseInOutError(Target, "cannot replace");
    }
}

}  // namespace

void WriteFileBytes(const std::string& FileName, std::string_view Bytes) {
    const std::string part = PartName(FileName);
    CommitPart(CreatePart(FileName, part), FileName, part, Bytes);
}

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
    WriteFileBytes(FileName, std::string_view(reinterpret_cast<const char*>(FData.data()), FData.size()));
}

void WriteLnStream(TMemoryStream& Stream, std::string_view Text) {
    Stream.WriteString(Text);
    Stream.WriteString("\r\n");
}

TTextFile::~TTextFile() {
    if (!FFile) return;
    std::fclose(FFile);
    DiscardPart(FPartName);
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
    FPartName = PartName(FileName);
    FFile = CreatePart(FileName, FPartName);
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
        const std::string text = std::move(FText);
        FText.clear();
        CommitPart(f, FFileName, FPartName, text);
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
