#pragma once
/// @file
/// The calibration state of a map and its operations: fitting the active model,
/// converting between image pixels and coordinates, editing the reference points.
/// The map widget owns one, forwards to it and repaints when it is told to.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/matrix.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TCrsTransform;
struct TCalibView;

/// True when (Lat, Long) in degrees lies strictly inside the quadrilateral of the
/// corners (false on an edge, for degenerate corners and for NaN).
ZYLCARTO_EXPORT bool PositionInMap(double Lat, double Long, const TCornerArray& Corners);

/// Positions in WGS 84 to the grid of any coordinate reference system, for a
/// readout in British National Grid or Swiss coordinates beside latitude and
/// longitude. PROJ picks the transformation, as for cmProjected. A plain value;
/// copies share the transformation, which locks its own calls.
class ZYLCARTO_EXPORT TCRSConverter {
public:
    /// Prepares the transformation to Definition (as TMapCalibration::SetCRS takes
    /// it); Valid() tells whether PROJ took it.
    explicit TCRSConverter(const std::string& Definition);
    /// True when PROJ took the definition.
    bool Valid() const { return FCrs != nullptr; }
    /// Why PROJ refused the definition, "" when it took it.
    const std::string& Error() const { return FError; }
    /// True for a geographic CRS, whose grid is degrees (north = latitude).
    bool IsGeographic() const;
    /// In place: latitude and longitude in degrees (WGS 84) to northing and easting;
    /// Valid[i] as TMapCalibration::CalcPositionsFrac. One call into PROJ for all.
    std::size_t FromWGS84(std::span<double> LatNorth, std::span<double> LongEast, std::span<std::uint8_t> Valid) const;
    /// In place, the other way: northing and easting to latitude and longitude in
    /// degrees (WGS 84); Valid[i] as FromWGS84. One call into PROJ for all.
    std::size_t ToWGS84(std::span<double> NorthLat, std::span<double> EastLong, std::span<std::uint8_t> Valid) const;

private:
    std::shared_ptr<const TCrsTransform> FCrs;
    std::string FError;
};

/// The calibration of one map: model, reference data, fitted parameters and the
/// last removed point. A plain value owned by its map, used from one thread; it
/// holds no widget. Pixels are full-resolution image pixels, positions degrees,
/// grid coordinates metres. Editing with the wrong model raises EZYLGeoMapError
/// (message prefixed with Name()).
///
/// Every conversion keeps one rule on failure (cmUndefined, no usable fit, non-finite
/// input, no finite answer, a position beyond a pole or more than a whole turn of
/// longitude from the map): its result says so (false, a valid flag false, a Valid
/// entry 0) and its outputs are left as they were, never set to 0 or to a half
/// answer. The two that return their answer rather than write it, CalcLatitude and
/// CalcLongitude, return NaN then. Conversions never raise.
class ZYLCARTO_EXPORT TMapCalibration {
public:
    /// An empty calibration: model cmUndefined, no points, one zero row of GratMat.
    explicit TMapCalibration(std::string OwnerName = "");

    /// The owner's component name, for the messages it raises.
    const std::string& Name() const { return FName; }
    /// Sets the name put before error messages.
    void SetName(const std::string& Value) { FName = Value; }
    /// Called wherever the map must be repainted; empty: nothing is called.
    void SetRepaintHandler(std::function<void()> Handler) { FRepaint = std::move(Handler); }
    /// Size of the map image in pixels (for the conic search and the extents); negative
    /// values count as 0. No refit.
    void SetMapImageSize(int Width, int Height);
    /// Image width in pixels.
    int MapImageWidth() const { return FMapImgWidth; }
    /// Image height in pixels.
    int MapImageHeight() const { return FMapImgHeight; }

    /// Copies the calibration state of Source (not the name, the handler or the image
    /// size); no repaint.
    void Assign(const TMapCalibration& Source);

    /// The active model.
    TCalibModel CalibModel() const { return FCalibModel; }
    /// Stores the model and refits it from the existing points (then repaints). A value
    /// outside the enumeration counts as cmUndefined; cmUndefined keeps the old
    /// parameters, but every conversion reports invalid.
    void SetCalibModel(TCalibModel Value);
    /// Stores the model without refitting, for readers that fit afterwards.
    void StoreCalibModel(TCalibModel Value);
    /// UTM zone of the reference data; -1 after ClearCalibData.
    int GetUTMZone() const { return FCalibData.UTMZone; }
    /// Stores zones 1..60 and ignores anything else. No refit.
    void SetUTMZone(int Value);
    /// hemiSouth when the UTM points carry the southern false northing.
    THemisphere GetUTMHemisphere() const;
    /// Sets the hemisphere of the UTM points. No refit.
    void SetUTMHemisphere(THemisphere Value);
    /// cmProjected: the coordinate reference system of the grid, any definition PROJ
    /// takes ("EPSG:27700", a PROJ string, WKT). Stores it in CalibData().CRS and
    /// prepares PROJ's transformation between it and WGS 84 (PROJ picks the
    /// operation). False, with CRSError() saying why, when PROJ refuses it; the
    /// projected model then converts nothing. No refit.
    bool SetCRS(const std::string& Definition);
    /// The CRS of the data as stored, "" without.
    const std::string& CRS() const { return FCalibData.CRS; }
    /// Why the last SetCRS or refit could not use the CRS, "" when it could.
    const std::string& CRSError() const { return FCrsError; }
    /// The operation PROJ uses between the CRS and WGS 84 at the centre of the
    /// reference points, as PROJ names it, with its accuracy in metres when known
    /// (a "Ballpark" name means no datum shift was known); "" without a usable CRS.
    std::string CRSOperation() const;
    /// cmProjected: order of the polynomial, 1 or 2.
    int ProjOrder() const { return FCalibData.ProjOrder == 2 ? 2 : 1; }
    /// Stores order 1 or 2 and ignores anything else. No refit.
    void SetProjOrder(int Value);
    /// @{
    /// Direct access to the reference data, without refit: a caller that writes it
    /// calls RecalcCalibration.
    const TCalibData& CalibData() const { return FCalibData; }
    TCalibData& CalibData() { return FCalibData; }
    void SetCalibData(const TCalibData& Value) { FCalibData = Value; }
    /// @}
    /// The calibration file last loaded into the map, "" before.
    const std::string& CalibDataFile() const { return FCalDatName; }
    /// Stores the name of the calibration file last loaded (loading is the owner's part).
    void StoreCalDatName(const std::string& Value) { FCalDatName = Value; }

    /// The graticule-line fits of FitGratMat, one row per line.
    const TMatrix& GratMat() const { return FGratMat; }
    /// The fitted parameters of every model.
    const TCalibParams& Params() const { return FPars; }
    /// The reference point removed last by RemoveCalibPoint(x, y).
    const TCalQuad& BiQuadOops() const { return FBiQuadOops; }
    /// True while BiQuadOops may be restored.
    bool RestoreBiQuadOK() const { return FRestoreBiQuadOK; }
    /// The graticule point removed last by position: its line's type and value, the
    /// point as CalPoints[1].
    const TCalibLine& ParaIpOops() const { return FParaIpOops; }
    /// True while ParaIpOops may be restored.
    bool RestoreParaIpOK() const { return FRestoreParaIpOK; }

    /// Empties points, lines, corners and parameters, sets the UTM zone to -1, the
    /// southern flag off and WGS 84, the CRS to none and the order to 1; keeps the model, names and restore state.
    /// Repaints.
    void ClearCalibData();
    /// ClearCalibData, then model undefined, map name and caption empty, image size 0 x 0.
    void Clear();

    /// Refits the graticule lines and the active model from the data, recomputes the
    /// corners and resolution, and repaints.
    void RecalcCalibration();
    /// Refits the graticule lines only; false (GratMat one zero row) without two fitted
    /// meridians and two fitted parallels.
    bool RecalcGratMat();
    /// Fits the affine parameters (cmEquiRect, cmUTM) whatever the active model.
    void CalcEquiRectCalibration();
    /// Fits the second-order parameters whatever the active model.
    void CalcBiquadraticCalibration();
    /// Fits the Miller parameters; fewer than 3 points keep the old ones.
    void CalcMillerCylCalibration();
    /// Fits the conic parameters with the image size; fewer than 3 points keep the old ones.
    void CalcConicCalibration();
    /// Fits the polynomials of cmProjected (of ProjOrder) whatever the active model.
    void CalcProjectedCalibration();

    // --- conversion (image pixels <-> degrees; UTM metres). Longitudes are
    // fitted and converted in the map's own frame (a map from 179 E to 179 W runs
    // on past 180), come back within -180..180 and are taken in any form within a
    // whole turn of 0 (181 is 179 W). A latitude beyond the poles or a longitude
    // beyond a whole turn has no pixel and lies on no map.
    /// @{
    /// Latitude in degrees at image pixel (x, y); valid false and NaN when the model
    /// cannot tell (cmUndefined, no usable fit, a UTM zone outside 1..60, a non-finite
    /// answer, one beyond a pole, and for both coordinates a longitude more than a
    /// whole turn from the map's centre).
    double CalcLatitude(int x, int y, bool& valid) const;
    double CalcLatitude(TPoint APoint, bool& valid) const { return CalcLatitude(APoint.X, APoint.Y, valid); }
    /// @}
    /// @{
    /// Longitude in degrees, within -180..180, at image pixel (x, y); valid as CalcLatitude.
    double CalcLongitude(int x, int y, bool& valid) const;
    double CalcLongitude(TPoint APoint, bool& valid) const { return CalcLongitude(APoint.X, APoint.Y, valid); }
    /// @}
    /// The image pixel (rounded) showing (Lat, Long) in degrees; false, x and y
    /// unchanged, when the model cannot tell.
    bool CalcPixelCoords(double Lat, double Long, int& x, int& y) const;
    /// cmUTM only: the image pixel of Northing, Easting in metres of the data's zone;
    /// false, x and y unchanged, for any other model or a non-finite answer.
    bool CalcPixelCoordsUTM(double Northing, double Easting, int& x, int& y) const;
    /// Unrounded forms for batch conversion: fractional pixels in and out. False,
    /// outputs unchanged, for non-finite input or when the model gives no finite answer.
    bool CalcPositionFrac(double x, double y, double& Lat, double& Long) const;
    /// Degrees to a fractional pixel; false as CalcPositionFrac.
    bool CalcPixelCoordsFrac(double Lat, double Long, double& x, double& y) const;
    /// cmUTM and cmProjected: fractional pixel to grid northing and easting (metres,
    /// degrees for a geographic CRS); false, outputs unchanged, for any other model
    /// or a non-finite answer.
    bool CalcGridFrac(double x, double y, double& Northing, double& Easting) const;
    /// cmUTM and cmProjected: grid northing and easting to a fractional pixel; false
    /// as CalcGridFrac.
    bool CalcPixelCoordsGridFrac(double Northing, double Easting, double& x, double& y) const;
    /// Many pixels at once, in place: XLat and YLong hold fractional pixels on entry
    /// and latitude and longitude on return; Valid[i] is 1 where point i has a
    /// position (its entries otherwise stay as they were), 0 where not. cmProjected
    /// makes one call into PROJ for all of them. Converts as many points as the
    /// shortest span holds and returns how many are valid.
    std::size_t CalcPositionsFrac(std::span<double> XLat, std::span<double> YLong, std::span<std::uint8_t> Valid) const;
    /// The other direction, in place: latitude and longitude in degrees to
    /// fractional pixels; as CalcPositionsFrac.
    std::size_t CalcPixelCoordsFrac(std::span<double> LatX, std::span<double> LongY,
                                    std::span<std::uint8_t> Valid) const;
    /// cmUTM only: northing and easting in metres to a fractional pixel; false as
    /// CalcGridFrac.
    bool CalcPixelCoordsUTMFrac(double Northing, double Easting, double& x, double& y) const;
    /// The image row where the grid line of constant Northing crosses column x, by the
    /// affine UTM fit; 0 when the fit is degenerate. For drawing the UTM grid. The
    /// one exception to the failure rule above, as its int has no room for "no
    /// answer": call it only on a fitted cmUTM map.
    int CalcUTMyFromNorthingX(double Northing, int x) const;
    /// The image column where the grid line of constant Easting crosses row y; 0 when
    /// the fit is degenerate.
    int CalcUTMxFromEastingY(double Easting, int y) const;
    /// True when (Latit, Longit) lies strictly inside the map's corners, as PositionInMap.
    bool IsPositionWithinMap(double Latit, double Longit) const;
    /// Recomputes the corner positions from the image size (longitudes as the map
    /// runs, so beyond 180 on a map across the antimeridian) and the Resolution:
    /// metres per pixel between the middle of the left and right edges on a sphere
    /// of radius 6378 km, the long way round for maps wider than 180°. 0 for an
    /// empty image.
    void CalcExtentsAndResolution();

    /// A graticule point of cmParabolicIp at image pixel (PixPosX, PixPosY) on the
    /// meridian or parallel LineValue (degrees), starting a new line when there is none;
    /// refits and repaints. False, nothing stored, when 25 lines or 10 points on the
    /// line are full. Raises EZYLGeoMapError for another model or a non-finite value.
    bool AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY);
    /// A reference point at (Latit, Longit) in degrees for cmBiquadraticPn,
    /// cmConicConformal, cmMillerCylindrical, cmEquiRect and cmProjected (stored in
    /// its grid); refits and repaints. False when 200 points are stored. Raises
    /// EZYLGeoMapError for another model (cmUTM included) or non-finite coordinates.
    bool AddCalibPoint(double Latit, double Longit, int PixPosX, int PixPosY);
    /// A UTM reference point (metres) of cmUTM; Zone and Hemisphere must be those of
    /// the data (set UTMZone first), else EZYLGeoMapError, as for another model or
    /// non-finite coordinates. False when 200 points are stored.
    bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int PixPosX, int PixPosY);
    /// A reference point of cmProjected given in the grid of its CRS (northing and
    /// easting, metres or degrees as the CRS has them); refits and repaints. False
    /// when 200 points are stored. Raises EZYLGeoMapError for another model or
    /// non-finite coordinates. AddCalibPoint(Latit, Longit, ...) takes positions
    /// for cmProjected too and projects them into the grid (raising when the CRS
    /// is unusable or has no grid position for them).
    bool AddCalibPointGrid(double Northing, double Easting, int PixPosX, int PixPosY);
    /// Removes the graticule point at exactly (PixPosX, PixPosY) from line LineValue
    /// (a line left empty goes too), refits and repaints; false when there is none.
    /// Not remembered for restoring. Raises EZYLGeoMapError for another model than
    /// cmParabolicIp.
    bool RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY);
    /// Removes the reference or graticule point nearest to the image pixel, remembers
    /// it for RestoreLastDeletedCalPoint, refits and repaints; false with no point or
    /// with cmUndefined. The last point takes the removed one's place.
    bool RemoveCalibPoint(int PixPosX, int PixPosY);
    /// Adds back the point removed last by position, once, when the model still
    /// suits it; may raise as AddCalibPoint (a UTM zone changed since).
    void RestoreLastDeletedCalPoint();
    /// Pixel error of the point models: root mean square, over the reference points, of
    /// the difference between each point's pixel and the pixel the calibration gives its
    /// position, in x (QualX) and y (QualY). 0 for the other models and without points.
    void CalibQuality(double& QualX, double& QualY) const;
    /// The other direction: root mean square, over the reference points, of the
    /// distance in metres between each point's position and the position the
    /// calibration gives its pixel (on the sphere of the resolution; grid metres
    /// for cmUTM). 0 without points; false for cmParabolicIp and cmUndefined or
    /// when a pixel has no position.
    bool CalibPositionQuality(double& RmsMetres) const;

private:
    void Repaint() const;
    [[noreturn]] void Raise(const std::string& Text) const;
    void FitActiveModel();
    // The reference points with their longitudes unwrapped around the map's
    // centre longitude, which it stores in the parameters.
    TCalibData GeoFitData();
    bool AppendCalQuad(const TCalQuad& Q);
    void RemoveLinePoint(int LineIx, int PointIx);
    void SyncCrs();
    const TCrsTransform* Crs() const;
    TCalibView View() const;

    std::string FName;
    std::function<void()> FRepaint;
    int FMapImgWidth = 0;
    int FMapImgHeight = 0;

    TCalibModel FCalibModel = cmUndefined;
    TCalibData FCalibData;
    TMatrix FGratMat{5, 1};
    TCalibParams FPars;
    TCalQuad FBiQuadOops;
    bool FRestoreBiQuadOK = false;
    TCalibLine FParaIpOops;
    bool FRestoreParaIpOK = false;
    std::string FCalDatName;
    // Shared by copies: the transformation is immutable and locks its own calls.
    std::shared_ptr<const TCrsTransform> FCrs;
    std::string FCrsError;
};

/// Where the fit of Calib puts reference point Q in image pixels, unrounded: its
/// position, or on cmUTM and cmProjected its grid coordinates, converted back.
/// False when the fit gives it no pixel. The residual is the way from (MapX, MapY) there.
ZYLCARTO_EXPORT bool FittedPixel(const TMapCalibration& Calib, const TCalQuad& Q, double& x, double& y);

/// A point's leave-one-out residual stands out above this many times the others'
/// median residual in the same fit, and above this many pixels.
inline constexpr double OutlierFactor = 5;
/// See OutlierFactor.
inline constexpr double OutlierMinPixels = 10;

/// One reference point judged by the fit of the others. The fit of all points
/// is no judge: a point far off has the leverage to pull the fit through itself
/// and leave its error on the others, so each point is tried against a fit made
/// without it, and that fit's own residuals give the scale.
struct TPointReview {
    /// Pixels from the point's pixel to where the fit of the other points puts its
    /// position (or grid coordinates); NaN when they are too few to judge it
    /// (no more than MinimumCalibPoints) or cannot place it.
    double LeftOutResidual = std::numeric_limits<double>::quiet_NaN();
    /// The median of the other points' pixel residuals in that fit; NaN as
    /// LeftOutResidual.
    double OthersResidual = std::numeric_limits<double>::quiet_NaN();
    /// LeftOutResidual is more than OutlierFactor times OthersResidual and more
    /// than OutlierMinPixels.
    bool Outlier = false;
};

/// Every reference point of a point model (entry i for CalibData().CalQuads[i + 1])
/// judged by the fit of the others; empty for cmParabolicIp and cmUndefined.
/// Refits the model once per point on a copy; Calib is not changed.
ZYLCARTO_EXPORT std::vector<TPointReview> ReviewCalibPoints(const TMapCalibration& Calib);

}  // namespace zylcarto
