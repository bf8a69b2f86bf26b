#pragma once
// The calibration state of a map and its operations: fitting the active model,
// converting between image pixels and coordinates, editing the reference points.
// The map widget owns one, forwards to it and repaints when it is told to.
#include <functional>
#include <string>
#include <utility>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/matrix.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

// True when (Lat, Long) lies strictly inside the quadrilateral of the corners.
ZYLCARTO_EXPORT bool PositionInMap(double Lat, double Long, const TCornerArray& Corners);

class ZYLCARTO_EXPORT TMapCalibration {
public:
    explicit TMapCalibration(std::string OwnerName = "");

    // The owner's component name, for the messages it raises.
    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value) { FName = Value; }
    // Called wherever the map must be repainted.
    void SetRepaintHandler(std::function<void()> Handler) { FRepaint = std::move(Handler); }
    // Size of the map image in pixels (for the conic search and the extents).
    void SetMapImageSize(int Width, int Height);
    int MapImageWidth() const { return FMapImgWidth; }
    int MapImageHeight() const { return FMapImgHeight; }

    // Copies the calibration state of Source (not the name, the handler or the image size).
    void Assign(const TMapCalibration& Source);

    // --- state and configuration
    TCalibModel CalibModel() const { return FCalibModel; }
    // Stores the model and refits it from the existing points. A value outside
    // the enumeration counts as cmUndefined.
    void SetCalibModel(TCalibModel Value);
    // Stores the model without refitting, for readers that fit afterwards.
    void StoreCalibModel(TCalibModel Value);
    int GetUTMZone() const { return FCalibData.UTMZone; }
    void SetUTMZone(int Value);  // 1..60, anything else ignored
    THemisphere GetUTMHemisphere() const;
    void SetUTMHemisphere(THemisphere Value);
    // Direct access to the reference data, without refit.
    const TCalibData& CalibData() const { return FCalibData; }
    TCalibData& CalibData() { return FCalibData; }
    void SetCalibData(const TCalibData& Value) { FCalibData = Value; }
    const std::string& CalibDataFile() const { return FCalDatName; }
    // Stores the name of the calibration file last loaded (loading is the owner's part).
    void StoreCalDatName(const std::string& Value) { FCalDatName = Value; }

    const TMatrix& GratMat() const { return FGratMat; }
    const TCalibParams& Params() const { return FPars; }
    const TCalQuad& BiQuadOops() const { return FBiQuadOops; }
    bool RestoreBiQuadOK() const { return FRestoreBiQuadOK; }
    const TCalibLine& ParaIpOops() const { return FParaIpOops; }
    bool RestoreParaIpOK() const { return FRestoreParaIpOK; }

    // Empties points, lines, corners and parameters; keeps the model, names and restore state.
    void ClearCalibData();
    // ClearCalibData, then model undefined, map name and caption empty, image size 0 x 0.
    void Clear();

    // --- fitting
    void RecalcCalibration();
    bool RecalcGratMat();
    void CalcEquiRectCalibration();
    void CalcBiquadraticCalibration();
    void CalcMillerCylCalibration();
    void CalcConicCalibration();

    // --- conversion (image pixels <-> degrees; UTM metres)
    // A position that IsGeoPosition refuses has no pixel and lies on no map.
    double CalcLatitude(int x, int y, bool& valid) const;
    double CalcLatitude(TPoint APoint, bool& valid) const { return CalcLatitude(APoint.X, APoint.Y, valid); }
    double CalcLongitude(int x, int y, bool& valid) const;
    double CalcLongitude(TPoint APoint, bool& valid) const { return CalcLongitude(APoint.X, APoint.Y, valid); }
    bool CalcPixelCoords(double Lat, double Long, int& x, int& y) const;
    bool CalcPixelCoordsUTM(double Northing, double Easting, int& x, int& y) const;
    // Unrounded forms for batch conversion: fractional pixels in and out. False
    // (outputs unchanged or 0) when the model gives no finite answer.
    bool CalcPositionFrac(double x, double y, double& Lat, double& Long) const;
    bool CalcPixelCoordsFrac(double Lat, double Long, double& x, double& y) const;
    // cmUTM only: pixel to northing and easting, and back.
    bool CalcGridFrac(double x, double y, double& Northing, double& Easting) const;
    bool CalcPixelCoordsUTMFrac(double Northing, double Easting, double& x, double& y) const;
    int CalcUTMyFromNorthingX(double Northing, int x) const;
    int CalcUTMxFromEastingY(double Easting, int y) const;
    bool IsPositionWithinMap(double Latit, double Longit) const;
    void CalcExtentsAndResolution();

    // --- editing and quality
    bool AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY);
    bool AddCalibPoint(double Latit, double Longit, int PixPosX, int PixPosY);
    bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int PixPosX, int PixPosY);
    bool RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY);
    bool RemoveCalibPoint(int PixPosX, int PixPosY);
    void RestoreLastDeletedCalPoint();
    void CalibQuality(double& QualX, double& QualY) const;
    // The other direction: root mean square, over the reference points, of the
    // distance in metres between each point's position and the position the
    // calibration gives its pixel (on the sphere of the resolution; grid metres
    // for cmUTM). 0 without points; false for cmParabolicIp and cmUndefined or
    // when a pixel has no position.
    bool CalibPositionQuality(double& RmsMetres) const;

private:
    void Repaint() const;
    [[noreturn]] void Raise(const std::string& Text) const;
    void FitActiveModel();
    bool AppendCalQuad(const TCalQuad& Q);
    void RemoveLinePoint(int LineIx, int PointIx);

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
};

}  // namespace zylcarto
