// TGeoDB: adding, replacing, deleting and updating items.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "zylcarto/geodb/geodb_p.h"
#include "zylcarto/geodb/lock.h"
#include "zylcarto/geodb/geodb_verify.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/recovery.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

constexpr std::size_t kVerticesPerWrite = 2048;

// The data file's end, where the next block goes; BlobOffset must be able to hold it.
template <typename Message>
std::int32_t AppendOffset(TBinaryFile& f, const Message& message) {
    const std::int64_t end = f.Size();
    if (end > std::numeric_limits<std::int32_t>::max()) throw EZYLGeoDBError(message());
    f.Seek(end);
    return static_cast<std::int32_t>(end);
}

}  // namespace

TGeoDBPrivate::TItemInput TGeoDBPrivate::PolygonInput(TgdbItem Kind, const TgdbName& Name, const TgdbPolygon& Polygon,
                                                      bool ClosedLine, TDateTime Date, int StateFlag, float LatLow,
                                                      float LatHigh, float LongLow, float LongHigh, float Altitude,
                                                      std::uint8_t ClassNumber, int UserTag) {
    TItemInput in;
    in.Name = Name;
    in.Polygon = &Polygon;
    in.ClosedLine = ClosedLine;
    in.ItemKind = Kind;
    in.ClassNumber = ClassNumber;
    in.Date = Date;
    in.StateFlag = StateFlag;
    in.LatLow = LatLow;
    in.LatHigh = LatHigh;
    in.LongLow = LongLow;
    in.LongHigh = LongHigh;
    in.Altitude = Altitude;
    in.UserTag = UserTag;
    return in;
}

TGeoDBPrivate::TItemInput TGeoDBPrivate::TownInput(const TgdbName& Name, TDateTime Date, int StateFlag,
                                                   TSCoords Location, float Altitude, std::uint8_t ClassNumber,
                                                   int UserTag) {
    static const TgdbPolygon none;
    TItemInput in = PolygonInput(gitTown, Name, none, false, Date, StateFlag, Location.Latit, Location.Latit,
                                 Location.Longit, Location.Longit, Altitude, ClassNumber, UserTag);
    in.Polygon = nullptr;
    return in;
}

TGeoDBPrivate::TItemInput TGeoDBPrivate::BlobInput(const std::string& Name, TDateTime Date, int StateFlag, float LatLow,
                                                   float LatHigh, float LongLow, float LongHigh, float Altitude,
                                                   std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo) {
    static const TgdbPolygon none;
    TItemInput in = PolygonInput(gitBLOB, TgdbName(Name), none, false, Date, StateFlag, LatLow, LatHigh, LongLow,
                                 LongHigh, Altitude, ClassNumber, UserTag);
    in.Polygon = nullptr;
    in.MInfo = MInfo;
    return in;
}

TGeoDBPrivate::TItemInput TGeoDBPrivate::BlobFileInput(const std::string& FileName, const std::string& NameInDB,
                                                       TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                                                       float LongLow, float LongHigh, float Altitude,
                                                       std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo) {
    TItemInput in = BlobInput(StripPath(NameInDB), Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                              ClassNumber, UserTag, MInfo);
    in.MInfo.FilePath = TShortString<127>(FileName);
    // the object comes from the file named, even where the stored path had to be cut
    in.SourceFile = FileName;
    return in;
}

void TGeoDBPrivate::CheckInput(const TItemInput& In, const char* Operation) const {
    const std::string op = Operation;
    CheckName(In.Name, Operation);
    if (IsPolygonKind(In.ItemKind)) {
        // the box comes from the vertices; one that is not a number would leave it unsorted
        if (In.Polygon)
            for (const TSCoords& v : *In.Polygon)
                if (!std::isfinite(v.Latit) || !std::isfinite(v.Longit))
                    throw EZYLGeoDBError(Msg(op + ": a vertex is not a finite number."));
    } else {
        CheckBox(In.LatLow, In.LatHigh, In.LongLow, In.LongHigh, Operation);
    }
    if (In.ItemKind != gitBLOB || !In.SourceFile.empty()) return;
    if (In.SizeOfBLOBData < 0 || (In.SizeOfBLOBData > 0 && In.PBLOBData == nullptr))
        throw EZYLGeoDBError(Msg(op + ": invalid object data."));
}

void TGeoDBPrivate::CheckName(const TgdbName& Name, const char* Operation) const {
    const std::string why = UnstorableNameReason(Name);
    if (!why.empty()) throw EZYLGeoDBError(Msg(std::string(Operation) + ": " + why + "."));
}

void TGeoDBPrivate::CheckBox(float LatLow, float LatHigh, float LongLow, float LongHigh, const char* Operation) const {
    // the coordinate indexes are sorted by these keys: a NaN or infinity among them breaks every box search
    for (const float v : {LatLow, LatHigh, LongLow, LongHigh})
        if (!std::isfinite(v))
            throw EZYLGeoDBError(Msg(std::string(Operation) + ": a coordinate is not a finite number."));
}

TgdbData TGeoDBPrivate::NewRecord(const TItemInput& In, std::int32_t ItemId) const {
    TgdbData rec;
    rec.Name = BlankPaddedName(In.Name);
    rec.BlobOffset = -1;
    rec.ItemId = ItemId;
    rec.ClassFlag = In.ClassNumber;
    rec.Tag = In.UserTag;
    rec.Date = In.Date;
    rec.StateFlag = In.StateFlag;
    rec.LatLow = In.LatLow;
    rec.LatHigh = In.LatHigh;
    rec.LongLow = In.LongLow;
    rec.LongHigh = In.LongHigh;
    rec.Altitude = In.Altitude;
    rec.ItemKind = In.ItemKind;
    return rec;
}

void TGeoDBPrivate::WriteDataBlock(TgdbData& Rec, const TItemInput& In, TBinaryFile& Source, const char* Operation) {
    const std::string op = Operation;
    // built only when raised: a town, the commonest add, has no block
    const auto tooLarge = [&] { return Msg(op + ": the data file has reached its largest size."); };
    if (IsPolygonKind(Rec.ItemKind)) {
        static const TgdbPolygon none;
        const TgdbPolygon& poly = In.Polygon ? *In.Polygon : none;
        if (poly.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / CoordsBytes))
            throw EZYLGeoDBError(Msg(op + ": too many vertices."));
        Rec.Closed = In.ClosedLine;
        Rec.LatLow = 90;
        Rec.LatHigh = -90;
        Rec.LongLow = 180;
        Rec.LongHigh = -180;
        for (const TSCoords& v : poly) {
            Rec.LatLow = std::min(Rec.LatLow, v.Latit);
            Rec.LatHigh = std::max(Rec.LatHigh, v.Latit);
            Rec.LongLow = std::min(Rec.LongLow, v.Longit);
            Rec.LongHigh = std::max(Rec.LongHigh, v.Longit);
        }
        TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadWrite);
        Rec.BlobOffset = AppendOffset(f, tooLarge);
        const auto n = static_cast<std::int32_t>(poly.size());
        Rec.SetNumPoints(n);
        std::vector<std::uint8_t> buf;
        buf.reserve(std::min(poly.size(), kVerticesPerWrite) * CoordsBytes);
        for (std::int32_t i = 0; i < n; ++i) {
            buf.resize(buf.size() + CoordsBytes);
            EncodeCoords(poly[static_cast<std::size_t>(i)], buf.data() + buf.size() - CoordsBytes);
            if (buf.size() == kVerticesPerWrite * CoordsBytes || i == n - 1) {
                f.Write(buf.data(), buf.size());
                buf.clear();
            }
            ReportRatio(i, n);
        }
        Finish(f);
    } else if (Rec.ItemKind == gitBLOB && In.SourceFile.empty()) {
        Rec.SetSize(In.SizeOfBLOBData);
        TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadWrite);
        Rec.BlobOffset = AppendOffset(f, tooLarge);
        WriteMetaInfo(f, Rec.BlobOffset, In.MInfo);
        const auto* bytes = static_cast<const std::uint8_t*>(In.PBLOBData);
        const auto size = static_cast<double>(In.SizeOfBLOBData);
        CopyInChunks(
            In.SizeOfBLOBData,
            [&](std::uint8_t* to, std::size_t n) {
                std::copy_n(bytes, n, to);
                bytes += n;
            },
            [&](const std::uint8_t* from, std::size_t n) { f.Write(from, n); },
            [&](std::int64_t done, std::size_t n) {
                if (n == CopyChunkBytes) ReportRatio(static_cast<double>(done), size);  // full chunks only
            });
        Finish(f);
    } else if (Rec.ItemKind == gitBLOB) {
        // Copied to its end rather than by its size, which some files (/proc, pipes)
        // report as 0; the size only scales the progress reports.
        const std::int64_t expected = Source.Size();
        std::int64_t ignored = 0;
        FileSizeAndDate(In.SourceFile, ignored, Rec.Date);
        TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadWrite);
        Rec.BlobOffset = AppendOffset(f, tooLarge);
        WriteMetaInfo(f, Rec.BlobOffset, In.MInfo);
        std::vector<std::uint8_t> buf(CopyChunkBytes);
        std::int64_t done = 0;
        for (std::size_t n; (n = Source.Read(buf.data(), buf.size())) > 0;) {
            if (done + static_cast<std::int64_t>(n) > std::numeric_limits<std::int32_t>::max())
                throw EZYLGeoDBError(Msg(op + ": the object is too large."));
            f.Write(buf.data(), n);
            done += static_cast<std::int64_t>(n);
            ReportRatio(static_cast<double>(done), static_cast<double>(std::max(expected, done)));
        }
        Rec.SetSize(static_cast<std::int32_t>(done));
        Finish(f);
    }
}

// A change either returns with every file written, or raises having put the
// files back as they were: record first, then the data file's tail, the
// indexes rebuilt from the records. See docs/durability.md.

int TGeoDBPrivate::AddData(const TItemInput& In) {
    if (!IsOpen()) return -1;
    CheckInput(In, "AddData");
    // an add only appends: others notice it by the item file's length
    const auto lock = Lock("AddData", true, false);
    // a source that cannot be read stops the add before anything is written
    TBinaryFile source;
    if (In.ItemKind == gitBLOB && !In.SourceFile.empty()) source.Open(In.SourceFile, TBinaryFile::TMode::ReadOnly);
    if (FSystemData.HighestID == std::numeric_limits<std::int32_t>::max())
        throw EZYLGeoDBError(Msg("AddData: no item identifiers are left."));
    Report(0);
    ++FSystemData.HighestID;
    if (FLazyWrite)
        FHeaderBehind = true;  // the record carries the identifier; see CatchUpHeader
    else
        WriteHeader("AddData");
    TgdbData rec = NewRecord(In, FSystemData.HighestID);
    const int count = FNumSumItems;
    try {
        WriteDataBlock(rec, In, source, "AddData");
        // at the last complete record, so a partial one left by a failure is overwritten
        WriteKeptFile(FNameGDS, false, [&](TBinaryFile& items) { WriteItemRecord(items, count, rec); });
        FSeenItemBytes = static_cast<std::int64_t>(count + 1) * GdbDataBytes;
        FSumData.push_back(rec);
        ++FNumSumItems;
        InsertIntoIndexes(FNumSumItems - 1);
        SaveIndexesAfterAdd();
    } catch (...) {
        RollBack([&] {
            CutFile(FNameGDS, static_cast<std::int64_t>(count) * GdbDataBytes);
            if (rec.BlobOffset >= 0) CutFile(FNameGDD, rec.BlobOffset);
        });
        throw;
    }
    Report(100);
    return FNumSumItems;
}

void TGeoDBPrivate::ReplaceData(int DBEntry, const TItemInput& In) {
    if (!IsOpen()) return;
    const auto lock = Lock("ReplaceData", true);
    if (DBEntry < 1 || DBEntry > FNumSumItems) return;
    CheckInput(In, "ReplaceData");
    TBinaryFile source;
    if (In.ItemKind == gitBLOB && !In.SourceFile.empty()) source.Open(In.SourceFile, TBinaryFile::TMode::ReadOnly);
    Report(0);
    const int k = DBEntry - 1;
    TgdbData rec = NewRecord(In, FSumData[static_cast<std::size_t>(k)].ItemId);
    const std::vector<std::uint8_t> old = ReadRecordBytes(k);
    try {
        WriteDataBlock(rec, In, source, "ReplaceData");
        StoreRecord(k, rec);
    } catch (...) {
        RollBack([&] {
            PutRecordBytes(k, old.data());
            if (rec.BlobOffset >= 0) CutFile(FNameGDD, rec.BlobOffset);
        });
        throw;
    }
    Report(100);
}

void TGeoDBPrivate::DeleteData(int DbEntry) {
    if (!IsOpen()) return;
    const auto lock = Lock("DeleteData", true);
    if (DbEntry >= 1 && DbEntry <= FNumSumItems) DeleteEntry(DbEntry);
}

bool TGeoDBPrivate::DeleteItem(std::int32_t ItemId) {
    if (!IsOpen()) return false;
    const auto lock = Lock("DeleteData", true);
    const int e = SearchForItemID(ItemId);
    if (e > 0) DeleteEntry(e);
    return e > 0;
}

void TGeoDBPrivate::DeleteEntry(int DbEntry) {
    const int k = DbEntry - 1;
    const int last = FNumSumItems - 1;
    const std::vector<std::uint8_t> replaced = ReadRecordBytes(k);
    const std::vector<std::uint8_t> moved = k == last ? replaced : ReadRecordBytes(last);
    // Moving the last record over the deleted one is two writes: the journal
    // lets opening finish them when a process stops between the two.
    const std::string journal = DeleteJournalName(FNameGDS);
    CatchUpHeader();
    try {
        if (k != last) {
            WriteDeleteJournal(journal, {k, last + 1, moved, replaced}, FSyncWrites);
            TBinaryFile items(FNameGDS, TBinaryFile::TMode::ReadWrite);
            items.Seek(static_cast<std::int64_t>(k) * GdbDataBytes);
            items.Write(moved.data(), GdbDataBytes);
            items.Truncate(static_cast<std::int64_t>(last) * GdbDataBytes);
            Finish(items);
        } else {
            CutFile(FNameGDS, static_cast<std::int64_t>(last) * GdbDataBytes);
        }
        FSumData[static_cast<std::size_t>(k)] = FSumData[static_cast<std::size_t>(last)];
        FSumData.pop_back();
        RemoveFromIndexes(k);
        if (k != last) {
            FIx0ItemId.Renumber(last, k);
            for (auto& ix : FIxCoord) ix.Renumber(last, k);
        }
        --FNumSumItems;
        FSeenItemBytes = static_cast<std::int64_t>(last) * GdbDataBytes;
        SaveIndexesUnlessLazy();
        if (k != last) RemoveFile(journal);
    } catch (...) {
        RollBack([&] {
            // the journal goes last: while it is there, opening completes the deletion
            PutRecordBytes(last, moved.data());
            PutRecordBytes(k, replaced.data());
            RemoveFile(journal);
        });
        throw;
    }
}

void TGeoDBPrivate::UpdateBasicData(int DbEntry, const TgdbData& GdbData) {
    if (!IsOpen()) return;
    const auto lock = Lock("UpdateBasicData", true);
    if (DbEntry < 1 || DbEntry > FNumSumItems) return;
    CheckName(GdbData.Name, "UpdateBasicData");
    CheckBox(GdbData.LatLow, GdbData.LatHigh, GdbData.LongLow, GdbData.LongHigh, "UpdateBasicData");
    const int k = DbEntry - 1;
    const TgdbData& current = FSumData[static_cast<std::size_t>(k)];
    TgdbData rec = GdbData;
    rec.Name = BlankPaddedName(GdbData.Name);
    rec.ItemId = current.ItemId;
    rec.BlobOffset = current.BlobOffset;
    rec.ItemKind = current.ItemKind;
    rec.NumPointsOrSize = current.NumPointsOrSize;
    const std::vector<std::uint8_t> old = ReadRecordBytes(k);
    try {
        StoreRecord(k, rec);
    } catch (...) {
        RollBack([&] { PutRecordBytes(k, old.data()); });
        throw;
    }
}

bool TGeoDBPrivate::UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo) {
    if (!IsOpen()) return false;
    const auto lock = Lock("UpdateMetaInfo", true);
    if (DBEntry < 1 || DBEntry > FNumSumItems) return false;
    const TgdbData& rec = FSumData[static_cast<std::size_t>(DBEntry - 1)];
    if (rec.ItemKind != gitBLOB) return false;
    TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadWrite);
    if (!BlockFits(rec, f.Size())) return false;
    std::vector<std::uint8_t> old(MetaInfoBytes);
    f.Seek(rec.BlobOffset);
    f.ReadExact(old.data(), old.size());
    try {
        WriteMetaInfo(f, rec.BlobOffset, MetaInfo);
        Finish(f);
    } catch (...) {
        RollBack([&] {
            TBinaryFile g(FNameGDD, TBinaryFile::TMode::ReadWrite);
            g.Seek(rec.BlobOffset);
            g.Write(old.data(), old.size());
            Finish(g);
        });
        throw;
    }
    return true;
}

std::vector<std::uint8_t> TGeoDBPrivate::ReadRecordBytes(int RecordNo) const {
    std::vector<std::uint8_t> b(GdbDataBytes);
    TBinaryFile items(FNameGDS, TBinaryFile::TMode::ReadOnly);
    items.Seek(static_cast<std::int64_t>(RecordNo) * GdbDataBytes);
    items.ReadExact(b.data(), b.size());
    items.Close();
    return b;
}

void TGeoDBPrivate::WriteRecordBytes(int RecordNo, const TgdbData& Rec) const {
    std::uint8_t b[GdbDataBytes];
    EncodeGdbData(Rec, b);
    PutRecordBytes(RecordNo, b);
}

void TGeoDBPrivate::StoreRecord(int RecordNo, const TgdbData& Rec) {
    WriteRecordBytes(RecordNo, Rec);
    FSumData[static_cast<std::size_t>(RecordNo)] = Rec;
    RemoveFromIndexes(RecordNo);
    InsertIntoIndexes(RecordNo);
    SaveIndexesUnlessLazy();
}

void TGeoDBPrivate::PutRecordBytes(int RecordNo, const std::uint8_t* Bytes) const {
    TBinaryFile items(FNameGDS, TBinaryFile::TMode::ReadWrite);
    items.Seek(static_cast<std::int64_t>(RecordNo) * GdbDataBytes);
    items.Write(Bytes, GdbDataBytes);
    Finish(items);
}

void TGeoDBPrivate::CutFile(const std::string& Path, std::int64_t Size) const {
    TBinaryFile f(Path, TBinaryFile::TMode::ReadWrite);
    if (f.Size() > Size) f.Truncate(Size);
    Finish(f);
}

void TGeoDBPrivate::RollBack(const std::function<void()>& Undo) {
    try {
        Undo();
    } catch (const std::exception&) {
        // a second fault: what opening finds, it completes or undoes
    }
    // the tables are read again under the lock still held, so that they show
    // the files as they now are; when even that fails, no database stays open
    try {
        const bool lazy = FLazyWrite;
        LoadDatabase(DBName());
        FLazyWrite = lazy;
    } catch (const std::exception&) {}
}

// The public forms.

int TGeoDB::AddBorder(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date, int StateFlag,
                      float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      std::uint8_t ClassNumber, int UserTag) {
    return d->AddData(TGeoDBPrivate::PolygonInput(gitBorder, Name, Polygon, ClosedLine, Date, StateFlag, LatLow,
                                                  LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddCity(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date, int StateFlag,
                    float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                    std::uint8_t ClassNumber, int UserTag) {
    return d->AddData(TGeoDBPrivate::PolygonInput(gitCity, Name, Polygon, ClosedLine, Date, StateFlag, LatLow, LatHigh,
                                                  LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddLake(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                    int UserTag) {
    return d->AddData(TGeoDBPrivate::PolygonInput(gitLake, Name, Polygon, true, Date, StateFlag, LatLow, LatHigh,
                                                  LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddRiver(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                     float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                     int UserTag) {
    return d->AddData(TGeoDBPrivate::PolygonInput(gitRiver, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh,
                                                  LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddRoad(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                    int UserTag) {
    return d->AddData(TGeoDBPrivate::PolygonInput(gitRoad, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh,
                                                  LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddRoute(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                     float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                     int UserTag) {
    return d->AddData(TGeoDBPrivate::PolygonInput(gitRoute, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh,
                                                  LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddTown(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
                    std::uint8_t ClassNumber, int UserTag) {
    return d->AddData(TGeoDBPrivate::TownInput(Name, Date, StateFlag, Location, Altitude, ClassNumber, UserTag));
}
int TGeoDB::AddBLOB(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                    const void* PBLOBData, int SizeOfBLOBData) {
    TGeoDBPrivate::TItemInput in = TGeoDBPrivate::BlobInput(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                                            Altitude, ClassNumber, UserTag, MInfo);
    in.PBLOBData = PBLOBData;
    in.SizeOfBLOBData = SizeOfBLOBData;
    return d->AddData(in);
}
int TGeoDB::AddBLOB(const std::string& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                    const TMemoryStream& Data) {
    if (Data.Size() > std::numeric_limits<int>::max())
        throw EZYLGeoDBError(d->Msg("AddData: the object is too large."));
    return AddBLOB(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag, MInfo,
                   Data.Memory(), static_cast<int>(Data.Size()));
}
int TGeoDB::AddBLOB(const std::string& FileName, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                    float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber, int UserTag,
                    const TMetaInfo& MInfo) {
    return d->AddData(TGeoDBPrivate::BlobFileInput(FileName, FileName, Date, StateFlag, LatLow, LatHigh, LongLow,
                                                   LongHigh, Altitude, ClassNumber, UserTag, MInfo));
}
int TGeoDB::AddBLOB(const std::string& FileName, const std::string& FNameInDB, TDateTime Date, int StateFlag,
                    float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                    std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo) {
    return d->AddData(TGeoDBPrivate::BlobFileInput(FileName, FNameInDB, Date, StateFlag, LatLow, LatHigh, LongLow,
                                                   LongHigh, Altitude, ClassNumber, UserTag, MInfo));
}
int TGeoDB::AddBLOB(const std::string& FileName, const std::string& FNameInDB, const std::string& OrgFilePath,
                    TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float Altitude, std::uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo) {
    TGeoDBPrivate::TItemInput in =
        TGeoDBPrivate::BlobFileInput(FileName, FNameInDB, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                                     ClassNumber, UserTag, MInfo);
    // stored with the block at once rather than patched afterwards: the same bytes, one write fewer to fail
    in.MInfo.FilePath = TShortString<127>(OrgFilePath);
    return d->AddData(in);
}

void TGeoDB::ReplaceBorder(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                           TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                           float Altitude, std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::PolygonInput(gitBorder, Name, Polygon, ClosedLine, Date, StateFlag, LatLow,
                                                        LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceCity(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                         int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                         std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::PolygonInput(gitCity, Name, Polygon, ClosedLine, Date, StateFlag, LatLow,
                                                        LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceLake(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                         float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                         std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::PolygonInput(gitLake, Name, Polygon, true, Date, StateFlag, LatLow, LatHigh,
                                                        LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceRiver(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                          float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                          std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::PolygonInput(gitRiver, Name, Polygon, false, Date, StateFlag, LatLow,
                                                        LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceRoad(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                         float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                         std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::PolygonInput(gitRoad, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh,
                                                        LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceRoute(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                          float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                          std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::PolygonInput(gitRoute, Name, Polygon, false, Date, StateFlag, LatLow,
                                                        LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceTown(int DBEntry, const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location,
                         float Altitude, std::uint8_t ClassNumber, int UserTag) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::TownInput(Name, Date, StateFlag, Location, Altitude, ClassNumber, UserTag));
}
void TGeoDB::ReplaceBLOB(int DBEntry, const std::string& Name, TDateTime Date, int StateFlag, float LatLow,
                         float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                         int UserTag, const TMetaInfo& MInfo, const void* PBLOBData, int SizeOfBLOBData) {
    TGeoDBPrivate::TItemInput in = TGeoDBPrivate::BlobInput(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                                            Altitude, ClassNumber, UserTag, MInfo);
    in.PBLOBData = PBLOBData;
    in.SizeOfBLOBData = SizeOfBLOBData;
    d->ReplaceData(DBEntry, in);
}
void TGeoDB::ReplaceBLOB(int DBEntry, const std::string& Name, TDateTime Date, int StateFlag, float LatLow,
                         float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                         int UserTag, const TMetaInfo& MInfo, const TMemoryStream& Data) {
    if (Data.Size() > std::numeric_limits<int>::max())
        throw EZYLGeoDBError(d->Msg("ReplaceData: the object is too large."));
    ReplaceBLOB(DBEntry, Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag,
                MInfo, Data.Memory(), static_cast<int>(Data.Size()));
}
void TGeoDB::ReplaceBLOB(int DBEntry, const std::string& FileName, TDateTime Date, int StateFlag, float LatLow,
                         float LatHigh, float LongLow, float LongHigh, float Altitude, std::uint8_t ClassNumber,
                         int UserTag, const TMetaInfo& MInfo) {
    d->ReplaceData(DBEntry, TGeoDBPrivate::BlobFileInput(FileName, FileName, Date, StateFlag, LatLow, LatHigh, LongLow,
                                                         LongHigh, Altitude, ClassNumber, UserTag, MInfo));
}

}  // namespace zylcarto
