#include "zylcarto/exchange/calib_import.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

double TImportedCalibration::MaxResidualM() const {
    double m = 0;
    for (double r : ResidualsM) m = std::max(m, r);
    return m;
}

TMapCalibration FittedCalibration(const TCalibData& Data, TCalibModel Model, int Width, int Height) {
    TMapCalibration cal;
    cal.SetMapImageSize(Width, Height);
    cal.SetCalibData(Data);
    cal.StoreCalibModel(Model);
    cal.RecalcCalibration();
    return cal;
}

TImportedCalibration FitImported(const TCalibData& Data, TCalibModel Model, int Width, int Height) {
    TMapCalibration cal = FittedCalibration(Data, Model, Width, Height);
    cal.CalcExtentsAndResolution();

    TImportedCalibration r;
    r.Data = cal.CalibData();
    r.Model = Model;
    r.ImageWidth = Width;
    r.ImageHeight = Height;
    constexpr double metresPerDegree = 6371008.8 * DegToRad;
    for (int i = 1; i <= UsedCalQuads(r.Data); ++i) {
        const TCalQuad& q = r.Data.CalQuads[i];
        double x = 0, y = 0;
        const bool placed = FittedPixel(cal, q, x, y);
        r.ResidualsPx.push_back(placed ? std::hypot(x - q.MapX, y - q.MapY) : HUGE_VAL);
        if (IsGridModel(Model)) {
            // The fitted rule gives the grid position of the pixel directly.
            double n = 0, e = 0;
            r.ResidualsM.push_back(cal.CalcGridFrac(q.MapX, q.MapY, n, e) ? std::hypot(n - q.Latitude, e - q.Longitude)
                                                                          : HUGE_VAL);
            continue;
        }
        bool latOK = false, longOK = false;
        const double lat = cal.CalcLatitude(q.MapX, q.MapY, latOK);
        const double lon = cal.CalcLongitude(q.MapX, q.MapY, longOK);
        if (!latOK || !longOK) {
            r.ResidualsM.push_back(HUGE_VAL);
            continue;
        }
        const double dn = (lat - q.Latitude) * metresPerDegree;
        const double de = (lon - q.Longitude) * metresPerDegree * std::cos(q.Latitude * DegToRad);
        r.ResidualsM.push_back(std::hypot(dn, de));
    }
    return r;
}

void WriteImportedCalibration(const std::string& FileName, const TImportedCalibration& C) {
    TTextFile f;
    f.OpenWrite(FileName);
    WriteRawCalDataToOpenXMLFile(f, true, ImportedCalDataID, C.Data, C.Model);
    f.Close();
}

}  // namespace zylcarto
