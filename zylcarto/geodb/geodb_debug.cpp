// TGeoDBPrivate::ExportDataDebug: the database as readable text, for looking into a file by eye.
#include <charconv>

#include "zylcarto/geodb/geodb_p.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/support/streams.h"

namespace zylcarto {
namespace {

// shortest text that reads back as the same value, in the value's own precision
template <typename Float>
std::string Real(Float v) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}
std::string Num(long long v) { return std::to_string(v); }

}  // namespace

void TGeoDBPrivate::ExportDataDebug(const std::string& FName) const {
    TTextFile t;
    t.OpenWrite(FName);
    t.WriteLn("Database\t" + DBName());
    t.WriteLn("HighestID\t" + Num(FSystemData.HighestID));
    t.WriteLn("DBVersion\t" + Num(FSystemData.DBVersion));
    t.WriteLn("Description\t" + FSystemData.Description.Str());
    t.WriteLn("Revision\t" + Num(FSystemData.Revision));
    t.WriteLn("NumEntries\t" + Num(FNumSumItems));
    t.WriteLn();
    t.WriteLn("Entry\tItemId\tKind\tName\tClass\tTag\tState\tDate\tLatLow\tLatHigh\tLongLow\tLongHigh\tAltitude\t"
              "BlobOffset\tNumPoints/Size\tClosed");
    for (int e = 1; e <= FNumSumItems; ++e) {
        const TgdbData& r = FSumData[static_cast<std::size_t>(e - 1)];
        t.WriteLn(Num(e) + '\t' + Num(r.ItemId) + '\t' + std::string(GdbItemName(r.ItemKind)) + '\t' + r.Name.Str() +
                  '\t' + Num(r.ClassFlag) + '\t' + Num(r.Tag) + '\t' + Num(r.StateFlag) + '\t' + Real(r.Date) + '\t' +
                  Real(r.LatLow) + '\t' + Real(r.LatHigh) + '\t' + Real(r.LongLow) + '\t' + Real(r.LongHigh) + '\t' +
                  Real(r.Altitude) + '\t' + Num(r.BlobOffset) + '\t' + Num(r.NumPointsOrSize) + '\t' +
                  (r.Closed ? "closed" : "open"));
    }
    t.WriteLn();
    t.WriteLn("Index 0 ItemID\tPosition\tKey\tEntry");
    for (int p = 0; p < FIx0ItemId.Size(); ++p) {
        const TIxItemIDRec e = FIx0ItemId.At(p);
        t.WriteLn('\t' + Num(p + 1) + '\t' + Num(e.ItemID) + '\t' + Num(e.index + 1));
    }
    static const char* const kNames[] = {"", "LatLow", "LatHigh", "LongLow", "LongHigh"};
    for (int i = 1; i <= 4; ++i) {
        t.WriteLn();
        t.WriteLn("Index " + Num(i) + ' ' + kNames[i] + "\tPosition\tKey\tEntry");
        const TCoordIndex& a = LLIndex(i);
        for (int p = 0; p < a.Size(); ++p) {
            const TIxLLRec e = a.At(p);
            t.WriteLn('\t' + Num(p + 1) + '\t' + Real(e.LLValue) + '\t' + Num(e.index + 1));
        }
    }
    t.Close();
}

}  // namespace zylcarto
