#include "zylcarto/geodb/storage.h"

#include "zylcarto/geodb/record_codec.h"

namespace zylcarto {
namespace {

template <typename Entry, typename Decode>
std::vector<Entry> DecodeAll(const std::vector<std::uint8_t>& bytes, std::size_t size, Decode decode) {
    std::vector<Entry> out(bytes.size() / size);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = decode(bytes.data() + i * size);
    return out;
}

template <typename Array>
void WriteEntries(const std::string& Path, const Array& Ix) {
    std::vector<std::uint8_t> bytes(Ix.size() * IndexEntryBytes);
    for (std::size_t i = 0; i < Ix.size(); ++i) EncodeIxEntry(Ix[i], bytes.data() + i * IndexEntryBytes);
    // Overwritten in place and cut to length rather than truncated first: on
    // file systems that flush a file emptied and refilled at close (ext4), that
    // turns every save into a synchronous write.
    TBinaryFile f(Path, TBinaryFile::TMode::OpenOrCreate);
    f.Write(bytes.data(), bytes.size());
    if (f.Size() > static_cast<std::int64_t>(bytes.size())) f.Truncate(static_cast<std::int64_t>(bytes.size()));
    f.Close();
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& Path) {
    TBinaryFile f(Path, TBinaryFile::TMode::ReadOnly);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(f.Size()));
    bytes.resize(f.Read(bytes.data(), bytes.size()));
    f.Close();
    return bytes;
}

TDBFileNames DBFileNames(const std::string& BaseName) {
    TDBFileNames n;
    n.GDS = BaseName + ".zylgds";
    n.GDD = BaseName + ".zylgdd";
    for (int i = 0; i < 5; ++i) n.IX[static_cast<std::size_t>(i)] = BaseName + ".zylgi" + static_cast<char>('0' + i);
    return n;
}

TIxItemIDRecArray ReadItemIDIndexFile(const std::string& Path) {
    return DecodeAll<TIxItemIDRec>(ReadWholeFile(Path), IndexEntryBytes, DecodeIxItemIDRec);
}
TIxLLRecArray ReadLLIndexFile(const std::string& Path) {
    return DecodeAll<TIxLLRec>(ReadWholeFile(Path), IndexEntryBytes, DecodeIxLLRec);
}
std::vector<TgdbData> ReadItemFile(const std::string& Path) {
    return DecodeAll<TgdbData>(ReadWholeFile(Path), GdbDataBytes, DecodeGdbData);
}

void WriteIndexFile(const std::string& Path, const TIxItemIDRecArray& Ix) { WriteEntries(Path, Ix); }
void WriteIndexFile(const std::string& Path, const TIxLLRecArray& Ix) { WriteEntries(Path, Ix); }

TgdbSystemData ReadSystemData(TBinaryFile& DataFile) {
    std::uint8_t bytes[SystemDataBytes];
    DataFile.Seek(0);
    DataFile.ReadExact(bytes, sizeof bytes);
    return DecodeSystemData(bytes);
}

void WriteSystemData(TBinaryFile& DataFile, const TgdbSystemData& Sys) {
    std::uint8_t bytes[SystemDataBytes];
    EncodeSystemData(Sys, bytes);
    DataFile.Seek(0);
    DataFile.Write(bytes, sizeof bytes);
}

void WriteItemRecord(TBinaryFile& ItemFile, int RecordNo, const TgdbData& Rec) {
    std::uint8_t bytes[GdbDataBytes];
    EncodeGdbData(Rec, bytes);
    ItemFile.Seek(static_cast<std::int64_t>(RecordNo) * static_cast<std::int64_t>(GdbDataBytes));
    ItemFile.Write(bytes, sizeof bytes);
}

TMetaInfo ReadMetaInfo(TBinaryFile& DataFile, std::int64_t Offset) {
    std::uint8_t bytes[MetaInfoBytes];
    DataFile.Seek(Offset);
    DataFile.ReadExact(bytes, sizeof bytes);
    return DecodeMetaInfo(bytes);
}

void WriteMetaInfo(TBinaryFile& DataFile, std::int64_t Offset, const TMetaInfo& Meta) {
    std::uint8_t bytes[MetaInfoBytes];
    EncodeMetaInfo(Meta, bytes);
    DataFile.Seek(Offset);
    DataFile.Write(bytes, sizeof bytes);
}

std::int64_t DataBlockBytes(const TgdbData& Rec) {
    if (IsPolygonKind(Rec.ItemKind))
        return Rec.NumPoints() < 0 ? -1 : static_cast<std::int64_t>(Rec.NumPoints()) * static_cast<std::int64_t>(CoordsBytes);
    if (Rec.ItemKind == gitBLOB)
        return Rec.Size() < 0 ? -1 : static_cast<std::int64_t>(MetaInfoBytes) + Rec.Size();
    return 0;
}

bool BlockFits(const TgdbData& Rec, std::int64_t DataFileSize) {
    const std::int64_t bytes = DataBlockBytes(Rec);
    return bytes >= 0 && Rec.BlobOffset >= static_cast<std::int32_t>(SystemDataBytes) &&
           Rec.BlobOffset + bytes <= DataFileSize;
}

} // namespace zylcarto
