#pragma once
// Export of a geographic database as an OGC GeoPackage 1.2 (SQLite): towns as a
// point layer; borders, cities and lakes as polygons (closed items) or lines
// (open items); rivers, roads and routes as lines; binary objects as an
// attributes table with their meta information and bytes. Every feature layer
// is in WGS 84 (SRS 4326) with an R-tree spatial index.
#include <string>
#include <vector>
#include "zylcarto/support/export.h"

namespace zylcarto {
class TGeoDB;
}

namespace zylcarto {

struct TGpkgLayer {
    std::string Table;
    std::string GeometryType;  // POINT, POLYGON, LINESTRING, GEOMETRY; empty for the attributes table
    int Rows = 0;
};

struct TGpkgExport {
    std::vector<TGpkgLayer> Layers;
    int SkippedUndefined = 0;  // items of kind Undefined have nothing to export
};

// Writes the open database DB to FileName (replaced only once the GeoPackage is
// complete). Raises EZYLGeoDBError when SQLite fails or an item's block cannot
// be read, EInOutError when the file cannot be put in place.
ZYLCARTO_EXPORT TGpkgExport ExportGeoPackage(TGeoDB& DB, const std::string& FileName);

}  // namespace zylcarto
