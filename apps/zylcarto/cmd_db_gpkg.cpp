// zylcarto db export-gpkg: a database as a GeoPackage for GIS tools and PostGIS.
#include <cstdio>
#include <filesystem>

#include "exchange_cmds.h"
#include "zylcarto/exchange/gpkg_export.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::cli {

int RunDbExportGpkg(TArgs a) {
    RejectUnknownOptions(a);
    if (a.size() != 2) throw EUsageError("usage: zylcarto db export-gpkg NAME OUT.gpkg");
    if (!std::filesystem::exists(StripExtension(a[0]) + ".zylgds"))
        throw EUsageError("no database \"" + a[0] + "\" (create it with: zylcarto db create NAME)");
    TGeoDB db;
    db.SetDBName(a[0]);
    TGpkgExport r;
    const auto done = ShowBlockProgress(db, "export-gpkg");
    try {
        r = ExportGeoPackage(db, a[1]);
        done();
    } catch (const EZYLGeoDBError& e) {
        std::fprintf(stderr, "zylcarto: %s\n", e.what());
        return 1;
    }
    for (const auto& l : r.Layers)
        std::printf("%s\t%s\t%d\n", l.Table.c_str(), l.GeometryType.empty() ? "attributes" : l.GeometryType.c_str(),
                    l.Rows);
    if (r.SkippedUndefined > 0)
        std::fprintf(stderr, "zylcarto: note: %d items of kind Undefined were left out\n", r.SkippedUndefined);
    return 0;
}

}  // namespace zylcarto::cli
