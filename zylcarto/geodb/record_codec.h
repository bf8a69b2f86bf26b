#pragma once
// Byte layout of the database records: little-endian, fixed offsets, padding
// and unused string positions written as zero (names: as spaces), so the same
// database is written byte for byte on every platform.
#include <cstddef>
#include <cstdint>

#include "zylcarto/geodb/records.h"

namespace zylcarto {

inline constexpr std::size_t GdbDataBytes = 120;
inline constexpr std::size_t MetaInfoBytes = 1024;
inline constexpr std::size_t SystemDataBytes = 260;
inline constexpr std::size_t IndexEntryBytes = 8;
inline constexpr std::size_t CoordsBytes = 8;

// Where an item record keeps its BlobOffset.
inline constexpr std::size_t BlobOffsetField = 76;

void EncodeGdbData(const TgdbData& Rec, std::uint8_t* Out);
// A kind byte outside the enumeration reads as gitUndefined, a length byte
// above a string's capacity as the capacity.
TgdbData DecodeGdbData(const std::uint8_t* In);
// Points a stored record at another block, every other byte kept.
void SetBlobOffset(std::uint8_t* Record, std::int32_t Offset);

void EncodeMetaInfo(const TMetaInfo& Meta, std::uint8_t* Out);
TMetaInfo DecodeMetaInfo(const std::uint8_t* In);

void EncodeSystemData(const TgdbSystemData& Sys, std::uint8_t* Out);
TgdbSystemData DecodeSystemData(const std::uint8_t* In);

void EncodeCoords(const TSCoords& C, std::uint8_t* Out);
TSCoords DecodeCoords(const std::uint8_t* In);

void EncodeIxEntry(const TIxItemIDRec& E, std::uint8_t* Out);
void EncodeIxEntry(const TIxLLRec& E, std::uint8_t* Out);
TIxItemIDRec DecodeIxItemIDRec(const std::uint8_t* In);
TIxLLRec DecodeIxLLRec(const std::uint8_t* In);

}  // namespace zylcarto
