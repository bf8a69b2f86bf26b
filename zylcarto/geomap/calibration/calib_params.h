#pragma once
// The fitted parameters of the calibration models, numbered as in their
// equations: row r, coefficient c is Par[r][c], both counting from 1.
#include "zylcarto/geomap/calibration/calib_types.h"

namespace zylcarto {

template <int Rows, int Cols>
using TParRows = TFixedArray<TFixedArray<double, Cols>, Rows>;

struct TCalibParams {
    // cmEquiRect and cmUTM: pixel -> (lat or northing, long or easting), and back to (x, y).
    TParRows<2, 3> EquRectPLSP;
    TParRows<2, 3> EquRectSPPL;
    // cmBiquadraticPn: the same with the six terms 1, u, v, u^2, u*v, v^2.
    TParRows<2, 6> CalParsPLSP;
    TParRows<2, 6> CalParsSPPL;
    // cmMillerCylindrical: row 1 slope and intercept of y, row 2 of x.
    TParRows<2, 2> MillercylPar;
    // cmConicConformal: apex x, apex y, latitude slope and intercept, longitude slope and intercept.
    TFixedArray<double, 6> ConicPars;
    // cmConicConformal: +1 when the reference points lie below the apex (larger y),
    // -1 above it, 0 before a fit; picks the one of the two pixels of a radius
    // and an angle that lies on the map.
    int ConicSide = 0;
    friend bool operator==(const TCalibParams&, const TCalibParams&) = default;
};

}  // namespace zylcarto
