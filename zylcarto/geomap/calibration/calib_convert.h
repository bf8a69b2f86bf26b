#pragma once
// Conversion between map-image pixels and geographic or UTM coordinates by
// the parameters of the active model. Nothing here raises: a conversion that
// cannot be made reports it through its flag or result.
#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/matrix.h"

namespace zylcarto {

class TCrsTransform;

// What a conversion reads: the model and the fitted state; for cmProjected the
// CRS of the data (null: no conversion).
struct TCalibView {
    TCalibModel Model;
    const TCalibData& Data;
    const TMatrix& GratMat;
    const TCalibParams& Pars;
    const TCrsTransform* Crs;
};

struct TGeoResult {
    double Latitude = 0;
    // Within -180..180.
    double Longitude = 0;
    // The same meridian as the map runs, without its jump at the antimeridian.
    double MapLongitude = 0;
    bool LatValid = false;
    bool LongValid = false;
};

// The position under pixel (x, y); an invalid part reads 0. Latitudes beyond
// the poles and longitudes more than a whole turn from the map's centre are
// invalid.
TGeoResult PixelToGeo(const TCalibView& C, int x, int y);
// The same at a fractional pixel position.
TGeoResult PixelToGeoFrac(const TCalibView& C, double x, double y);
// False for a model whose fit is missing or failed: the polynomial fits leave
// such rows zero (no row of a real map is), the conic one its slopes and side.
// The Miller model tells each coordinate apart; the graticule model checks its lines.
bool ModelFitted(TCalibModel Model, const TCalibParams& P);
// The pixel showing (Lat, Long); false, x and y unchanged, when the model cannot
// tell. Long may be written in any form within a whole turn of 0 (181 is -179).
bool GeoToPixel(const TCalibView& C, double Lat, double Long, int& x, int& y);
// The same unrounded; x and y may be non-finite when the result is true.
bool GeoToPixelFrac(const TCalibView& C, double Lat, double Long, double& x, double& y);
// The affine grid-to-pixel rule of the UTM model, whatever the model.
void UTMGridToPixel(const TCalibParams& P, double Northing, double Easting, int& x, int& y);
void UTMGridToPixelFrac(const TCalibParams& P, double Northing, double Easting, double& x, double& y);
// How the corners' longitudes run on without a jump (LongitudeFrame, left
// corners at the left). Inline: the widgets library uses it too.
inline TLongitudeFrame CornersLongFrame(const TCornerArray& C) {
    return LongitudeFrame({{C[gcoTopLeft].Longit, 0},
                           {C[gcoBottomLeft].Longit, 0},
                           {C[gcoBottomRight].Longit, 1},
                           {C[gcoTopRight].Longit, 1}});
}

// The projected model's polynomials: pixel to grid northing and easting, and back.
void ProjPixelToGrid(const TCalibParams& P, double x, double y, double& Northing, double& Easting);
void ProjGridToPixel(const TCalibParams& P, double Northing, double Easting, double& x, double& y);
// UTM easting and northing of (Lat, Long) in the map's own zone and hemisphere
// (in its own zone when the map has none).
void LatLongToMapUTM(const TCalibData& D, double Lat, double Long, double& Easting, double& Northing);

}  // namespace zylcarto
