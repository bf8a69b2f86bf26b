// Adding, removing and restoring reference points, and the quality figure.
#include <cmath>
#include <cstdint>

#include "zylcarto/geomap/calibration/calib_convert.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/calibration/crs_transform.h"
#include "zylcarto/support/curvefit.h"
#include "zylcarto/support/mathhooks.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

// The sphere of the map's resolution.
constexpr double QualityEarthRadius = 6378000.0;

bool IsPointModel(TCalibModel M) { return (M >= cmBiquadraticPn && M <= cmUTM) || M == cmProjected; }

int FindLine(const TCalibData& D, TGratLineKind Kind, double Value) {
    for (int k = 1; k <= UsedCalLines(D); ++k)
        if (D.CalLines[k].LineType == Kind && D.CalLines[k].LineValue == Value) return k;
    return 0;
}

// Squared pixel distance without 32-bit overflow.
double SquaredDistance(int x1, int y1, int x2, int y2) {
    const double dx = static_cast<double>(static_cast<std::int64_t>(x1) - x2);
    const double dy = static_cast<double>(static_cast<std::int64_t>(y1) - y2);
    return dx * dx + dy * dy;
}

const std::string AddNotSupported = "current calibration model does not support this version of AddCalibPoint";
const std::string RemoveNotSupported = "current calibration model does not support this version of RemoveCalibPoint";

}  // namespace

void TMapCalibration::RemoveLinePoint(int LineIx, int PointIx) {
    TCalibLine& line = FCalibData.CalLines[LineIx];
    const int points = UsedPoints(line);
    line.CalPoints[PointIx] = line.CalPoints[points];
    line.NumPoints = points - 1;
    if (line.NumPoints > 0) return;
    const int lines = UsedCalLines(FCalibData);
    FCalibData.CalLines[LineIx] = FCalibData.CalLines[lines];
    FCalibData.NumCalLines = lines - 1;
}

bool TMapCalibration::AppendCalQuad(const TCalQuad& Q) {
    const int n = UsedCalQuads(FCalibData);
    bool stored = false;
    if (n < MaxCalibQuads) {
        FCalibData.CalQuads[n + 1] = Q;
        FCalibData.NumCalQuads = n + 1;
        FitActiveModel();
        stored = true;
    }
    Repaint();
    return stored;
}

bool TMapCalibration::AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY) {
    if (FCalibModel != cmParabolicIp) Raise(AddNotSupported);
    if (!std::isfinite(LineValue)) Raise("invalid graticule line value");
    int k = FindLine(FCalibData, GratLineKind, LineValue);
    if (k == 0 && UsedCalLines(FCalibData) < MaxCalibLines) {
        k = UsedCalLines(FCalibData) + 1;
        TCalibLine& line = FCalibData.CalLines[k];
        line.LineType = GratLineKind;
        line.LineValue = LineValue;
        line.NumPoints = 0;
        FCalibData.NumCalLines = k;
    }
    bool stored = false;
    if (k != 0) {
        TCalibLine& line = FCalibData.CalLines[k];
        const int points = UsedPoints(line);
        if (points < MaxGratLinePoints) {
            line.CalPoints[points + 1] = TPoint{PixPosX, PixPosY};
            line.NumPoints = points + 1;
            stored = true;
        }
    }
    RecalcCalibration();
    return stored;
}

bool TMapCalibration::AddCalibPoint(double Latit, double Longit, int PixPosX, int PixPosY) {
    if (!IsPointModel(FCalibModel) || FCalibModel == cmUTM) Raise(AddNotSupported);
    if (!std::isfinite(Latit) || !std::isfinite(Longit)) Raise("invalid coordinates of calibration point");
    if (FCalibModel != cmProjected) return AppendCalQuad(TCalQuad{Latit, Longit, PixPosX, PixPosY});
    SyncCrs();
    const TCrsTransform* crs = Crs();
    if (!crs) Raise("no usable coordinate reference system: " + (FCrsError.empty() ? "none set" : FCrsError));
    double east = Longit, north = Latit;
    if (IsGeoPosition(Latit, Longit)) crs->ToGrid(&east, &north, 1);
    if (!IsGeoPosition(Latit, Longit) || !std::isfinite(east) || !std::isfinite(north))
        Raise("the position has no grid coordinates in the map's coordinate reference system");
    return AppendCalQuad(TCalQuad{north, east, PixPosX, PixPosY});
}

bool TMapCalibration::AddCalibPointGrid(double Northing, double Easting, int PixPosX, int PixPosY) {
    if (FCalibModel != cmProjected) Raise(AddNotSupported);
    if (!std::isfinite(Northing) || !std::isfinite(Easting)) Raise("invalid coordinates of calibration point");
    return AppendCalQuad(TCalQuad{Northing, Easting, PixPosX, PixPosY});
}

bool TMapCalibration::AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int PixPosX,
                                    int PixPosY) {
    if (FCalibModel != cmUTM) Raise(AddNotSupported);
    const bool south = Hemisphere == THemisphere::hemiSouth;
    if (Zone != FCalibData.UTMZone || south != FCalibData.UTMSouth) Raise("UTM zone parameter changed");
    if (!std::isfinite(Northing) || !std::isfinite(Easting)) Raise("invalid coordinates of calibration point");
    return AppendCalQuad(TCalQuad{Northing, Easting, PixPosX, PixPosY});
}

bool TMapCalibration::RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY) {
    if (FCalibModel != cmParabolicIp) Raise(RemoveNotSupported);
    bool removed = false;
    if (const int k = FindLine(FCalibData, GratLineKind, LineValue); k != 0) {
        const TCalibLine& line = FCalibData.CalLines[k];
        for (int p = 1; p <= UsedPoints(line) && !removed; ++p)
            if (line.CalPoints[p] == TPoint{PixPosX, PixPosY}) {
                RemoveLinePoint(k, p);
                removed = true;
            }
    }
    RecalcCalibration();
    return removed;
}

bool TMapCalibration::RemoveCalibPoint(int PixPosX, int PixPosY) {
    bool removed = false;
    double best = static_cast<double>(uc_MaxDouble);
    if (IsPointModel(FCalibModel)) {
        int found = 0;
        for (int i = 1; i <= UsedCalQuads(FCalibData); ++i) {
            const TCalQuad& q = FCalibData.CalQuads[i];
            const double d = SquaredDistance(q.MapX, q.MapY, PixPosX, PixPosY);
            if (d < best) {
                best = d;
                found = i;
            }
        }
        if (found != 0) {
            const int n = UsedCalQuads(FCalibData);
            FBiQuadOops = FCalibData.CalQuads[found];
            // A point without a position (written into CalibData directly) could
            // never be added back: restoring it would raise every time.
            FRestoreBiQuadOK = std::isfinite(FBiQuadOops.Latitude) && std::isfinite(FBiQuadOops.Longitude);
            FCalibData.CalQuads[found] = FCalibData.CalQuads[n];
            FCalibData.NumCalQuads = n - 1;
            removed = true;
        }
    } else if (FCalibModel == cmParabolicIp) {
        int foundLine = 0, foundPoint = 0;
        for (int k = 1; k <= UsedCalLines(FCalibData); ++k) {
            const TCalibLine& line = FCalibData.CalLines[k];
            for (int p = 1; p <= UsedPoints(line); ++p) {
                const double d = SquaredDistance(line.CalPoints[p].X, line.CalPoints[p].Y, PixPosX, PixPosY);
                if (d < best) {
                    best = d;
                    foundLine = k;
                    foundPoint = p;
                }
            }
        }
        if (foundLine != 0) {
            const TCalibLine& line = FCalibData.CalLines[foundLine];
            FParaIpOops = TCalibLine{};
            FParaIpOops.LineType = line.LineType;
            FParaIpOops.LineValue = line.LineValue;
            FParaIpOops.NumPoints = 1;
            FParaIpOops.CalPoints[1] = line.CalPoints[foundPoint];
            FRestoreParaIpOK = std::isfinite(line.LineValue);
            RemoveLinePoint(foundLine, foundPoint);
            removed = true;
        }
    }
    RecalcCalibration();
    return removed;
}

void TMapCalibration::RestoreLastDeletedCalPoint() {
    if (IsPointModel(FCalibModel) && FRestoreBiQuadOK) {
        const TCalQuad q = FBiQuadOops;
        if (FCalibModel == cmUTM)
            AddCalibPoint(q.Latitude, q.Longitude, FCalibData.UTMZone, GetUTMHemisphere(), q.MapX, q.MapY);
        else if (FCalibModel == cmProjected)
            AddCalibPointGrid(q.Latitude, q.Longitude, q.MapX, q.MapY);
        else
            AddCalibPoint(q.Latitude, q.Longitude, q.MapX, q.MapY);
        FRestoreBiQuadOK = false;
    } else if (FCalibModel == cmParabolicIp && FRestoreParaIpOK) {
        const TCalibLine oops = FParaIpOops;
        AddCalibPoint(oops.LineType, oops.LineValue, oops.CalPoints[1].X, oops.CalPoints[1].Y);
        FRestoreParaIpOK = false;
    }
}

void TMapCalibration::CalibQuality(double& QualX, double& QualY) const {
    TCurveFit fitX, fitY;
    fitX.Init();
    fitY.Init();
    if (IsPointModel(FCalibModel)) {
        for (int i = 1; i <= UsedCalQuads(FCalibData); ++i) {
            const TCalQuad& q = FCalibData.CalQuads[i];
            int x = 0, y = 0;
            if (FCalibModel == cmUTM) {
                UTMGridToPixel(FPars, q.Latitude, q.Longitude, x, y);
            } else if (FCalibModel == cmProjected) {
                double fx = 0, fy = 0;
                ProjGridToPixel(FPars, q.Latitude, q.Longitude, fx, fy);
                x = RoundToInt(fx);
                y = RoundToInt(fy);
            } else if (!CalcPixelCoords(q.Latitude, q.Longitude, x, y)) {
                continue;  // no pixel, not pixel (0, 0)
            }
            fitX.EnterStatValue(q.MapX, x);
            fitY.EnterStatValue(q.MapY, y);
        }
    }
    int n = 0;
    double s1, s2, s3, s4, s5, s7;
    fitX.CalcStatistics(n, s1, s2, s3, s4, s5, QualX, s7);
    fitY.CalcStatistics(n, s1, s2, s3, s4, s5, QualY, s7);
}

bool TMapCalibration::CalibPositionQuality(double& RmsMetres) const {
    RmsMetres = 0;
    if (!IsPointModel(FCalibModel)) return false;
    const int n = UsedCalQuads(FCalibData);
    double sum = 0;
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = FCalibData.CalQuads[i];
        double a = 0, b = 0;
        double d = 0;
        const TCrsTransform* crs = Crs();
        if (FCalibModel == cmProjected && crs && crs->IsGeographic()) {
            // Grid degrees: measured on the sphere as the other degree models are.
            if (!CalcGridFrac(q.MapX, q.MapY, a, b)) return false;
            d = SphereGreatCircleDist(QualityEarthRadius, q.Latitude, q.Longitude, a, b);
        } else if (IsGridModel(FCalibModel)) {
            if (!CalcGridFrac(q.MapX, q.MapY, a, b)) return false;
            d = std::hypot(a - q.Latitude, b - q.Longitude);
        } else {
            if (!CalcPositionFrac(q.MapX, q.MapY, a, b)) return false;
            d = SphereGreatCircleDist(QualityEarthRadius, q.Latitude, q.Longitude, a, b);
        }
        if (!std::isfinite(d)) return false;
        sum += d * d;
    }
    RmsMetres = n > 0 ? std::sqrt(sum / n) : 0;
    return true;
}

}  // namespace zylcarto
