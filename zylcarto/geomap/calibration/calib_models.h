#pragma once
// Fitting of the calibration models to the reference data. Each function
// writes only its own model's parameters.
#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/matrix.h"

namespace zylcarto {

// One row per graticule line: type (0 meridian, 1 parallel), value, and the
// parabola c0, c1, c2 of a line with at least 3 points. Returns true when at
// least two meridians and two parallels were fitted; otherwise GratMat becomes
// a single zero row.
ZYLCARTO_EXPORT bool FitGratMat(const TCalibData& D, TMatrix& GratMat);

// Least-squares affine (EquRect*) and second-order (CalPars*) polynomials in both
// directions; all zero without reference points, a failed solve leaves its row zero.
ZYLCARTO_EXPORT void FitEquiRect(const TCalibData& D, TCalibParams& P);
ZYLCARTO_EXPORT void FitBiquadratic(const TCalibData& D, TCalibParams& P);

// How well the reference data fixes the model: the smallest over the largest
// singular value of its centred and scaled design (for the polynomial models the
// worse of the two directions, for the conic model the affine design of the
// pixels, for the parabolic model the worst graticule line). 1 is ideal, 0 means
// the data cannot determine the fit (too few or collinear points).
ZYLCARTO_EXPORT double FitCondition(const TCalibData& D, TCalibModel Model);

// Straight-line fits of x to longitude and of y to the Miller ordinate; needs
// 3 points, otherwise the parameters stay as they were.
ZYLCARTO_EXPORT void FitMillerCyl(const TCalibData& D, TCalibParams& P);

// Number of apex candidates the conic grid search evaluates.
inline constexpr int ConicSearchEvaluations = 500;

// Searches the apex of the cone (a coarse-to-fine grid, then a continuous
// minimiser from several starts) that best explains latitude as linear in the
// radius and longitude as linear in the angle about it, and the side of the apex
// the points lie on. Needs 3 points, otherwise the parameters stay as they were.
ZYLCARTO_EXPORT void FitConic(const TCalibData& D, int ImageWidth, int ImageHeight, TCalibParams& P);

}  // namespace zylcarto
