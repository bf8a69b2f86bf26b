#pragma once
// TGeoDB's state and the steps its operations are made of. Not installed: the
// component holds one pointer to this, so that its tables, files and counters may
// change from one release to the next without breaking a host built against an
// earlier one. The public members of TGeoDB hand their work on to the members of
// the same name here.
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "zylcarto/geodb/geodb.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/records.h"

namespace zylcarto {

class TBinaryFile;
struct TDBFileNames;
class TDBLock;
class TLockFile;
class TKeptFiles;

class TGeoDBPrivate {
public:
    explicit TGeoDBPrivate(TGeoDB* Public);
    ~TGeoDBPrivate();
    TGeoDBPrivate(const TGeoDBPrivate&) = delete;
    TGeoDBPrivate& operator=(const TGeoDBPrivate&) = delete;

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

    // The operations, as TGeoDB documents them.
    std::string DBName() const;
    void SetDBName(const std::string& Value);
    bool IsOpen() const { return !FNameGDD.empty(); }
    void SetLazyWrite(bool Value);
    void SetSyncWrites(bool Value);
    void SetDescription(const std::string& Value);
    void SetRevision(int Value);
    std::size_t IndexBytes() const;
    TgdbData Data(int ix) const;
    TIxItemIDRec IxItemID(int ix) const;
    TIxLLRec LLEntry(int IxNumber, int ix) const;
    int AddData(const TItemInput& In);
    void ReplaceData(int DBEntry, const TItemInput& In);
    void DeleteData(int DbEntry);
    bool DeleteItem(std::int32_t ItemId);
    void UpdateBasicData(int DbEntry, const TgdbData& GdbData);
    bool UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo);
    void GarbageCollection();
    int SearchForItemID(int ItemID) const { return FIx0ItemId.Find(ItemID); }
    int SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt, std::uint8_t ClassNumber) const;
    void RecalcIndexes();
    bool RetrievePolygon(int DBEntry, TgdbPolygon& Polygon);
    bool RetrieveBLOB(int DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo);
    bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData);
    bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream);
    bool GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo);
    void ExportDataDebug(const std::string& FName) const;
    // The destructor's part: pending lazy indexes written, failures swallowed.
    void WritePendingIndexes() noexcept;

    // Refuse what the database cannot hold exactly: names that would be changed
    // or hold control characters, keys that are not finite numbers.
    void CheckInput(const TItemInput& In, const char* Operation) const;
    void CheckName(const TgdbName& Name, const char* Operation) const;
    void CheckBox(float LatLow, float LatHigh, float LongLow, float LongHigh, const char* Operation) const;
    TgdbData NewRecord(const TItemInput& In, std::int32_t ItemId) const;
    // Appends the item's block (if its kind has one) to the data file.
    void WriteDataBlock(TgdbData& Rec, const TItemInput& In, TBinaryFile& Source, const char* Operation);
    // The header written now; WriteHeader raises EZYLGeoDBError naming Operation,
    // CatchUpHeader (only when lazy adds left it behind) EInOutError.
    void WriteHeader(const char* Operation);
    void CatchUpHeader();
    void WriteSystemHeader();
    // Deletes an entry in range, under the exclusive lock the caller holds.
    void DeleteEntry(int DbEntry);
    // The raw record as stored, and writing one back in place.
    std::vector<std::uint8_t> ReadRecordBytes(int RecordNo) const;
    void WriteRecordBytes(int RecordNo, const TgdbData& Rec) const;
    void PutRecordBytes(int RecordNo, const std::uint8_t* Bytes) const;
    // Puts Rec in place of an entry: its record, the summary and the indexes.
    void StoreRecord(int RecordNo, const TgdbData& Rec);
    // Cuts a file back to Size bytes when it is longer.
    void CutFile(const std::string& Path, std::int64_t Size) const;
    // After a failed change: Undo puts the files back, then the tables are read
    // again; neither raises, the caller raises the change's own failure.
    void RollBack(const std::function<void()>& Undo);
    // Closes a file that was written, syncing it first when SyncWrites is on.
    void Finish(TBinaryFile& File) const;
    // Hands the kept open file at Path (created when Create) to Write, then syncs it
    // when SyncWrites is on; a failure lets all kept files go before it is raised.
    void WriteKeptFile(const std::string& Path, bool Create, const std::function<void(TBinaryFile&)>& Write);

    void OpenDatabase(const std::string& BaseName);
    static void CreateDatabaseFiles(const TDBFileNames& Names);
    void LoadDatabase(const std::string& BaseName);
    // The lock for one operation on the lock file FLockFile points at; raises
    // EZYLGeoDBError when it does not come. CountsChange false: an add, which others
    // notice by the item file's length.
    std::unique_ptr<TDBLock> Lock(const char* Operation, bool Exclusive, bool CountsChange = true);
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
    // After an add without LazyWrite: the index files catch up once enough adds
    // have gathered since they were written (see SaveIndexesAfterAdd).
    void SaveIndexesAfterAdd();

    // The record of entry DBEntry (below 1 read as 1) when it is in range, has a
    // block offset and is of a polygon kind (WantPolygon) or a binary object.
    const TgdbData* RetrievableEntry(int DBEntry, bool WantPolygon) const;

    void Report(int Percent);
    void ReportRatio(double Done, double Total);
    std::string Msg(const std::string& Text) const;
    // "Operation: cannot open database. " and the file and cause of the failure.
    std::string CannotOpen(const char* Operation, const std::exception& Cause) const;

    TCoordIndex& LLIndex(int IxNumber) { return FIxCoord[static_cast<std::size_t>(IxNumber - 1)]; }
    const TCoordIndex& LLIndex(int IxNumber) const { return FIxCoord[static_cast<std::size_t>(IxNumber - 1)]; }

    TGeoDB* const q;  // the component, the events' sender and the name in messages
    std::string FNameGDS;
    std::string FNameGDD;
    std::array<std::string, 5> FNameIX;
    std::vector<TgdbData> FSumData;
    int FNumSumItems = 0;
    bool FLazyWrite = false;
    bool FSyncWrites = false;
    int FLockTimeout = 5000;
    std::uint64_t FSeenChanges = 0;  // the change counter as this component last left it
    std::int64_t FSeenItemBytes = -1;  // the item file's length as this component last left it
    bool FHeaderBehind = false;        // HighestID on disk is below the items' (lazy adds)
    int FAddsUnsaved = 0;            // records behind the index files, as far as this component knows
    bool FOwesIndexes = false;       // this component added records the index files do not cover
    std::unique_ptr<TLockFile> FLockFile;
    std::unique_ptr<TKeptFiles> FKeptFiles;  // header, item and index files, open between operations
    TItemIDIndex FIx0ItemId;
    std::array<TCoordIndex, 4> FIxCoord;  // index numbers 1..4: LatLow, LatHigh, LongLow, LongHigh
    TOnPercentDoneEvent FOnPercentDone;
    bool FOnPercDoneEnabled = true;
    TgdbSystemData FSystemData;
};

}  // namespace zylcarto
