#pragma once
// The records of a geographic database as hosts see them. Their byte layout on
// disk is fixed by record_codec.h; these structs are never copied to files as a whole.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "zylcarto/support/errors.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

// The kind of an item; stored as its ordinal in one byte.
enum class TgdbItem : std::uint8_t {
    gitBorder = 0,
    gitTown = 1,
    gitCity = 2,
    gitLake = 3,
    gitRiver = 4,
    gitRoad = 5,
    gitRoute = 6,
    gitBLOB = 7,
    gitUndefined = 8
};
using enum TgdbItem;
inline constexpr int GdbItemCount = 9;

inline constexpr std::array<std::string_view, GdbItemCount> GDB_ITEMNAMES = {
    "Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB", "Undefined"};

// Kinds whose data block is a vertex list.
constexpr bool IsPolygonKind(TgdbItem k) {
    return k == gitBorder || k == gitCity || k == gitLake || k == gitRiver || k == gitRoad || k == gitRoute;
}

using TgdbName = TShortString<59>;

struct TSCoords {
    float Latit = 0;
    float Longit = 0;
};
using TgdbPolygon = std::vector<TSCoords>;

// The fixed part of one item: a record of the item file and of the summary table.
// NumPoints (polygon kinds) and Size (gitBLOB) share one place on disk; NumPoints()
// and Size() name the same field here.
struct TgdbData {
    std::int32_t ItemId = 0;
    TgdbName Name;  // positions behind the length are spaces on disk
    float Altitude = 0;
    std::uint8_t ClassFlag = 0;
    std::int32_t Tag = 0;
    std::int32_t BlobOffset = -1;
    TDateTime Date = 0;
    std::int32_t StateFlag = 0;
    float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0;
    TgdbItem ItemKind = gitUndefined;
    std::int32_t NumPointsOrSize = 0;
    bool Closed = false;

    std::int32_t NumPoints() const { return NumPointsOrSize; }
    std::int32_t Size() const { return NumPointsOrSize; }
    void SetNumPoints(std::int32_t n) { NumPointsOrSize = n; }
    void SetSize(std::int32_t n) { NumPointsOrSize = n; }
};

// Meta information stored in front of every binary object.
struct TMetaInfo {
    TShortString<255> Keywords;
    TShortString<127> Caption;
    TShortString<127> FilePath;
    TShortString<255> Descriptor;
    TShortString<255> Comment;
};

enum class TMetaItem : std::uint8_t { miKwd, miCaption, miFilePath, miDescriptor, miComment };
using enum TMetaItem;

// Header of the data file.
struct TgdbSystemData {
    std::int32_t HighestID = 0;
    std::int32_t DBVersion = 4;
    TShortString<63> Description;
    std::int32_t Revision = 0;
    std::array<std::uint8_t, 184> Reserved{};
};

inline constexpr std::int32_t GdbCurrentVersion = 4;

struct TIxItemIDRec {
    std::int32_t ItemID = 0;
    std::int32_t index = 0;  // record number in the item file, from 0
    friend bool operator==(const TIxItemIDRec&, const TIxItemIDRec&) = default;
};
struct TIxLLRec {
    float LLValue = 0;
    std::int32_t index = 0;
    friend bool operator==(const TIxLLRec&, const TIxLLRec&) = default;
};
using TIxItemIDRecArray = std::vector<TIxItemIDRec>;
using TIxLLRecArray = std::vector<TIxLLRec>;

// For host applications; the database does not use it.
struct TPositionData {
    double Latit = 0, Longit = 0, Height = 0;
};

// Empties a record: name blank, no block, zero box and values, kind gitUndefined,
// Date now. NumPoints/Size keeps its value.
ZYLCARTO_EXPORT void ClearGdbData(TgdbData& Data);
// Sets the five lengths to 0; the characters stay.
ZYLCARTO_EXPORT void ClearMetaInfo(TMetaInfo& MetaInfo);
// The position of a point item: (LatLow, LongLow).
ZYLCARTO_EXPORT TSCoords ExtractLocation(const TgdbData& Data);
// Display name of a kind; any ordinal outside the table reads as "Undefined".
ZYLCARTO_EXPORT std::string_view GdbItemName(TgdbItem Kind);
// The name with every position behind the length set to a space, as stored.
ZYLCARTO_EXPORT TgdbName BlankPaddedName(const TgdbName& Name);

}  // namespace zylcarto
