#pragma once
/// @file
/// Fitting of the calibration models to the reference data: pure functions, safe
/// from any thread on separate data. Each writes only its own model's parameters;
/// none raises, and a fit that the data cannot support leaves zeros or the previous
/// parameters as said below.
#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/matrix.h"

namespace zylcarto {

/// One row per graticule line (5 columns): type (0 meridian, 1 parallel), value in
/// degrees (meridians in the map's longitude frame, so that a map across the
/// antimeridian has values running on past 180), and the parabola c0, c1, c2 of a
/// line with at least 3 points (x of y for a meridian, y of x for a parallel; zeros
/// for a shorter line). Returns true when at least two meridians and two parallels
/// were fitted; otherwise GratMat becomes a single zero row.
ZYLCARTO_EXPORT bool FitGratMat(const TCalibData& D, TMatrix& GratMat);

/// Least-squares affine polynomials in both directions (EquRectPLSP, EquRectSPPL),
/// from the reference points as they stand (degrees, or metres on a UTM map); all
/// zero without reference points, a failed solve leaves its row zero.
ZYLCARTO_EXPORT void FitEquiRect(const TCalibData& D, TCalibParams& P);
/// Least-squares second-order polynomials (CalParsPLSP, CalParsSPPL), as FitEquiRect.
ZYLCARTO_EXPORT void FitBiquadratic(const TCalibData& D, TCalibParams& P);

/// Least-squares polynomials between pixels and the grid (ProjPLSP, ProjSPPL) of
/// order D.ProjOrder (2; anything else 1), from the reference points as grid
/// northing and easting; as FitEquiRect otherwise.
ZYLCARTO_EXPORT void FitProjected(const TCalibData& D, TCalibParams& P);

/// Fewest reference points that can determine a point model (cmProjected of
/// order ProjOrder): 6 for cmBiquadraticPn and the second order, 3 for the
/// others; 0 for cmParabolicIp and cmUndefined, which take no reference points.
ZYLCARTO_EXPORT int MinimumCalibPoints(TCalibModel Model, int ProjOrder);

/// How well the reference data fixes the model: the smallest over the largest
/// singular value of its centred and scaled design (for the polynomial models the
/// worse of the two directions, for the conic model the affine design of the
/// pixels, for the parabolic model the worst graticule line). 1 is ideal, 0 means
/// the data cannot determine the fit (too few or collinear points); 0 also for
/// cmUndefined.
ZYLCARTO_EXPORT double FitCondition(const TCalibData& D, TCalibModel Model);

/// Straight-line fits of x to longitude and of y to the Miller ordinate; needs
/// 3 points, otherwise the parameters stay as they were.
ZYLCARTO_EXPORT void FitMillerCyl(const TCalibData& D, TCalibParams& P);

/// Number of apex candidates of the conic grid search: 20 halving passes of 5 by 5.
inline constexpr int ConicSearchEvaluations = 500;

/// Searches the apex of the cone (a coarse-to-fine grid, then a continuous
/// minimiser from several starts) that best explains latitude as linear in the
/// radius and longitude as linear in the angle about it, and the side of the apex
/// the points lie on. The search starts at the centre of the points' pixel box (the
/// image size only seeds that box) and keeps the apex on whole pixels. Needs 3
/// points and some finite score, otherwise the parameters stay as they were.
ZYLCARTO_EXPORT void FitConic(const TCalibData& D, int ImageWidth, int ImageHeight, TCalibParams& P);

}  // namespace zylcarto
