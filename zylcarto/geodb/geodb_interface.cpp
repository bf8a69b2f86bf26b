// TGeoDB: the interface a host calls, each call handed on to the private class.
#include "zylcarto/geodb/geodb_p.h"

namespace zylcarto {

TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner), d(std::make_unique<TGeoDBPrivate>(this)) {}

TGeoDB::~TGeoDB() { d->WritePendingIndexes(); }

std::string TGeoDB::DBName() const { return d->DBName(); }
void TGeoDB::SetDBName(const std::string& Value) { d->SetDBName(Value); }
bool TGeoDB::IsOpen() const { return d->IsOpen(); }
bool TGeoDB::LazyWrite() const { return d->FLazyWrite; }
void TGeoDB::SetLazyWrite(bool Value) { d->SetLazyWrite(Value); }
int TGeoDB::NumEntries() const { return d->FNumSumItems; }
bool TGeoDB::SyncWrites() const { return d->FSyncWrites; }
void TGeoDB::SetSyncWrites(bool Value) { d->SetSyncWrites(Value); }
int TGeoDB::LockTimeout() const { return d->FLockTimeout; }
void TGeoDB::SetLockTimeout(int Value) { d->FLockTimeout = Value; }
const TOnPercentDoneEvent& TGeoDB::OnPercentDone() const { return d->FOnPercentDone; }
void TGeoDB::SetOnPercentDone(TOnPercentDoneEvent Value) { d->FOnPercentDone = std::move(Value); }
bool TGeoDB::OnPercDoneEnabled() const { return d->FOnPercDoneEnabled; }
void TGeoDB::SetOnPercDoneEnabled(bool Value) { d->FOnPercDoneEnabled = Value; }

std::string TGeoDB::Description() const { return d->FSystemData.Description.Str(); }
void TGeoDB::SetDescription(const std::string& Value) { d->SetDescription(Value); }
int TGeoDB::Revision() const { return d->FSystemData.Revision; }
void TGeoDB::SetRevision(int Value) { d->SetRevision(Value); }
int TGeoDB::DBVersion() const { return d->FSystemData.DBVersion; }
int TGeoDB::HighestID() const { return d->FSystemData.HighestID; }
std::size_t TGeoDB::IndexBytes() const { return d->IndexBytes(); }

TgdbData TGeoDB::Data(int ix) const { return d->Data(ix); }
TIxItemIDRec TGeoDB::IxItemID(int ix) const { return d->IxItemID(ix); }
TIxLLRec TGeoDB::IxLatLow(int ix) const { return d->LLEntry(1, ix); }
TIxLLRec TGeoDB::IxLatHigh(int ix) const { return d->LLEntry(2, ix); }
TIxLLRec TGeoDB::IxLongLow(int ix) const { return d->LLEntry(3, ix); }
TIxLLRec TGeoDB::IxLongHigh(int ix) const { return d->LLEntry(4, ix); }

void TGeoDB::DeleteData(int DbEntry) { d->DeleteData(DbEntry); }
bool TGeoDB::DeleteItem(std::int32_t ItemId) { return d->DeleteItem(ItemId); }
void TGeoDB::UpdateBasicData(int DbEntry, const TgdbData& GdbData) { d->UpdateBasicData(DbEntry, GdbData); }
bool TGeoDB::UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo) { return d->UpdateMetaInfo(DBEntry, MetaInfo); }
void TGeoDB::GarbageCollection() { d->GarbageCollection(); }

int TGeoDB::GetClosestLatLowIx(double Latit) const { return d->LLIndex(1).ClosestPosition(Latit); }
int TGeoDB::GetClosestLatHighIx(double Latit) const { return d->LLIndex(2).ClosestPosition(Latit); }
int TGeoDB::GetClosestLongLowIx(double Longit) const { return d->LLIndex(3).ClosestPosition(Longit); }
int TGeoDB::GetClosestLongHighIx(double Longit) const { return d->LLIndex(4).ClosestPosition(Longit); }
int TGeoDB::GetClosestItemIDIx(int ItemID) const { return d->FIx0ItemId.ClosestPosition(ItemID); }
int TGeoDB::SearchForItemID(int ItemID) const { return d->SearchForItemID(ItemID); }
int TGeoDB::SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt, std::uint8_t ClassNumber) const {
    return d->SearchData(Name, ItemType, StartSearchAt, ClassNumber);
}
int TGeoDB::SearchData(const TgdbName& Name) const { return d->SearchData(Name, gitUndefined, 1, 255); }
void TGeoDB::RecalcIndexes() { d->RecalcIndexes(); }

bool TGeoDB::RetrievePolygon(int DBEntry, TgdbPolygon& Polygon) { return d->RetrievePolygon(DBEntry, Polygon); }
bool TGeoDB::RetrieveBLOB(int DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo) {
    return d->RetrieveBLOB(DBEntry, Filepath, MetaInfo);
}
bool TGeoDB::RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData) {
    return d->RetrieveBLOB(DBEntry, MetaInfo, PBLOBData, SizeOfBLOBData);
}
bool TGeoDB::RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream) {
    return d->RetrieveBLOB(DBEntry, MetaInfo, BlobStream);
}
bool TGeoDB::GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo) { return d->GetMetaInfo(DBEntry, MetaInfo); }
void TGeoDB::ExportDataDebug(const std::string& FName) const { d->ExportDataDebug(FName); }

}  // namespace zylcarto
