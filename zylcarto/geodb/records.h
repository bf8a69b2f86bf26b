#pragma once
/// @file
/// The records of a geographic database as hosts see them: plain values, copied
/// freely, safe to use from any thread. Their byte layout on disk is fixed by the
/// database's record codec, the same on every platform; these structs are never
/// copied to files as a whole. Coordinates are degrees, positive north and east.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "zylcarto/support/errors.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// The kind of an item; stored as its ordinal in one byte.
enum class TgdbItem : std::uint8_t {
    gitBorder = 0,    ///< a border; vertex list
    gitTown = 1,      ///< a point; its bounding box is the point
    gitCity = 2,      ///< a city; vertex list
    gitLake = 3,      ///< a lake; vertex list
    gitRiver = 4,     ///< a river; vertex list
    gitRoad = 5,      ///< a road; vertex list
    gitRoute = 6,     ///< a route; vertex list
    gitBLOB = 7,      ///< a binary object with meta information
    gitUndefined = 8  ///< no kind; no data block
};
using enum TgdbItem;
/// Number of item kinds, gitUndefined included.
inline constexpr int GdbItemCount = 9;

/// Display name of each kind, indexed by its ordinal.
inline constexpr std::array<std::string_view, GdbItemCount> GDB_ITEMNAMES = {
    "Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB", "Undefined"};

/// True for the kinds whose data block is a vertex list (all but town, BLOB and undefined).
constexpr bool IsPolygonKind(TgdbItem k) {
    return k == gitBorder || k == gitCity || k == gitLake || k == gitRiver || k == gitRoad || k == gitRoute;
}

/// Name of an item, at most 59 ANSI characters.
using TgdbName = TShortString<59>;

/// A vertex or point in single precision, as stored.
struct TSCoords {
    float Latit = 0;   ///< Latitude, degrees.
    float Longit = 0;  ///< Longitude, degrees.
};
/// The vertices of a polygon item, in drawing order.
using TgdbPolygon = std::vector<TSCoords>;

/// The fixed part of one item: a record of the item file and of the summary table.
/// NumPoints (polygon kinds) and Size (gitBLOB) share one place on disk; NumPoints()
/// and Size() name the same field here.
struct TgdbData {
    /// Unique identifier, issued when the item is added, kept on replacing, never reused.
    std::int32_t ItemId = 0;
    /// Name; positions behind the length are spaces on disk.
    TgdbName Name;
    float Altitude = 0;            ///< Altitude, the caller's value and unit.
    std::uint8_t ClassFlag = 0;    ///< Class number, the caller's value.
    std::int32_t Tag = 0;          ///< Free value of the caller.
    std::int32_t BlobOffset = -1;  ///< Byte offset of the data block in the data file; -1 without one.
    /// The caller's date, or the source file's modification time of an object read from a file.
    TDateTime Date = 0;
    std::int32_t StateFlag = 0;  ///< Free state value of the caller, stored unchanged.
    /// @{
    /// Bounding box in degrees: southern, northern, western and eastern edge.
    float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0;
    /// @}
    TgdbItem ItemKind = gitUndefined;  ///< Kind; selects the meaning of NumPointsOrSize.
    /// Vertex count of a polygon kind, or object bytes of a gitBLOB.
    std::int32_t NumPointsOrSize = 0;
    /// Polygon kinds: a closed outline (an area) rather than an open line.
    bool Closed = false;

    /// Vertex count of a polygon kind.
    std::int32_t NumPoints() const { return NumPointsOrSize; }
    /// Object bytes of a gitBLOB, after its meta information.
    std::int32_t Size() const { return NumPointsOrSize; }
    /// Sets the vertex count.
    void SetNumPoints(std::int32_t n) { NumPointsOrSize = n; }
    /// Sets the object size in bytes.
    void SetSize(std::int32_t n) { NumPointsOrSize = n; }
};

/// Meta information stored in front of every binary object. The database writes
/// only FilePath (the source of an object added from a file); the rest is the caller's.
struct TMetaInfo {
    TShortString<255> Keywords;    ///< Keywords.
    TShortString<127> Caption;     ///< Caption.
    TShortString<127> FilePath;    ///< Source path of an object added from a file.
    TShortString<255> Descriptor;  ///< Descriptor.
    TShortString<255> Comment;     ///< Comment.
};

/// Names the fields of TMetaInfo in their order, for hosts; the database does not use it.
enum class TMetaItem : std::uint8_t { miKwd, miCaption, miFilePath, miDescriptor, miComment };
using enum TMetaItem;

/// Header of the data file.
struct TgdbSystemData {
    std::int32_t HighestID = 0;    ///< Highest ItemId issued so far; 0 in a new database.
    std::int32_t DBVersion = 4;    ///< Format version.
    TShortString<63> Description;  ///< Free description, at most 60 characters stored.
    std::int32_t Revision = 0;     ///< Free revision number of the caller.
    /// Zero in a new database; rewritten unchanged as read.
    std::array<std::uint8_t, 184> Reserved{};
};

/// The format version new databases are written with.
inline constexpr std::int32_t GdbCurrentVersion = 4;

/// An entry of the identifier index.
struct TIxItemIDRec {
    std::int32_t ItemID = 0;  ///< The key.
    std::int32_t index = 0;   ///< Record number in the item file, from 0.
    /// Equal when key and record number are.
    friend bool operator==(const TIxItemIDRec&, const TIxItemIDRec&) = default;
};
/// An entry of a coordinate index.
struct TIxLLRec {
    float LLValue = 0;       ///< The key: one bounding-box edge, degrees.
    std::int32_t index = 0;  ///< Record number in the item file, from 0.
    /// Equal when key and record number are (a NaN key never is).
    friend bool operator==(const TIxLLRec&, const TIxLLRec&) = default;
};
/// An identifier index as a flat array.
using TIxItemIDRecArray = std::vector<TIxItemIDRec>;
/// A coordinate index as a flat array.
using TIxLLRecArray = std::vector<TIxLLRec>;

/// A position for host applications; the database does not use it.
struct TPositionData {
    /// @{
    /// Latitude and longitude in degrees, height in the caller's unit.
    double Latit = 0, Longit = 0, Height = 0;
    /// @}
};

/// Empties a record: identifier 0, name blank, no block, zero box and values, kind
/// gitUndefined, Date now. NumPoints/Size keeps its value.
ZYLCARTO_EXPORT void ClearGdbData(TgdbData& Data);
/// Sets the five lengths to 0; the characters stay.
ZYLCARTO_EXPORT void ClearMetaInfo(TMetaInfo& MetaInfo);
/// The position of a point item: (LatLow, LongLow).
ZYLCARTO_EXPORT TSCoords ExtractLocation(const TgdbData& Data);
/// Display name of a kind; any ordinal outside the table reads as "Undefined".
ZYLCARTO_EXPORT std::string_view GdbItemName(TgdbItem Kind);
/// The name with every position behind the length set to a space, as stored.
ZYLCARTO_EXPORT TgdbName BlankPaddedName(const TgdbName& Name);

}  // namespace zylcarto
