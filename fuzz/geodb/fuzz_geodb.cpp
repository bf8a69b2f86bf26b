// Opens a database made of the input's bytes and reads (and changes) all of it:
// no crash, overrun, huge allocation or hang, whatever the files hold.
//
// Input: seven pieces, each a 16-bit little-endian length and that many bytes
// (cut at the input's end), for the item file, the data file and index files 0-4.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "zylcarto/geodb/geodb.h"
#include "zylcarto/geodb/storage.h"

using namespace zylcarto;

namespace {

const std::string& Base() {
    static const std::string base = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("zylcarto_fuzz_geodb_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        return (dir / "db").string();
    }();
    return base;
}

void WritePieces(const std::uint8_t* data, std::size_t size) {
    const auto names = DBFileNames(Base());
    const std::string files[7] = {names.GDS,   names.GDD,   names.IX[0], names.IX[1],
                                  names.IX[2], names.IX[3], names.IX[4]};
    std::size_t pos = 0;
    for (const auto& f : files) {
        std::size_t len = 0;
        if (pos + 2 <= size) len = data[pos] | static_cast<std::size_t>(data[pos + 1]) << 8;
        pos = std::min(pos + 2, size);
        len = std::min(len, size - pos);
        std::FILE* out = std::fopen(f.c_str(), "wb");
        if (!out) std::abort();
        if (len > 0) std::fwrite(data + pos, 1, len, out);
        std::fclose(out);
        pos += len;
    }
}

void ReadEverything(TGeoDB& db) {
    long long sink = 0;
    std::vector<std::uint8_t> buffer(4096);
    for (int e = 0; e <= db.NumEntries() + 1; ++e) {
        const TgdbData r = db.Data(e);
        sink += static_cast<long long>(r.ItemId) + db.SearchForItemID(r.ItemId) + db.GetClosestLatLowIx(r.LatLow) +
                db.GetClosestLongHighIx(r.LongHigh) + db.IxLatHigh(e).index + db.IxItemID(e).index;
        TgdbPolygon poly;
        sink += db.RetrievePolygon(e, poly) ? static_cast<long long>(poly.size()) : 0;
        TMetaInfo meta;
        TMemoryStream stream;
        sink += db.GetMetaInfo(e, meta) ? meta.Caption.Length() : 0;
        sink += db.RetrieveBLOB(e, meta, stream) ? stream.Size() : 0;
        try {
            sink += db.RetrieveBLOB(e, meta, buffer.data(), static_cast<int>(buffer.size())) ? 1 : 0;
        } catch (const EZYLGeoDBError&) {
            // an object larger than the buffer
        }
    }
    sink += db.SearchData("x");
    if (sink == 42) std::fputc(' ', stderr);  // keeps the reads from being optimised away
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WritePieces(data, size);
    try {
        TGeoDB db;
        try {
            db.SetDBName(Base());
        } catch (const EZYLGeoDBError&) {
            return 0;  // refused as damaged or not one database's files
        }
        ReadEverything(db);
        try {
            db.AddTown("fuzz", 0, 0, {1, 2}, 0, 0, 0);
        } catch (const EZYLGeoDBError&) {
            // a header whose identifiers are used up
        }
        db.ReplaceTown(1, "again", 0, 0, {3, 4}, 0, 0, 0);
        db.DeleteData(1);
        try {
            db.GarbageCollection();
        } catch (const EZYLGeoDBError&) {
            // a block that does not fit in the data file
        }
        // what the library wrote itself must open again
        db.SetDBName(Base());
        ReadEverything(db);
    } catch (const EInOutError&) {
        // a data file shorter than its header
    }
    return 0;
}
