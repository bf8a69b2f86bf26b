// TGeoDB: lifecycle, header properties, and keeping the indexes in memory and on disk.
#include "zylcarto/geodb/geodb_p.h"
#include "zylcarto/geodb/lock.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "zylcarto/geodb/geodb_verify.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/kept_files.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/geodb/recovery.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

// The length of the file at Path, -1 when there is none.
std::int64_t LengthByName(const std::string& Path) {
    struct stat st {};
    return ::stat(Path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

}  // namespace

TGeoDBPrivate::TGeoDBPrivate(TGeoDB* Public)
    : q(Public), FLockFile(std::make_unique<TLockFile>()), FKeptFiles(std::make_unique<TKeptFiles>()) {}

TGeoDBPrivate::~TGeoDBPrivate() = default;

void TGeoDBPrivate::WritePendingIndexes() noexcept {
    FNumSumItems = 0;
    if ((FLazyWrite || FOwesIndexes) && IsOpen()) {
        try {
            const auto lock = Lock("Destroy", true);
            SaveAllIndexes();
        } catch (...) {
            // nowhere to report from here; the next open rebuilds what lags behind
        }
    }
}

std::string TGeoDBPrivate::Msg(const std::string& Text) const { return ComponentMessage(q->Name(), Text); }

void TGeoDBPrivate::Report(int Percent) {
    if (FOnPercentDone && FOnPercDoneEnabled) FOnPercentDone(q, Percent);
}

void TGeoDBPrivate::ReportRatio(double Done, double Total) {
    Report(static_cast<int>(std::nearbyint(Done * 100.0 / Total)));
}

std::string TGeoDBPrivate::DBName() const { return FNameGDS.empty() ? std::string() : StripExtension(FNameGDS); }

void TGeoDBPrivate::SetDBName(const std::string& Value) {
    // pending indexes of the open database must reach its files before another one is opened
    if (IsOpen()) CloseDatabase();
    if (!Value.empty()) OpenDatabase(StripExtension(Value));
}

void TGeoDBPrivate::ResetInMemory() {
    FSystemData = TgdbSystemData();
    FNameGDS.clear();
    FNameGDD.clear();
    for (auto& n : FNameIX) n.clear();
    FNumSumItems = 0;
    FAddsUnsaved = 0;
    FOwesIndexes = false;
    FSeenItemBytes = -1;
    FHeaderBehind = false;
    FSumData.clear();
    FIx0ItemId.Clear();
    for (auto& ix : FIxCoord) ix.Clear();
}

void TGeoDBPrivate::CloseDatabase() {
    // names and tables go whether or not the indexes could be written
    struct Reset {
        TGeoDBPrivate* db;
        ~Reset() {
            db->FLazyWrite = false;
            db->ResetInMemory();
            db->FKeptFiles->CloseAll();
            db->FLockFile->Close();
        }
    } reset{this};
    if (FLazyWrite || FOwesIndexes) {
        const auto lock = Lock("SetDBName", true);
        SaveAllIndexes();
    }
}

std::string TGeoDBPrivate::CannotOpen(const char* Operation, const std::exception& Cause) const {
    return Msg(std::string(Operation) + ": cannot open database. " + Cause.what() + ".");
}

std::unique_ptr<TDBLock> TGeoDBPrivate::Lock(const char* Operation, bool Exclusive, bool CountsChange) {
    std::unique_ptr<TDBLock> lock;
    try {
        lock = std::make_unique<TDBLock>(*FLockFile, Exclusive, FLockTimeout, CountsChange);
    } catch (const EInOutError& e) {
        // a read-only folder or medium, most often: the change cannot even begin
        throw EZYLGeoDBError(CannotOpen(Operation, e));
    }
    if (!lock->Acquired())
        throw EZYLGeoDBError(Msg(std::string(Operation) + ": the database is locked by another process."));
    // Another process's add leaves the counter as it was and lengthens the item
    // file; every other change raises the counter. The kept item file's fstat
    // also vouches for it for the length of this lock.
    FKeptFiles->Unconfirm();
    std::int64_t items = -1;
    if (IsOpen()) {
        items = FKeptFiles->CheckHeld(FNameGDS);
        if (items == TKeptFiles::NotHeld) items = LengthByName(FNameGDS);
    }
    if (IsOpen() && (lock->Counter() != FSeenChanges || items != FSeenItemBytes)) {
        // what a killed writer left is finished under the exclusive lock only,
        // so that no two processes do it at once
        if (!Exclusive && RecoveryPending(DBFileNames(DBName()))) {
            lock.reset();
            return Lock(Operation, true, CountsChange);
        }
        // another process changed the files: the tables are read again
        const bool lazy = FLazyWrite;
        LoadDatabase(DBName());
        FLazyWrite = lazy;
    }
    FSeenChanges = lock->CounterAfter();
    return lock;
}

void TGeoDBPrivate::OpenDatabase(const std::string& BaseName) {
    const TDBFileNames names = DBFileNames(BaseName);
    // opening only reads, unless it creates the database or finishes a killed change
    const bool writes = NoDatabaseFiles(names) || UnfinishedCreation(names) || RecoveryPending(names);
    try {
        FLockFile->SetPath(names.Lock, names.Guard);
        const auto lock = Lock("SetDBName", writes);
        LoadDatabase(BaseName);
    } catch (...) {
        FLockFile->Close();  // no database is open to keep it for
        throw;
    }
}

void TGeoDBPrivate::LoadDatabase(const std::string& BaseName) {
    const TDBFileNames names = DBFileNames(BaseName);
    ResetInMemory();
    // another process may have replaced the files (a collection)
    FKeptFiles->CloseAll();
    try {
        // what a killed collection left is finished or undone before anything is read
        RecoverCollection(names);
        RecoverDelete(names, [this](const std::string& Text) { return Msg("SetDBName: " + Text); });
        // a new database is a name with no file at all or a creation stopped half way;
        // any other partial set is a damaged one
        if (NoDatabaseFiles(names) || UnfinishedCreation(names)) CreateDatabaseFiles(names);
        TDatabaseFiles files =
            ReadVerifiedDatabase(names, [this](const std::string& Text) { return Msg("SetDBName: " + Text); });
        FSystemData = files.System;
        FSumData = std::move(files.Items);
        CompleteInterruptedDelete(names.GDS, FSumData);
        FNumSumItems = static_cast<int>(FSumData.size());
        // identifiers must stay unique even when the header lags behind the items
        for (const auto& rec : FSumData) FSystemData.HighestID = std::max(FSystemData.HighestID, rec.ItemId);
        FHeaderBehind = FSystemData.HighestID > files.System.HighestID;
        FSeenItemBytes = LengthByName(names.GDS);
        FNameGDS = names.GDS;
        FNameGDD = names.GDD;
        FNameIX = names.IX;
        LoadIndexes(files.Ix0, files.IxLL);
    } catch (...) {
        // half a database open would let an add reuse identifiers of a header it never read
        FLazyWrite = false;
        ResetInMemory();
        throw;
    }
}

void TGeoDBPrivate::CreateDatabaseFiles(const TDBFileNames& Names) {
    // The header whole first, renamed into place (stopped before, it is a collection's
    // leftover and discarded), the item file last: whatever a stop leaves is either
    // no database or an UnfinishedCreation.
    if (!ProbeFile(Names.GDD)) {
        std::uint8_t header[SystemDataBytes];
        EncodeSystemData(TgdbSystemData(), header);
        ReplaceWholeFile(Names.GDD, CollectionFiles(Names).NewGDD, header, sizeof header);
    }
    for (int i : {1, 2, 3, 4, 0}) CreateEmptyFile(Names.IX[static_cast<std::size_t>(i)]);
    CreateEmptyFile(Names.GDS);
}

void TGeoDBPrivate::LoadIndexes(const TIxItemIDRecArray& Id, const std::array<TIxLLRecArray, 4>& LL) {
    // An index file sound over the first records is taken as it is (keeping the
    // order of equal keys it was written with) and the records behind it, added
    // since it was last written, are inserted; any other is rebuilt from the
    // records. Only in memory: opening is a read, and the files may be read-only.
    // What is inserted counts as changed, so the next write of the file covers it.
    const std::size_t n = FSumData.size();
    const auto sound = [&](std::size_t k, auto check) { return k <= n && check(static_cast<int>(k)); };
    FIx0ItemId.Clear();
    if (sound(Id.size(), [&](int k) { return IsSoundIndex(Id, FSumData, k); })) FIx0ItemId.Assign(Id);
    int covered = FIx0ItemId.Size();
    for (int r = FIx0ItemId.Size(); r < FNumSumItems; ++r)
        FIx0ItemId.Insert({FSumData[static_cast<std::size_t>(r)].ItemId, r});
    for (int i = 1; i <= 4; ++i) {
        const TIxLLRecArray& file = LL[static_cast<std::size_t>(i - 1)];
        TCoordIndex& ix = LLIndex(i);
        ix.Clear();
        if (sound(file.size(), [&](int k) { return IsSoundIndex(file, i, FSumData, k); })) ix.Assign(file);
        covered = std::min(covered, ix.Size());
        for (int r = ix.Size(); r < FNumSumItems; ++r)
            ix.Insert({CoordinateKey(FSumData[static_cast<std::size_t>(r)], i), r});
    }
    FAddsUnsaved = FNumSumItems - covered;
}

void TGeoDBPrivate::BuildIndexes() {
    FIx0ItemId.Clear();
    for (auto& ix : FIxCoord) ix.Clear();
    for (int r = 0; r < FNumSumItems; ++r) InsertIntoIndexes(r);
}

std::size_t TGeoDBPrivate::IndexBytes() const {
    std::size_t bytes = FIx0ItemId.MemoryBytes();
    for (const auto& ix : FIxCoord) bytes += ix.MemoryBytes();
    return bytes;
}

void TGeoDBPrivate::RecalcIndexes() {
    if (!IsOpen()) return;
    const auto lock = Lock("RecalcIndexes", true);
    BuildIndexes();
    SaveAllIndexes();
}

void TGeoDBPrivate::InsertIntoIndexes(int RecordNo) {
    const TgdbData& rec = FSumData[static_cast<std::size_t>(RecordNo)];
    for (int i = 1; i <= 4; ++i) LLIndex(i).Prefetch(CoordinateKey(rec, i));
    FIx0ItemId.Insert({rec.ItemId, RecordNo});
    for (int i = 1; i <= 4; ++i) LLIndex(i).Insert({CoordinateKey(rec, i), RecordNo});
}

void TGeoDBPrivate::RemoveFromIndexes(int RecordNo) {
    FIx0ItemId.Remove(RecordNo);
    for (auto& ix : FIxCoord) ix.Remove(RecordNo);
}

void TGeoDBPrivate::SaveIndex(int IxNumber) {
    if (FNameIX[0].empty()) return;
    WriteKeptFile(FNameIX[static_cast<std::size_t>(IxNumber)], true, [&](TBinaryFile& f) {
        if (IxNumber == 0)
            WriteIndexFile(f, FIx0ItemId);
        else
            WriteIndexFile(f, LLIndex(IxNumber));
    });
}

void TGeoDBPrivate::SaveAllIndexes() {
    CatchUpHeader();
    for (int i = 0; i <= 4; ++i) SaveIndex(i);
    FAddsUnsaved = 0;
    FOwesIndexes = false;
}

void TGeoDBPrivate::SaveIndexesUnlessLazy() {
    if (!FLazyWrite) SaveAllIndexes();
}

void TGeoDBPrivate::SaveIndexesAfterAdd() {
    // A coordinate index file is a sorted array: an entry inserted in the middle
    // moves every one behind it, so writing it after each add would cost time in
    // the square of the size. The index files are derived from the item file
    // (docs/durability.md), and whoever reads them (another process, the next
    // opening) inserts the records added behind them; so, as SQLite's WAL
    // checkpoints, they are written once enough adds have gathered: the work
    // per add stays constant, and so does what a reader has to insert.
    constexpr int kMinAddsPerWrite = 1024;
    ++FAddsUnsaved;
    FOwesIndexes = true;  // closing writes them; a reader's closing does not
    if (!FLazyWrite && FAddsUnsaved >= std::max(kMinAddsPerWrite, FNumSumItems / 8)) SaveAllIndexes();
}

void TGeoDBPrivate::SetLazyWrite(bool Value) {
    if (Value == FLazyWrite) return;
    if (!Value && IsOpen()) {
        const auto lock = Lock("SetLazyWrite", true);
        SaveAllIndexes();
    }
    FLazyWrite = Value;
}

void TGeoDBPrivate::SetSyncWrites(bool Value) {
    // the files an open created must be there after a power cut too
    if (Value && !FSyncWrites && IsOpen()) SyncDirectoryOf(FNameGDS);
    FSyncWrites = Value;
}

void TGeoDBPrivate::Finish(TBinaryFile& File) const {
    if (FSyncWrites) File.Sync();
    File.Close();
}

void TGeoDBPrivate::WriteKeptFile(const std::string& Path, bool Create,
                                  const std::function<void(TBinaryFile&)>& Write) {
    try {
        TBinaryFile& f =
            FKeptFiles->Get(Path, Create ? TBinaryFile::TMode::OpenOrCreate : TBinaryFile::TMode::ReadWrite);
        Write(f);
        if (FSyncWrites) f.Sync();
    } catch (...) {
        FKeptFiles->CloseAll();
        throw;
    }
}

void TGeoDBPrivate::WriteSystemHeader() {
    WriteKeptFile(FNameGDD, false, [&](TBinaryFile& f) { WriteSystemData(f, FSystemData); });
    FHeaderBehind = false;
}

void TGeoDBPrivate::WriteHeader(const char* Operation) {
    try {
        WriteSystemHeader();
    } catch (const EInOutError& e) {
        throw EZYLGeoDBError(CannotOpen(Operation, e));
    }
}

void TGeoDBPrivate::CatchUpHeader() {
    // Lazy adds leave the header's highest identifier behind: the items carry
    // their identifiers and opening takes the highest of both. It must be on
    // disk before an item can go, or the identifier of the last one deleted
    // could be handed out again; so before a deletion and with the index files.
    if (FHeaderBehind) WriteSystemHeader();
}

void TGeoDBPrivate::SetDescription(const std::string& Value) {
    if (!IsOpen()) return;
    const auto lock = Lock("SetDescription", true);
    const TgdbSystemData old = FSystemData;
    // at most 60 of the field's 63 characters, counted as stored (8-bit)
    FSystemData.Description = TShortString<63>::FromAnsi(Utf8ToAnsi(Value).substr(0, 60));
    try {
        WriteHeader("SetDescription");
    } catch (...) {
        FSystemData = old;
        RollBack([&] { WriteHeader("SetDescription"); });
        throw;
    }
}

void TGeoDBPrivate::SetRevision(int Value) {
    if (!IsOpen()) return;
    const auto lock = Lock("SetRevision", true);
    const TgdbSystemData old = FSystemData;
    FSystemData.Revision = Value;
    try {
        WriteHeader("SetRevision");
    } catch (...) {
        FSystemData = old;
        RollBack([&] { WriteHeader("SetRevision"); });
        throw;
    }
}

TgdbData TGeoDBPrivate::Data(int ix) const {
    if (FNumSumItems == 0) {
        TgdbData empty;
        ClearGdbData(empty);
        return empty;
    }
    return FSumData[static_cast<std::size_t>(std::clamp(ix, 1, FNumSumItems) - 1)];
}

}  // namespace zylcarto
