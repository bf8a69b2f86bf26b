#pragma once
/// @file
/// The fitted parameters of the calibration models, numbered as in their
/// equations: row r, coefficient c is Par[r][c], both counting from 1. A plain
/// value, all zero until fitted.
#include "zylcarto/geomap/calibration/calib_types.h"

namespace zylcarto {

/// Rows of coefficients, both counted from 1.
template <int Rows, int Cols>
using TParRows = TFixedArray<TFixedArray<double, Cols>, Rows>;

/// The parameters of every model; each fit writes only its own.
struct TCalibParams {
    /// cmEquiRect and cmUTM, pixel (x, y) to latitude or northing (row 1) and longitude
    /// or easting (row 2): c1 + c2 x + c3 y.
    TParRows<2, 3> EquRectPLSP;
    /// cmEquiRect and cmUTM, back to pixel x (row 1) and y (row 2).
    TParRows<2, 3> EquRectSPPL;
    /// cmBiquadraticPn, pixel to coordinates with the six terms 1, u, v, u^2, u*v, v^2.
    TParRows<2, 6> CalParsPLSP;
    /// cmBiquadraticPn, coordinates back to pixels.
    TParRows<2, 6> CalParsSPPL;
    /// cmProjected, pixel (x, y) to northing (row 1) and easting (row 2) of the CRS
    /// with the six terms 1, x, y, x^2, x*y, y^2 (the last three zero for order 1).
    TParRows<2, 6> ProjPLSP;
    /// cmProjected, northing and easting back to pixel x (row 1) and y (row 2): the
    /// start of Newton's method on ProjPLSP, which makes both directions agree.
    TParRows<2, 6> ProjSPPL;
    /// cmMillerCylindrical: row 1 slope and intercept of y, row 2 of x.
    TParRows<2, 2> MillercylPar;
    /// cmConicConformal: apex x, apex y (pixels), latitude slope and intercept,
    /// longitude slope and intercept.
    TFixedArray<double, 6> ConicPars;
    /// cmConicConformal: +1 when the reference points lie below the apex (larger y),
    /// -1 above it, 0 before a fit; picks the one of the two pixels of a radius
    /// and an angle that lies on the map.
    int ConicSide = 0;
    /// The longitude (degrees) around which the reference points of the
    /// geographic models were unwrapped before fitting, so that a map across the
    /// antimeridian runs on without a jump; longitudes given to a conversion are
    /// taken within 180 degrees of it. 0 before a fit and for points written
    /// within -180..180 that need no unwrapping.
    double LongCentre = 0;
    /// Equal when every parameter is.
    friend bool operator==(const TCalibParams&, const TCalibParams&) = default;
};

}  // namespace zylcarto
