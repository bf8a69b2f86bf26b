#include "zylcarto/geodb/storage.h"

#include <algorithm>
#include <bit>

#include "zylcarto/geodb/record_codec.h"

namespace zylcarto {
namespace {

template <typename Entry, typename Decode>
std::vector<Entry> DecodeAll(const std::vector<std::uint8_t>& bytes, std::size_t size, Decode decode) {
    std::vector<Entry> out(bytes.size() / size);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = decode(bytes.data() + i * size);
    return out;
}

template <typename Entry>
void WriteEntries(TBinaryFile& f, TSortedIndex<Entry>& Ix) {
    const int from = std::min(Ix.FirstChanged(), Ix.Size());
    const auto bytes = static_cast<std::int64_t>(Ix.Size()) * static_cast<std::int64_t>(IndexEntryBytes);
    // Overwritten in place and cut to length rather than truncated first: on
    // file systems that flush a file emptied and refilled at close (ext4), that
    // turns every save into a synchronous write.
    f.Seek(static_cast<std::int64_t>(from) * static_cast<std::int64_t>(IndexEntryBytes));
    std::vector<TBinaryFile::TRun> runs;
    std::vector<std::vector<std::uint8_t>> encoded;
    Ix.ForEachRun(from, [&](const Entry* e, std::size_t n) {
        if constexpr (std::endian::native == std::endian::little && sizeof(Entry) == IndexEntryBytes) {
            runs.push_back({e, n * IndexEntryBytes});  // the entries in memory are their own encoding
        } else {
            auto& buf = encoded.emplace_back(n * IndexEntryBytes);
            for (std::size_t i = 0; i < n; ++i) EncodeIxEntry(e[i], buf.data() + i * IndexEntryBytes);
            runs.push_back({buf.data(), buf.size()});
        }
    });
    if (!runs.empty()) f.Write(runs);
    if (f.Size() > bytes) f.Truncate(bytes);
    Ix.MarkWritten();
}

}  // namespace

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
    n.Lock = BaseName + ".zylglc";
    n.Guard = BaseName + ".zylglk";
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

void WriteIndexFile(TBinaryFile& File, TItemIDIndex& Ix) { WriteEntries(File, Ix); }
void WriteIndexFile(TBinaryFile& File, TCoordIndex& Ix) { WriteEntries(File, Ix); }

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

void CopyInChunks(std::int64_t Count, const std::function<void(std::uint8_t*, std::size_t)>& Read,
                  const std::function<void(const std::uint8_t*, std::size_t)>& Write,
                  const std::function<void(std::int64_t, std::size_t)>& After) {
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::clamp<std::int64_t>(Count, 0, CopyChunkBytes)));
    for (std::int64_t done = 0; done < Count;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(CopyChunkBytes, Count - done));
        Read(buf.data(), n);
        Write(buf.data(), n);
        done += static_cast<std::int64_t>(n);
        if (After) After(done, n);
    }
}

std::int64_t DataBlockBytes(const TgdbData& Rec) {
    if (IsPolygonKind(Rec.ItemKind))
        return Rec.NumPoints() < 0
                   ? -1
                   : static_cast<std::int64_t>(Rec.NumPoints()) * static_cast<std::int64_t>(CoordsBytes);
    if (Rec.ItemKind == gitBLOB) return Rec.Size() < 0 ? -1 : static_cast<std::int64_t>(MetaInfoBytes) + Rec.Size();
    return 0;
}

bool BlockFits(const TgdbData& Rec, std::int64_t DataFileSize) {
    const std::int64_t bytes = DataBlockBytes(Rec);
    return bytes >= 0 && Rec.BlobOffset >= static_cast<std::int32_t>(SystemDataBytes) &&
           Rec.BlobOffset + bytes <= DataFileSize;
}

}  // namespace zylcarto
