#include "zylcarto/geodb/record_codec.h"

#include <cstring>

#include "zylcarto/support/little_endian.h"

namespace zylcarto {
namespace {

template <std::size_t N>
void PutShort(std::uint8_t* p, const TShortString<N>& s, char filler) {
    const std::size_t len = s.Ansi().size();
    p[0] = static_cast<std::uint8_t>(len);
    std::memcpy(p + 1, s.Chars.data(), len);
    std::memset(p + 1 + len, filler, N - len);
}
template <std::size_t N>
TShortString<N> GetShort(const std::uint8_t* p) {
    TShortString<N> s;
    s.Len = static_cast<std::uint8_t>(p[0] > N ? N : p[0]);
    std::memcpy(s.Chars.data(), p + 1, N);
    return s;
}

}  // namespace

void EncodeGdbData(const TgdbData& r, std::uint8_t* o) {
    std::memset(o, 0, GdbDataBytes);
    PutLittleEndian(o + 0, r.ItemId);
    PutShort(o + 4, r.Name, ' ');
    PutLittleEndian(o + 64, r.Altitude);
    o[68] = r.ClassFlag;
    PutLittleEndian(o + 72, r.Tag);
    PutLittleEndian(o + BlobOffsetField, r.BlobOffset);
    PutLittleEndian(o + 80, r.Date);
    PutLittleEndian(o + 88, r.StateFlag);
    PutLittleEndian(o + 92, r.LatLow);
    PutLittleEndian(o + 96, r.LatHigh);
    PutLittleEndian(o + 100, r.LongLow);
    PutLittleEndian(o + 104, r.LongHigh);
    o[108] = static_cast<std::uint8_t>(r.ItemKind);
    PutLittleEndian(o + 112, r.NumPointsOrSize);
    o[116] = r.Closed ? 1 : 0;
}

TgdbData DecodeGdbData(const std::uint8_t* i) {
    TgdbData r;
    r.ItemId = GetLittleEndian<std::int32_t>(i + 0);
    r.Name = GetShort<59>(i + 4);
    r.Altitude = GetLittleEndian<float>(i + 64);
    r.ClassFlag = i[68];
    r.Tag = GetLittleEndian<std::int32_t>(i + 72);
    r.BlobOffset = GetLittleEndian<std::int32_t>(i + BlobOffsetField);
    r.Date = GetLittleEndian<double>(i + 80);
    r.StateFlag = GetLittleEndian<std::int32_t>(i + 88);
    r.LatLow = GetLittleEndian<float>(i + 92);
    r.LatHigh = GetLittleEndian<float>(i + 96);
    r.LongLow = GetLittleEndian<float>(i + 100);
    r.LongHigh = GetLittleEndian<float>(i + 104);
    r.ItemKind = i[108] < GdbItemCount ? static_cast<TgdbItem>(i[108]) : gitUndefined;
    r.NumPointsOrSize = GetLittleEndian<std::int32_t>(i + 112);
    r.Closed = i[116] != 0;
    return r;
}

void SetBlobOffset(std::uint8_t* Record, std::int32_t Offset) { PutLittleEndian(Record + BlobOffsetField, Offset); }

void EncodeMetaInfo(const TMetaInfo& m, std::uint8_t* o) {
    PutShort(o + 0, m.Keywords, 0);
    PutShort(o + 256, m.Caption, 0);
    PutShort(o + 384, m.FilePath, 0);
    PutShort(o + 512, m.Descriptor, 0);
    PutShort(o + 768, m.Comment, 0);
}

TMetaInfo DecodeMetaInfo(const std::uint8_t* i) {
    TMetaInfo m;
    m.Keywords = GetShort<255>(i + 0);
    m.Caption = GetShort<127>(i + 256);
    m.FilePath = GetShort<127>(i + 384);
    m.Descriptor = GetShort<255>(i + 512);
    m.Comment = GetShort<255>(i + 768);
    return m;
}

void EncodeSystemData(const TgdbSystemData& s, std::uint8_t* o) {
    PutLittleEndian(o + 0, s.HighestID);
    PutLittleEndian(o + 4, s.DBVersion);
    PutShort(o + 8, s.Description, 0);
    PutLittleEndian(o + 72, s.Revision);
    std::memcpy(o + 76, s.Reserved.data(), s.Reserved.size());
}

TgdbSystemData DecodeSystemData(const std::uint8_t* i) {
    TgdbSystemData s;
    s.HighestID = GetLittleEndian<std::int32_t>(i + 0);
    s.DBVersion = GetLittleEndian<std::int32_t>(i + 4);
    s.Description = GetShort<63>(i + 8);
    s.Revision = GetLittleEndian<std::int32_t>(i + 72);
    std::memcpy(s.Reserved.data(), i + 76, s.Reserved.size());
    return s;
}

void EncodeCoords(const TSCoords& c, std::uint8_t* o) {
    PutLittleEndian(o, c.Latit);
    PutLittleEndian(o + 4, c.Longit);
}
TSCoords DecodeCoords(const std::uint8_t* i) { return {GetLittleEndian<float>(i), GetLittleEndian<float>(i + 4)}; }

void EncodeIxEntry(const TIxItemIDRec& e, std::uint8_t* o) {
    PutLittleEndian(o, e.ItemID);
    PutLittleEndian(o + 4, e.index);
}
void EncodeIxEntry(const TIxLLRec& e, std::uint8_t* o) {
    PutLittleEndian(o, e.LLValue);
    PutLittleEndian(o + 4, e.index);
}
TIxItemIDRec DecodeIxItemIDRec(const std::uint8_t* i) {
    return {GetLittleEndian<std::int32_t>(i), GetLittleEndian<std::int32_t>(i + 4)};
}
TIxLLRec DecodeIxLLRec(const std::uint8_t* i) {
    return {GetLittleEndian<float>(i), GetLittleEndian<std::int32_t>(i + 4)};
}

}  // namespace zylcarto
