// TGeoDB: lifecycle, header properties, and keeping the indexes in memory and on disk.
#include "zylcarto/geodb/geodb.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geodb/geodb_verify.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner) {}

TGeoDB::~TGeoDB() {
    FNumSumItems = 0;
    if (FLazyWrite) {
        try {
            SaveAllIndexes();
        } catch (...) {
            // nowhere to report from here; the next open rebuilds what lags behind
        }
    }
}

std::string TGeoDB::Msg(const std::string& Text) const { return ComponentMessage(Name(), Text); }

void TGeoDB::Report(int Percent) {
    if (FOnPercentDone && FOnPercDoneEnabled) FOnPercentDone(this, Percent);
}

void TGeoDB::ReportRatio(double Done, double Total) {
    Report(static_cast<int>(std::nearbyint(Done * 100.0 / Total)));
}

std::string TGeoDB::DBName() const { return FNameGDS.empty() ? std::string() : StripExtension(FNameGDS); }

void TGeoDB::SetDBName(const std::string& Value) {
    // pending indexes of the open database must reach its files before another one is opened
    if (IsOpen()) CloseDatabase();
    if (!Value.empty()) OpenDatabase(StripExtension(Value));
}

void TGeoDB::ResetInMemory() {
    FSystemData = TgdbSystemData();
    FNameGDS.clear();
    FNameGDD.clear();
    for (auto& n : FNameIX) n.clear();
    FNumSumItems = 0;
    FSumData.clear();
    FIx0ItemId.clear();
    FIx1LatLo.clear();
    FIx2LatHi.clear();
    FIx3LongLo.clear();
    FIx4LongHi.clear();
}

void TGeoDB::CloseDatabase() {
    // names and tables go whether or not the indexes could be written
    struct Reset {
        TGeoDB* db;
        ~Reset() {
            db->FLazyWrite = false;
            db->ResetInMemory();
        }
    } reset{this};
    if (FLazyWrite) SaveAllIndexes();
}

void TGeoDB::OpenDatabase(const std::string& BaseName) {
    const TDBFileNames names = DBFileNames(BaseName);
    try {
        // only a name with no file at all is a new database; a partial set is a damaged one
        if (NoDatabaseFiles(names)) CreateDatabaseFiles(names);
        TDatabaseFiles files =
            ReadVerifiedDatabase(names, [this](const std::string& Text) { return Msg("SetDBName: " + Text); });
        FSystemData = files.System;
        FSumData = std::move(files.Items);
        FNumSumItems = static_cast<int>(FSumData.size());
        FIx0ItemId = std::move(files.Ix0);
        for (int i = 1; i <= 4; ++i) LLIndex(i) = std::move(files.IxLL[static_cast<std::size_t>(i - 1)]);
        // identifiers must stay unique even when the header lags behind the items
        for (const auto& rec : FSumData) FSystemData.HighestID = std::max(FSystemData.HighestID, rec.ItemId);
        FNameGDS = names.GDS;
        FNameGDD = names.GDD;
        FNameIX = names.IX;
        RepairIndexes();
    } catch (...) {
        // half a database open would let an add reuse identifiers of a header it never read
        FLazyWrite = false;
        ResetInMemory();
        throw;
    }
}

void TGeoDB::CreateDatabaseFiles(const TDBFileNames& Names) {
    for (int i : {1, 2, 3, 4, 0}) CreateEmptyFile(Names.IX[static_cast<std::size_t>(i)]);
    CreateEmptyFile(Names.GDS);
    TBinaryFile f(Names.GDD, TBinaryFile::TMode::CreateNew);
    WriteSystemData(f, TgdbSystemData());
    f.Close();
}

void TGeoDB::RepairIndexes() {
    std::array<bool, 5> sound{};
    sound[0] = IsSoundIndex(FIx0ItemId, FSumData, FNumSumItems);
    for (int i = 1; i <= 4; ++i) sound[static_cast<std::size_t>(i)] = IsSoundIndex(LLIndex(i), i, FSumData, FNumSumItems);
    if (std::all_of(sound.begin(), sound.end(), [](bool b) { return b; })) return;
    const TIxItemIDRecArray id = std::move(FIx0ItemId);
    std::array<TIxLLRecArray, 4> ll = {std::move(FIx1LatLo), std::move(FIx2LatHi), std::move(FIx3LongLo),
                                       std::move(FIx4LongHi)};
    BuildIndexes();
    // sound indexes keep the order of equal keys they were written with
    if (sound[0]) FIx0ItemId = id;
    for (int i = 1; i <= 4; ++i)
        if (sound[static_cast<std::size_t>(i)]) LLIndex(i) = ll[static_cast<std::size_t>(i - 1)];
    // Rebuilt in memory only: opening is a read, and the files may be read-only.
    // The rebuilt indexes reach their files with the next change, which writes them whole.
}

void TGeoDB::BuildIndexes() {
    FIx0ItemId.clear();
    for (int i = 1; i <= 4; ++i) LLIndex(i).clear();
    FIx0ItemId.reserve(static_cast<std::size_t>(FNumSumItems));
    for (int i = 1; i <= 4; ++i) LLIndex(i).reserve(static_cast<std::size_t>(FNumSumItems));
    for (int r = 0; r < FNumSumItems; ++r) InsertIntoIndexes(r);
}

void TGeoDB::RecalcIndexes() {
    if (!IsOpen()) return;
    BuildIndexes();
    SaveAllIndexes();
}

TIxLLRecArray& TGeoDB::LLIndex(int IxNumber) {
    switch (IxNumber) {
    case 1: return FIx1LatLo;
    case 2: return FIx2LatHi;
    case 3: return FIx3LongLo;
    default: return FIx4LongHi;
    }
}
const TIxLLRecArray& TGeoDB::LLIndex(int IxNumber) const { return const_cast<TGeoDB*>(this)->LLIndex(IxNumber); }

void TGeoDB::InsertIntoIndexes(int RecordNo) {
    const TgdbData& rec = FSumData[static_cast<std::size_t>(RecordNo)];
    InsertIxEntry(FIx0ItemId, rec.ItemId, RecordNo);
    for (int i = 1; i <= 4; ++i) InsertIxEntry(LLIndex(i), CoordinateKey(rec, i), RecordNo);
}

void TGeoDB::RemoveFromIndexes(int RecordNo) {
    RemoveIxEntry(FIx0ItemId, RecordNo);
    for (int i = 1; i <= 4; ++i) RemoveIxEntry(LLIndex(i), RecordNo);
}

void TGeoDB::SaveIndex(int IxNumber) {
    if (FNameIX[0].empty()) return;
    const std::string& path = FNameIX[static_cast<std::size_t>(IxNumber)];
    if (IxNumber == 0) WriteIndexFile(path, FIx0ItemId);
    else WriteIndexFile(path, LLIndex(IxNumber));
}

void TGeoDB::SaveAllIndexes() {
    for (int i = 0; i <= 4; ++i) SaveIndex(i);
}

void TGeoDB::SaveIndexesUnlessLazy() {
    if (!FLazyWrite) SaveAllIndexes();
}

void TGeoDB::SetLazyWrite(bool Value) {
    if (Value == FLazyWrite) return;
    if (!Value) SaveAllIndexes();
    FLazyWrite = Value;
}

void TGeoDB::WriteHeader(const char* Operation) {
    try {
        TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadWrite);
        WriteSystemData(f, FSystemData);
        f.Close();
    } catch (const EInOutError&) {
        throw EZYLGeoDBError(Msg(std::string(Operation) + ": cannot open database."));
    }
}

void TGeoDB::SetDescription(const std::string& Value) {
    if (!IsOpen()) return;
    const TgdbSystemData old = FSystemData;
    // at most 60 of the field's 63 characters, counted as stored (8-bit)
    FSystemData.Description = TShortString<63>::FromAnsi(Utf8ToAnsi(Value).substr(0, 60));
    try {
        WriteHeader("SetDescription");
    } catch (...) {
        FSystemData = old;
        throw;
    }
}

void TGeoDB::SetRevision(int Value) {
    if (!IsOpen()) return;
    const TgdbSystemData old = FSystemData;
    FSystemData.Revision = Value;
    try {
        WriteHeader("SetRevision");
    } catch (...) {
        FSystemData = old;
        throw;
    }
}

TgdbData TGeoDB::Data(int ix) const {
    if (FNumSumItems == 0) {
        TgdbData empty;
        ClearGdbData(empty);
        return empty;
    }
    return FSumData[static_cast<std::size_t>(std::clamp(ix, 1, FNumSumItems) - 1)];
}

} // namespace zylcarto
