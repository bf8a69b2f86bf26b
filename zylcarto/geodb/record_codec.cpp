#include "zylcarto/geodb/record_codec.h"

#include <bit>
#include <cstring>

namespace zylcarto {
namespace {

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t GetU32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}
void PutI32(std::uint8_t* p, std::int32_t v) { PutU32(p, static_cast<std::uint32_t>(v)); }
std::int32_t GetI32(const std::uint8_t* p) { return static_cast<std::int32_t>(GetU32(p)); }
void PutF32(std::uint8_t* p, float v) { PutU32(p, std::bit_cast<std::uint32_t>(v)); }
float GetF32(const std::uint8_t* p) { return std::bit_cast<float>(GetU32(p)); }
void PutF64(std::uint8_t* p, double v) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    PutU32(p, static_cast<std::uint32_t>(u));
    PutU32(p + 4, static_cast<std::uint32_t>(u >> 32));
}
double GetF64(const std::uint8_t* p) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(GetU32(p)) | static_cast<std::uint64_t>(GetU32(p + 4))
                                                                             << 32);
}

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
    PutI32(o + 0, r.ItemId);
    PutShort(o + 4, r.Name, ' ');
    PutF32(o + 64, r.Altitude);
    o[68] = r.ClassFlag;
    PutI32(o + 72, r.Tag);
    PutI32(o + 76, r.BlobOffset);
    PutF64(o + 80, r.Date);
    PutI32(o + 88, r.StateFlag);
    PutF32(o + 92, r.LatLow);
    PutF32(o + 96, r.LatHigh);
    PutF32(o + 100, r.LongLow);
    PutF32(o + 104, r.LongHigh);
    o[108] = static_cast<std::uint8_t>(r.ItemKind);
    PutI32(o + 112, r.NumPointsOrSize);
    o[116] = r.Closed ? 1 : 0;
}

TgdbData DecodeGdbData(const std::uint8_t* i) {
    TgdbData r;
    r.ItemId = GetI32(i + 0);
    r.Name = GetShort<59>(i + 4);
    r.Altitude = GetF32(i + 64);
    r.ClassFlag = i[68];
    r.Tag = GetI32(i + 72);
    r.BlobOffset = GetI32(i + 76);
    r.Date = GetF64(i + 80);
    r.StateFlag = GetI32(i + 88);
    r.LatLow = GetF32(i + 92);
    r.LatHigh = GetF32(i + 96);
    r.LongLow = GetF32(i + 100);
    r.LongHigh = GetF32(i + 104);
    r.ItemKind = i[108] < GdbItemCount ? static_cast<TgdbItem>(i[108]) : gitUndefined;
    r.NumPointsOrSize = GetI32(i + 112);
    r.Closed = i[116] != 0;
    return r;
}

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
    PutI32(o + 0, s.HighestID);
    PutI32(o + 4, s.DBVersion);
    PutShort(o + 8, s.Description, 0);
    PutI32(o + 72, s.Revision);
    std::memcpy(o + 76, s.Reserved.data(), s.Reserved.size());
}

TgdbSystemData DecodeSystemData(const std::uint8_t* i) {
    TgdbSystemData s;
    s.HighestID = GetI32(i + 0);
    s.DBVersion = GetI32(i + 4);
    s.Description = GetShort<63>(i + 8);
    s.Revision = GetI32(i + 72);
    std::memcpy(s.Reserved.data(), i + 76, s.Reserved.size());
    return s;
}

void EncodeCoords(const TSCoords& c, std::uint8_t* o) {
    PutF32(o, c.Latit);
    PutF32(o + 4, c.Longit);
}
TSCoords DecodeCoords(const std::uint8_t* i) { return {GetF32(i), GetF32(i + 4)}; }

void EncodeIxEntry(const TIxItemIDRec& e, std::uint8_t* o) {
    PutI32(o, e.ItemID);
    PutI32(o + 4, e.index);
}
void EncodeIxEntry(const TIxLLRec& e, std::uint8_t* o) {
    PutF32(o, e.LLValue);
    PutI32(o + 4, e.index);
}
TIxItemIDRec DecodeIxItemIDRec(const std::uint8_t* i) { return {GetI32(i), GetI32(i + 4)}; }
TIxLLRec DecodeIxLLRec(const std::uint8_t* i) { return {GetF32(i), GetI32(i + 4)}; }

}  // namespace zylcarto
