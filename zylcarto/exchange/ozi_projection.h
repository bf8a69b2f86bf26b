#pragma once
// The coordinate reference system of an OziExplorer map: its "Map Projection"
// and "Projection Setup" lines and its datum as a PROJ definition, and the grid
// coordinates of positions on the map's own datum.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zylcarto {

// The parts of a PROJ definition: the projection with its parameters, and the
// datum as ellipsoid and shift to WGS 84.
struct TOziCrs {
    std::string Projection;  // "+proj=tmerc +lat_0=... +x_0=... +y_0=..."
    std::string Ellipsoid;   // "+ellps=krass" or "+a=... +rf=..."
    std::string Shift;       // "+towgs84=..."
    // The whole definition, as the calibration stores it.
    std::string Definition() const;
};

// The datum of an OziExplorer datum name: the format's own parameters for the
// names it writes most, else the library's datum table; false when unknown.
bool OziDatumCrs(std::string_view DatumName, TOziCrs& Crs);

// The projection of a "Map Projection" name (the text after the comma) and the
// fields of the "Projection Setup" line (field 1 the latitude of origin, then
// longitude of origin, scale, false easting and northing, standard parallels 1
// and 2); false for a projection PROJ is not given here (Latitude/Longitude and
// UTM, which have their own models, and unknown names). Why says what is wrong
// with the set-up when it is unusable (then false as well).
bool OziProjection(std::string_view Name, const std::vector<std::string_view>& Setup, TOziCrs& Crs, std::string& Why);

// Latitude and longitude on the map's own datum to easting and northing in
// place, a projection without a datum shift; a point PROJ cannot convert
// comes back NaN. False, with Why, when PROJ refuses the definition.
bool ProjectOnOwnDatum(const TOziCrs& Crs, std::vector<std::pair<double, double>>& LatLongToEastNorth,
                       std::string& Why);

}  // namespace zylcarto
