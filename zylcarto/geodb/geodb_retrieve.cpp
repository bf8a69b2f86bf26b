// TGeoDB: reading polygons and binary objects back, and the text helpers of the unit.
#include <algorithm>
#include <cmath>
#include <limits>

#include "zylcarto/geodb/geodb_p.h"
#include "zylcarto/geodb/lock.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

bool EndsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '\\' || s.back() == '/'); }

}  // namespace

const TgdbData* TGeoDBPrivate::RetrievableEntry(int DBEntry, bool WantPolygon) const {
    const int e = std::max(DBEntry, 1);
    if (e > FNumSumItems) return nullptr;
    const TgdbData& rec = FSumData[static_cast<std::size_t>(e - 1)];
    const bool kindOk = WantPolygon ? IsPolygonKind(rec.ItemKind) : rec.ItemKind == gitBLOB;
    return kindOk && rec.BlobOffset >= 0 ? &rec : nullptr;
}

bool TGeoDBPrivate::RetrievePolygon(int DBEntry, TgdbPolygon& Polygon) {
    if (!IsOpen()) return false;
    const auto lock = Lock("RetrievePolygon", false);
    Report(0);
    bool ok = false;
    TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadOnly);
    const TgdbData* rec = RetrievableEntry(DBEntry, true);
    if (rec && BlockFits(*rec, f.Size())) {
        const auto n = static_cast<std::size_t>(rec->NumPoints());
        std::vector<std::uint8_t> bytes(n * CoordsBytes);
        f.Seek(rec->BlobOffset);
        f.ReadExact(bytes.data(), bytes.size());
        TgdbPolygon poly(n);
        const std::size_t step = n / 100 + 1;
        for (std::size_t i = 0; i < n; ++i) {
            poly[i] = DecodeCoords(bytes.data() + i * CoordsBytes);
            if ((i + 1) % step == 0) ReportRatio(static_cast<double>(i + 1), static_cast<double>(n));
        }
        Polygon = std::move(poly);
        ok = true;
    }
    f.Close();
    Report(100);
    return ok;
}

bool TGeoDBPrivate::GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo) {
    if (!IsOpen()) return false;
    const auto lock = Lock("GetMetaInfo", false);
    const TgdbData* rec = RetrievableEntry(DBEntry, false);
    if (!rec) return false;
    TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadOnly);
    if (!BlockFits(*rec, f.Size())) return false;
    MetaInfo = ReadMetaInfo(f, rec->BlobOffset);
    f.Close();
    return true;
}

bool TGeoDBPrivate::RetrieveBLOB(int DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo) {
    if (!IsOpen()) return false;
    const auto lock = Lock("RetrieveBLOB", false);
    TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadOnly);
    const TgdbData* rec = RetrievableEntry(DBEntry, false);
    if (!rec || !BlockFits(*rec, f.Size())) return false;
    Report(0);
    MetaInfo = ReadMetaInfo(f, rec->BlobOffset);
    std::string target = Filepath;
    if (target.empty() || EndsWithSeparator(target)) {
        if (!target.empty() && target.back() == '\\') target.back() = '/';
        target += ReduceStringToFN83CompliantChars(rec->Name.Str());
    }
    if (target.empty()) throw EZYLGeoDBError(Msg("RetrieveBLOB: invalid filename."));
    TBinaryFile out(target, TBinaryFile::TMode::CreateNew);
    CopyInChunks(
        rec->Size(), [&](std::uint8_t* b, std::size_t n) { f.ReadExact(b, n); },
        [&](const std::uint8_t* b, std::size_t n) { out.Write(b, n); },
        [&](std::int64_t done, std::size_t) { ReportRatio(static_cast<double>(done), rec->Size()); });
    out.Close();
    Report(100);
    f.Close();
    return true;
}

bool TGeoDBPrivate::RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData) {
    if (!IsOpen()) return false;
    const auto lock = Lock("RetrieveBLOB", false);
    Report(0);
    bool ok = false;
    TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadOnly);
    const TgdbData* rec = RetrievableEntry(DBEntry, false);
    if (rec && BlockFits(*rec, f.Size())) {
        MetaInfo = ReadMetaInfo(f, rec->BlobOffset);
        const int room = PBLOBData ? SizeOfBLOBData : 0;
        if (room < rec->Size())
            throw EZYLGeoDBError(Msg("RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData."));
        auto* out = static_cast<std::uint8_t*>(PBLOBData);
        CopyInChunks(
            rec->Size(), [&](std::uint8_t* b, std::size_t n) { f.ReadExact(b, n); },
            [&](const std::uint8_t* b, std::size_t n) { out = std::copy_n(b, n, out); },
            [&](std::int64_t done, std::size_t) { ReportRatio(static_cast<double>(done), rec->Size()); });
        ok = true;
    }
    f.Close();
    Report(100);
    return ok;
}

bool TGeoDBPrivate::RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream) {
    if (!IsOpen()) return false;
    const auto lock = Lock("RetrieveBLOB", false);
    Report(0);
    bool ok = false;
    TBinaryFile f(FNameGDD, TBinaryFile::TMode::ReadOnly);
    const TgdbData* rec = RetrievableEntry(DBEntry, false);
    if (rec && BlockFits(*rec, f.Size())) {
        const auto size = static_cast<std::size_t>(rec->Size());
        BlobStream.SetSize(static_cast<std::int64_t>(size));
        BlobStream.SetPosition(0);
        MetaInfo = ReadMetaInfo(f, rec->BlobOffset);
        CopyInChunks(
            rec->Size(), [&](std::uint8_t* b, std::size_t n) { f.ReadExact(b, n); },
            [&](const std::uint8_t* b, std::size_t n) { BlobStream.Write(b, n); },
            [&](std::int64_t done, std::size_t) { ReportRatio(static_cast<double>(done), rec->Size()); });
        ok = true;
    }
    f.Close();
    Report(0);
    return ok;
}

namespace {

std::string Hemisphere(double Value, double Limit, const char* Plus, const char* Minus, TDegreeFormat Format,
                       int Decimals) {
    double v = Value;
    if (!(v >= -Limit)) v = -Limit;  // also a value that is not a number
    if (v > Limit) v = Limit;
    return DegreeToStr(std::fabs(v), Format, Decimals) + (v >= 0 ? Plus : Minus);
}

}  // namespace

std::string GeoLatitude(double Latit, TDegreeFormat Format, int Decimals) {
    return Hemisphere(Latit, 90, " N", " S", Format, Decimals);
}

std::string GeoLongitude(double Longit, TDegreeFormat Format, int Decimals) {
    return Hemisphere(Longit, 180, " E", " W", Format, Decimals);
}

TgdbSystemData ReadSystemInformation(const std::string& FileName) {
    TBinaryFile f(DBFileNames(StripExtension(FileName)).GDD, TBinaryFile::TMode::ReadOnly);
    TgdbSystemData sys = ReadSystemData(f);
    f.Close();
    return sys;
}

}  // namespace zylcarto
