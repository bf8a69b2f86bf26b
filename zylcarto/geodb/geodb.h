#pragma once
// TGeoDB: one geographic database on disk (an item file, a data file and five
// index files sharing a base name), with its item records and indexes in memory.
// Every operation opens the files it needs and closes them before returning.
#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/records.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TBinaryFile;
struct TDBFileNames;
class TDBLock;

class ZYLCARTO_EXPORT TGeoDB : public TComponent {
public:
    explicit TGeoDB(TComponent* AOwner = nullptr);
    // Writes pending indexes when lazy writing is on. A destructor cannot report
    // a failure: hosts that must know close with SetDBName("") first.
    ~TGeoDB() override;

    // Opening and closing. A non-empty name opens that database in place of an
    // open one, whose pending indexes are written first; "" closes. A name with
    // none of the seven files creates a new database. Opening only reads: a
    // missing or damaged data or item file, an unknown version or files that do
    // not belong together raise EZYLGeoDBError naming the file; index files that
    // are missing or do not match the item file (left behind by a failure or an
    // interrupted lazy session) are rebuilt in memory and written with the next
    // change. A failed open leaves no database open.
    std::string DBName() const;
    void SetDBName(const std::string& Value);
    bool IsOpen() const { return !FNameGDD.empty(); }

    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool Value);
    int NumEntries() const { return FNumSumItems; }
    // Every change waits until it is on the disk (data, then item record, then
    // indexes, each synced): a power cut loses no operation that returned.
    // Off by default; a killed process loses nothing either way.
    bool SyncWrites() const { return FSyncWrites; }
    void SetSyncWrites(bool Value);
    // Each operation that reads or changes the files holds the database's lock
    // (shared to read, exclusive to change) and first reloads the tables when
    // another process changed the database since. An operation that cannot get
    // the lock within LockTimeout milliseconds raises EZYLGeoDBError and writes
    // nothing. Searches and the record and index properties read the tables in
    // memory as the last operation left them.
    int LockTimeout() const { return FLockTimeout; }
    void SetLockTimeout(int Value) { FLockTimeout = Value; }

    const TOnPercentDoneEvent& OnPercentDone() const { return FOnPercentDone; }
    void SetOnPercentDone(TOnPercentDoneEvent Value) { FOnPercentDone = std::move(Value); }
    bool OnPercDoneEnabled() const { return FOnPercDoneEnabled; }
    void SetOnPercDoneEnabled(bool Value) { FOnPercDoneEnabled = Value; }

    std::string Description() const { return FSystemData.Description.Str(); }
    void SetDescription(const std::string& Value);  // at most 60 characters are kept
    int Revision() const { return FSystemData.Revision; }
    void SetRevision(int Value);
    int DBVersion() const { return FSystemData.DBVersion; }
    int HighestID() const { return FSystemData.HighestID; }
    // Bytes of memory the five in-memory indexes take.
    std::size_t IndexBytes() const;

    // A copy of entry ix, clamped into 1..NumEntries; a cleared record when empty.
    TgdbData Data(int ix) const;

    // Index entries at position ix (clamped into 1..NumEntries) with `index`
    // turned into an entry number; a zero entry (entry number 0) when empty.
    TIxItemIDRec IxItemID(int ix) const;
    TIxLLRec IxLatLow(int ix) const;
    TIxLLRec IxLatHigh(int ix) const;
    TIxLLRec IxLongLow(int ix) const;
    TIxLLRec IxLongHigh(int ix) const;

    // Adding; the result is the new entry number, -1 without an open database.
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
    int AddTown(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
                std::uint8_t ClassNumber, int UserTag);
    int AddBLOB(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                const void* PBLOBData, int SizeOfBLOBData);
    int AddBLOB(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                const TMemoryStream& Data);
    // From a file: the object's bytes are read from FileName, whose first 127
    // characters become the stored FilePath; Date becomes the file's modification time.
    int AddBLOB(const std::string& FileName, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);
    int AddBLOB(const std::string& FileName, const std::string& FNameInDB, TDateTime Date, int StateFlag, float LatLow,
                float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag,
                const TMetaInfo& MInfo);
    int AddBLOB(const std::string& FileName, const std::string& FNameInDB, const std::string& OrgFilePath,
                TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);

    // Replacing keeps the entry's ItemId and appends a new block; out of range does nothing.
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

    // Moves the last entry into the deleted one's place; the data file is untouched.
    void DeleteData(int DbEntry);
    // Overwrites the entry's record with GdbData, except ItemId, BlobOffset,
    // ItemKind and NumPoints/Size, which describe the stored block; the indexes follow.
    void UpdateBasicData(int DbEntry, const TgdbData& GdbData);
    // Rewrites the meta information of a binary object in place; False for
    // other kinds, entries out of range and damaged blocks.
    bool UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo);
    // Rewrites the data file without unreferenced blocks. The new item and data
    // files are written beside the old ones and renamed into place when complete;
    // a failure leaves the database as it was. Raises EZYLGeoDBError, changing
    // nothing, when an item's block does not fit in the data file.
    void GarbageCollection();

    // Searches (positions counted from 1, see indexes.h).
    int GetClosestLatLowIx(double Latit) const;
    int GetClosestLatHighIx(double Latit) const;
    int GetClosestLongLowIx(double Longit) const;
    int GetClosestLongHighIx(double Longit) const;
    int GetClosestItemIDIx(int ItemID) const;
    // Entry number of the item with ItemID, 0 when there is none.
    int SearchForItemID(int ItemID) const;
    // Entry number of the first item at or after StartSearchAt whose name equals
    // Name ignoring case (Windows-1252 letters) and trailing blanks, whose kind is
    // ItemType (gitUndefined: any kind) and whose class is ClassNumber (255: any
    // class); 0 when there is none.
    int SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt, std::uint8_t ClassNumber) const;
    // The same over all kinds and classes from entry 1.
    int SearchData(const TgdbName& Name) const;
    // Rebuilds the five indexes from the item records and writes them.
    void RecalcIndexes();

    // Retrieval. False without an open database, for entries above NumEntries
    // (below 1 reads entry 1), for the wrong kind, and for a block that does not
    // fit in the data file; the outputs then stay as they were.
    bool RetrievePolygon(int DBEntry, TgdbPolygon& Polygon);
    // To a file; a Filepath that is empty or ends with a path separator gets the
    // item's name (reduced to short-file-name characters) appended.
    bool RetrieveBLOB(int DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo);
    bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData);
    bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream);
    // The meta information of a binary object; False as for the retrievals.
    bool GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo);
    // A readable text dump of the header, every item and the five indexes.
    void ExportDataDebug(const std::string& FName) const;

private:
    // Everything an add or replace takes; the public forms fill it.
    struct TItemInput {
        TgdbName Name;
        const TgdbPolygon* Polygon = nullptr;
        bool ClosedLine = false;
        TgdbItem ItemKind = gitUndefined;
        std::uint8_t ClassNumber = 0;
        TDateTime Date = 0;
        int StateFlag = 0;
        float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0, Altitude = 0;
        int UserTag = 0;
        TMetaInfo MInfo;
        const void* PBLOBData = nullptr;
        int SizeOfBLOBData = 0;
        std::string SourceFile;  // the object is read from this file when set
    };
    static TItemInput PolygonInput(TgdbItem Kind, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                                   TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                                   float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag);
    static TItemInput TownInput(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
                                std::uint8_t ClassNumber, int UserTag);
    static TItemInput BlobInput(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                                float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag,
                                const TMetaInfo& MInfo);
    static TItemInput BlobFileInput(const std::string& FileName, const std::string& NameInDB, TDateTime Date,
                                    int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                                    float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);

    int AddData(const TItemInput& In);
    void ReplaceData(int DBEntry, const TItemInput& In);
    // Refuse what the database cannot hold exactly: names that would be changed
    // or hold control characters, keys that are not finite numbers.
    void CheckInput(const TItemInput& In, const char* Operation) const;
    void CheckName(const TgdbName& Name, const char* Operation) const;
    void CheckBox(float LatLow, float LatHigh, float LongLow, float LongHigh, const char* Operation) const;
    TgdbData NewRecord(const TItemInput& In, std::int32_t ItemId) const;
    // Appends the item's block (if its kind has one) to the data file.
    void WriteDataBlock(TgdbData& Rec, const TItemInput& In, TBinaryFile& Source, const char* Operation);
    void WriteHeader(const char* Operation);
    // Closes a file that was written, syncing it first when SyncWrites is on.
    void Finish(TBinaryFile& File) const;

    void OpenDatabase(const std::string& BaseName);
    static void CreateDatabaseFiles(const TDBFileNames& Names);
    void LoadDatabase(const std::string& BaseName);
    // The lock for one operation; raises EZYLGeoDBError when it does not come.
    std::unique_ptr<TDBLock> Lock(const std::string& LockFile, const char* Operation, bool Exclusive);
    std::unique_ptr<TDBLock> Lock(const char* Operation, bool Exclusive);
    void CloseDatabase();
    void ResetInMemory();
    // Takes the indexes read from disk, rebuilding in memory those that do not
    // fit the item records.
    void LoadIndexes(const TIxItemIDRecArray& Id, const std::array<TIxLLRecArray, 4>& LL);
    void BuildIndexes();
    void InsertIntoIndexes(int RecordNo);
    void RemoveFromIndexes(int RecordNo);
    void SaveIndex(int IxNumber);
    void SaveAllIndexes();
    void SaveIndexesUnlessLazy();

    // The record of entry DBEntry (below 1 read as 1) when it is in range, has a
    // block offset and is of a polygon kind (WantPolygon) or a binary object.
    const TgdbData* RetrievableEntry(int DBEntry, bool WantPolygon) const;

    void Report(int Percent);
    void ReportRatio(double Done, double Total);
    std::string Msg(const std::string& Text) const;

    std::string FNameGDS;
    std::string FNameGDD;
    std::array<std::string, 5> FNameIX;
    std::vector<TgdbData> FSumData;
    int FNumSumItems = 0;
    bool FLazyWrite = false;
    bool FSyncWrites = false;
    int FLockTimeout = 5000;
    std::uint64_t FSeenChanges = 0;  // the change counter as this component last left it
    TItemIDIndex FIx0ItemId;
    std::array<TCoordIndex, 4> FIxCoord;  // index numbers 1..4: LatLow, LatHigh, LongLow, LongHigh
    TOnPercentDoneEvent FOnPercentDone;
    bool FOnPercDoneEnabled = true;
    TgdbSystemData FSystemData;

    TCoordIndex& LLIndex(int IxNumber) { return FIxCoord[static_cast<std::size_t>(IxNumber - 1)]; }
    const TCoordIndex& LLIndex(int IxNumber) const { return FIxCoord[static_cast<std::size_t>(IxNumber - 1)]; }
    TIxLLRec LLEntry(int IxNumber, int ix) const;
};

// Latitude and longitude as text with a hemisphere letter (" N", " S", " E", " W"),
// clamped into -90..90 and -180..180; a value that is not a number reads as the lower bound.
ZYLCARTO_EXPORT std::string GeoLatitude(double Latit, TDegreeFormat Format, int Decimals);
ZYLCARTO_EXPORT std::string GeoLongitude(double Longit, TDegreeFormat Format, int Decimals);
// The data-file header of the named database (any extension); EInOutError when
// it cannot be read.
ZYLCARTO_EXPORT TgdbSystemData ReadSystemInformation(const std::string& FileName);

}  // namespace zylcarto
