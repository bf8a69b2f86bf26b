#pragma once
// Conversion between map-image pixels and geographic or UTM coordinates by
// the parameters of the active model. Nothing here raises: a conversion that
// cannot be made reports it through its flag or result.
#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
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
    double Longitude = 0;
    bool LatValid = false;
    bool LongValid = false;
};

// The position under pixel (x, y); an invalid part reads 0.
TGeoResult PixelToGeo(const TCalibView& C, int x, int y);
// The same at a fractional pixel position.
TGeoResult PixelToGeoFrac(const TCalibView& C, double x, double y);
// The pixel showing (Lat, Long); false (and pixel 0, 0) when the model cannot tell.
bool GeoToPixel(const TCalibView& C, double Lat, double Long, int& x, int& y);
// The same unrounded; x and y may be non-finite when the result is true.
bool GeoToPixelFrac(const TCalibView& C, double Lat, double Long, double& x, double& y);
// The affine grid-to-pixel rule of the UTM model, whatever the model.
void UTMGridToPixel(const TCalibParams& P, double Northing, double Easting, int& x, int& y);
void UTMGridToPixelFrac(const TCalibParams& P, double Northing, double Easting, double& x, double& y);
// The projected model's polynomials: pixel to grid northing and easting, and back.
void ProjPixelToGrid(const TCalibParams& P, double x, double y, double& Northing, double& Easting);
void ProjGridToPixel(const TCalibParams& P, double Northing, double Easting, double& x, double& y);
// UTM easting and northing of (Lat, Long) in the map's own zone and hemisphere.
void LatLongToMapUTM(const TCalibData& D, double Lat, double Long, double& Easting, double& Northing);

}  // namespace zylcarto
