#pragma once
/// @file
/// TGeoDB: one geographic database on disk (an item file, a data file and five
/// index files sharing a base name), with its item records and indexes in memory.
/// While a database is open its lock, data, item and index files stay open between
/// operations; every operation still takes the lock, and a change by another process,
/// seen in the lock file's change counter (or, for an add, in the item file's
/// length), makes the component let them go and read its tables again.
///
/// Cost, measured with bench/geodb (each side 3 times in turn, medians) on this
/// project's 2-core machine. At load average 7 to 8: AddTown of 100 000 towns with
/// LazyWrite 0.76 to 1.16 times SQLite filling an R*Tree in one transaction (an add
/// costs 5 system calls: lock and unlock, an fstat each of the lock file, whose
/// length is the change counter, and the item file, and the record), and in the
/// same runs 10 000 towns without LazyWrite 0.37 to 0.41 times SQLite with one
/// transaction each (the index files are written every max(1024, NumEntries / 8)
/// adds). At load average 1.3 to 2.0, with 9 system
/// calls per add: 1 000 000 towns with LazyWrite 10.1 to 10.5 s, 0.83 to 0.90 times
/// SQLite, the indexes then taking 82 MB; GetClosestLatLowIx 7 million and
/// SearchForItemID 3.2 million per second.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zylcarto/geodb/records.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TGeoDBPrivate;

/// A database component. It owns its tables and opens and closes the files itself;
/// use it from one thread. Other processes may share the files: every operation
/// holds the database's lock (see LockTimeout). Failures raise EZYLGeoDBError with
/// the component's name, or EInOutError for a file that cannot be read or written;
/// an entry number out of range does nothing (False or 0 where there is a result).
/// A change that raises has been rolled back, its tables read again from the
/// files; one that returns is stored whole. An interrupted change (a killed
/// process) is completed or undone by the next opening.
class ZYLCARTO_EXPORT TGeoDB : public TComponent {
public:
    /// A component with no database open, LazyWrite off, owned by AOwner when given.
    explicit TGeoDB(TComponent* AOwner = nullptr);
    /// Writes pending indexes when lazy writing is on. A destructor cannot report
    /// a failure: hosts that must know close with SetDBName("") first.
    ~TGeoDB() override;

    /// Base name of the open database (the item file's path without extension); "" when
    /// none is open.
    std::string DBName() const;
    /// Opens, creates or closes. A non-empty name opens that database in place of an
    /// open one, whose pending indexes are written first; "" closes. A name with
    /// none of the seven files creates a new database. Opening only reads: a
    /// missing or damaged data or item file, an unknown version or files that do
    /// not belong together raise EZYLGeoDBError naming the file; index files that
    /// are missing or do not match the item file (left behind by a failure or an
    /// interrupted lazy session) are rebuilt in memory and written with the next
    /// change. A failed open leaves no database open.
    void SetDBName(const std::string& Value);
    /// True while a database is open.
    bool IsOpen() const;

    /// With lazy writing, adds, replaces and deletes change only the indexes in memory;
    /// the item and data files are still written at once, except the header's
    /// HighestID, which the added records carry and which is written before a
    /// delete and with the index files. Without it, replaces and
    /// deletes write the index files at once, adds once max(1024, NumEntries / 8) of
    /// them have gathered (another process, or the next opening, inserts the items
    /// added behind the index files); closing writes what is pending either way.
    bool LazyWrite() const;
    /// Switching it off writes the five index files (under the lock) and may raise as
    /// a write does; closing turns it off.
    void SetLazyWrite(bool Value);
    /// Number of items, the highest valid entry number.
    int NumEntries() const;
    /// Every change waits until it is on the disk (data, then item record, then
    /// indexes, each synced): a power cut loses no operation that returned.
    /// Off by default; a killed process loses nothing either way.
    bool SyncWrites() const;
    /// Turning it on with a database open also syncs the directory the open created.
    void SetSyncWrites(bool Value);
    /// Each operation that reads or changes the files holds the database's lock
    /// (shared to read, exclusive to change) and first reloads the tables when
    /// another process changed the database since. An operation that cannot get
    /// the lock within LockTimeout milliseconds (default 5000) raises EZYLGeoDBError
    /// and writes nothing. Searches and the record and index properties read the
    /// tables in memory as the last operation left them.
    int LockTimeout() const;
    /// Sets the lock wait, in milliseconds.
    void SetLockTimeout(int Value);

    /// Progress of adds, replaces, retrievals and collections, 0..100.
    const TOnPercentDoneEvent& OnPercentDone() const;
    /// Sets the progress handler; an empty one reports nothing.
    void SetOnPercentDone(TOnPercentDoneEvent Value);
    /// Whether OnPercentDone is called (default true).
    bool OnPercDoneEnabled() const;
    /// Turns progress reports on or off.
    void SetOnPercDoneEnabled(bool Value);

    /// The free description of the data-file header.
    std::string Description() const;
    /// Stores at most 60 characters (Windows-1252) in the header, written at once; does
    /// nothing without an open database. A failed write raises and keeps the old value.
    void SetDescription(const std::string& Value);
    /// The caller's revision number of the header.
    int Revision() const;
    /// Writes the revision into the header, as SetDescription.
    void SetRevision(int Value);
    /// Format version of the open database.
    int DBVersion() const;
    /// The highest item identifier issued so far.
    int HighestID() const;
    /// Bytes of memory the five in-memory indexes take.
    std::size_t IndexBytes() const;

    /// A copy of entry ix, clamped into 1..NumEntries; a cleared record when empty.
    TgdbData Data(int ix) const;

    /// @{
    /// Index entries at position ix (clamped into 1..NumEntries) of the identifier
    /// index and the four bounding-box-edge indexes, with `index` turned into an entry
    /// number; a zero entry (entry number 0) when empty.
    TIxItemIDRec IxItemID(int ix) const;
    TIxLLRec IxLatLow(int ix) const;
    TIxLLRec IxLatHigh(int ix) const;
    TIxLLRec IxLongLow(int ix) const;
    TIxLLRec IxLongHigh(int ix) const;

    /// @}
    /// @{
    /// Adding a polygon item; the result is the new entry number, -1 without an open
    /// database. The bounding box is computed from the vertices (90, -90, 180, -180 for
    /// none); the box arguments are not used. Lakes are stored closed, rivers, roads and
    /// routes open. Raises EZYLGeoDBError, before anything is written, for a name the
    /// file cannot hold exactly (beyond 59 Windows-1252 characters, control characters)
    /// or a vertex that is not finite; later, for a full data file.
    int AddBorder(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date, int StateFlag,
                  float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                  int UserTag);
    int AddCity(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date, int StateFlag,
                float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                int UserTag);
    int AddLake(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag);
    int AddRiver(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                 float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag);
    int AddRoad(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag);
    int AddRoute(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                 float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag);
    /// @}
    /// A point item at Location (its bounding box); result and failures as AddBorder,
    /// with a coordinate that is not finite refused.
    int AddTown(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
                std::uint8_t ClassNumber, int UserTag);
    /// A binary object of SizeOfBLOBData bytes from PBLOBData, with MInfo stored in front;
    /// the box is the caller's. Raises EZYLGeoDBError for a negative size, a null
    /// PBLOBData with a positive size, and as AddTown.
    int AddBLOB(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                const void* PBLOBData, int SizeOfBLOBData);
    /// A binary object of the whole of Data; as the form above.
    int AddBLOB(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                const TMemoryStream& Data);
    /// A binary object read from FileName to its end; its name in the database is the
    /// file name without directory, the first 127 characters of FileName become the
    /// stored FilePath and Date becomes the file's modification time. A file that
    /// cannot be read raises EInOutError before anything is written; other failures
    /// as AddTown.
    int AddBLOB(const std::string& FileName, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);
    /// As the form above, named FNameInDB (without directory) in the database.
    int AddBLOB(const std::string& FileName, const std::string& FNameInDB, TDateTime Date, int StateFlag, float LatLow,
                float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag,
                const TMetaInfo& MInfo);
    /// As the form above, with OrgFilePath (first 127 characters) stored as FilePath in
    /// place of FileName.
    int AddBLOB(const std::string& FileName, const std::string& FNameInDB, const std::string& OrgFilePath,
                TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);

    /// @{
    /// Replacing keeps the entry's ItemId, appends a new block (the old one stays until
    /// GarbageCollection) and updates the indexes; an entry out of range or no open
    /// database does nothing. Arguments and failures as the adding form of the same name.
    void ReplaceBorder(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                       int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                       std::uint8_t ClassNumber, int UserTag);
    void ReplaceCity(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                     int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                     std::uint8_t ClassNumber, int UserTag);
    void ReplaceLake(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                     float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                     std::uint8_t ClassNumber, int UserTag);
    void ReplaceRiver(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                      float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      std::uint8_t ClassNumber, int UserTag);
    void ReplaceRoad(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                     float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                     std::uint8_t ClassNumber, int UserTag);
    void ReplaceRoute(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                      float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      std::uint8_t ClassNumber, int UserTag);
    void ReplaceTown(int DBEntry, const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location,
                     float Altitude, std::uint8_t ClassNumber, int UserTag);
    void ReplaceBLOB(int DBEntry, const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                     float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag,
                     const TMetaInfo& MInfo, const void* PBLOBData, int SizeOfBLOBData);
    void ReplaceBLOB(int DBEntry, const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                     float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag,
                     const TMetaInfo& MInfo, const TMemoryStream& Data);
    void ReplaceBLOB(int DBEntry, const std::string& FileName, TDateTime Date, int StateFlag, float LatLow,
                     float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                     int UserTag, const TMetaInfo& MInfo);

    /// @}
    /// Moves the last entry into the deleted one's place, so entry numbers above it
    /// change; the data file is untouched. Out of range does nothing.
    void DeleteData(int DbEntry);
    /// Deletes the item with identifier ItemId as DeleteData does; False when no
    /// item has it. The identifier is looked up under the lock, after another
    /// process's changes are read, so that no other item is deleted.
    bool DeleteItem(std::int32_t ItemId);
    /// Overwrites the entry's record with GdbData, except ItemId, BlobOffset,
    /// ItemKind and NumPoints/Size, which describe the stored block; the indexes follow.
    /// Out of range does nothing; a name or box the file cannot hold raises
    /// EZYLGeoDBError, changing nothing.
    void UpdateBasicData(int DbEntry, const TgdbData& GdbData);
    /// Rewrites the meta information of a binary object in place; False for
    /// other kinds, entries out of range, damaged blocks and no open database.
    bool UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo);
    /// Rewrites the data file without unreferenced blocks. The new item and data
    /// files are written beside the old ones and renamed into place when complete;
    /// a failure leaves the database as it was. Raises EZYLGeoDBError, changing
    /// nothing, when an item's block does not fit in the data file.
    void GarbageCollection();

    /// @{
    /// 1-based position in the LatLow, LatHigh, LongLow, LongHigh or identifier index of
    /// the first key not below the value (degrees or an identifier), NumEntries + 1 above
    /// every key, 1 in an empty index; IxLatLow and the like give the entry there.
    int GetClosestLatLowIx(double Latit) const;
    int GetClosestLatHighIx(double Latit) const;
    int GetClosestLongLowIx(double Longit) const;
    int GetClosestLongHighIx(double Longit) const;
    int GetClosestItemIDIx(int ItemID) const;
    /// @}
    /// Entry number of the item with ItemID, 0 when there is none.
    int SearchForItemID(int ItemID) const;
    /// Entry number of the first item at or after StartSearchAt whose name equals
    /// Name ignoring case (Windows-1252 letters) and trailing blanks, whose kind is
    /// ItemType (gitUndefined: any kind) and whose class is ClassNumber (255: any
    /// class); 0 when there is none. Linear in the number of items.
    int SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt, std::uint8_t ClassNumber) const;
    /// The same over all kinds and classes from entry 1.
    int SearchData(const TgdbName& Name) const;
    /// Rebuilds the five indexes from the item records and writes them; nothing without
    /// an open database.
    void RecalcIndexes();

    /// The vertices of a polygon item into Polygon. False without an open database, for
    /// entries above NumEntries (below 1 reads entry 1), for the wrong kind, and for a
    /// block that does not fit in the data file; the outputs then stay as they were.
    bool RetrievePolygon(int DBEntry, TgdbPolygon& Polygon);
    /// A binary object into a new file (an existing one is overwritten) and its meta
    /// information into MetaInfo; False as RetrievePolygon. A Filepath that is empty or
    /// ends with a path separator gets the item's name (reduced to short-file-name
    /// characters) appended; a file that cannot be written raises EInOutError.
    bool RetrieveBLOB(int DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo);
    /// A binary object into the caller's buffer of SizeOfBLOBData bytes; False as
    /// RetrievePolygon. A buffer smaller than the object raises EZYLGeoDBError with
    /// nothing copied (MetaInfo already filled).
    bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData);
    /// A binary object into BlobStream, sized to the object and written from position 0;
    /// False as RetrievePolygon. Its progress ends with a report of 0, not 100.
    bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream);
    /// The meta information of a binary object; False as for the retrievals.
    bool GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo);
    /// A readable text dump of the header, every item and the five indexes, from the
    /// tables in memory; EInOutError when FName cannot be written.
    void ExportDataDebug(const std::string& FName) const;

private:
    std::unique_ptr<TGeoDBPrivate> d;
};

/// Latitude as text with a hemisphere letter (" N", " S"), clamped into -90..90; a
/// value that is not a number reads as -90. Format and Decimals as DegreeToStr.
ZYLCARTO_EXPORT std::string GeoLatitude(double Latit, TDegreeFormat Format, int Decimals);
/// Longitude as text with " E" or " W", clamped into -180..180; NaN reads as -180.
ZYLCARTO_EXPORT std::string GeoLongitude(double Longit, TDegreeFormat Format, int Decimals);
/// The data-file header of the named database (any extension), without opening it;
/// EInOutError when it cannot be read.
ZYLCARTO_EXPORT TgdbSystemData ReadSystemInformation(const std::string& FileName);

}  // namespace zylcarto
