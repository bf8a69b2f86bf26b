#include "sample_database.h"

#include <cmath>
#include <vector>

#include "zylcarto/geodb/geodb.h"

namespace zylcarto::test {

void WriteSampleDatabase(const std::string& BaseName) {
    TGeoDB db;
    db.SetDBName(BaseName);
    db.SetDescription("Sample ÄÖÜ");
    db.SetRevision(-7);
    db.SetLazyWrite(true);
    for (int i = 0; i < 40; ++i) {
        const float lat = static_cast<float>(std::sin(i * 0.7) * 80.0);
        const float lon = static_cast<float>(std::cos(i * 1.3) * 170.0);
        db.AddTown("Town " + std::to_string(i), 40000.0 + i / 7.0, i * 3, {lat, lon}, static_cast<float>(i) * 1.5f,
                   static_cast<std::uint8_t>(i % 5), -i);
    }
    db.SetLazyWrite(false);
    TgdbPolygon poly;
    for (int i = 0; i < 300; ++i) poly.push_back({static_cast<float>(i) / 3.0f, -static_cast<float>(i) / 7.0f});
    db.AddBorder("Border", poly, true, 41000.5, 1, 0, 0, 0, 0, 0, 2, 3);
    db.AddRiver("River", {{1.25f, 2.5f}, {-0.0f, 3.75f}}, 41001, 0, 0, 0, 0, 0, 0, 0, 0);
    std::vector<unsigned char> bytes(40000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
    TMetaInfo meta;
    meta.Caption = "Caption";
    meta.Keywords = "alpha beta";
    db.AddBLOB("Object", 41002, 0, 1, 2, 3, 4, 5, 6, 7, meta, bytes.data(), static_cast<int>(bytes.size()));
    db.ReplaceTown(3, "Replaced", 41003, 0, {10.5f, 20.25f}, 0, 0, 0);
    db.DeleteData(5);
    db.DeleteData(1);
    db.ReplaceLake(2, "Lake", poly, 41004, 0, 0, 0, 0, 0, 0, 0, 0);
    db.GarbageCollection();
    db.SetDBName("");
}

}  // namespace zylcarto::test
