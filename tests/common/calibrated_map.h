#pragma once
// Maps over a geographic rectangle for the view and atlas tests: a loaded map
// calibrated in memory, or an image and its calibration file written to a folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <string>

#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/support/streams.h"

namespace zylcarto::test {

// Calibrates the map's loaded image by Model from the rectangle's positions on a
// raster of (Steps + 1) x (Steps + 1) pixels, row by row from (0, 0) to the image's
// (width, height); cmUTM from their grid positions in Zone.
inline void Calibrate(TGeoMap& Map, TCalibModel Model, double LatTop, double LongLeft, double LatBottom,
                      double LongRight, int Steps = 1, int Zone = 0) {
    const int W = Map.MapImgWidth(), H = Map.MapImgHeight();
    Map.SetCalibModel(Model);
    if (Model == cmUTM) Map.SetUTMZone(Zone);
    for (int j = 0; j <= Steps; ++j)
        for (int i = 0; i <= Steps; ++i) {
            const double Lat = LatTop + (LatBottom - LatTop) * j / Steps;
            const double Long = LongLeft + (LongRight - LongLeft) * i / Steps;
            if (Model != cmUTM) {
                Map.AddCalibPoint(Lat, Long, W * i / Steps, H * j / Steps);
                continue;
            }
            double E = 0, N = 0;
            LatLongToUTMInZone(Lat, Long, Zone, false, gelWGS84, E, N);
            Map.AddCalibPoint(N, E, Zone, hemiNorth, W * i / Steps, H * j / Steps);
        }
}

// An equirectangular calibration on the image's corners.
inline void CalibrateEquiRect(TGeoMap& Map, double LatTop, double LongLeft, double LatBottom, double LongRight) {
    Calibrate(Map, cmEquiRect, LatTop, LongLeft, LatBottom, LongRight);
}

// A map file: an image of one colour and an equirectangular calibration on its corners.
struct TMapFile {
    std::string Stem;
    std::string Caption;
    double Resolution;
    double LatLow, LongLow, LatHigh, LongHigh;
    int Width = 200, Height = 100;
    QRgb Color = qRgb(255, 255, 255);
    std::string ImageName{};  // default: Stem + ".bmp"
};

// Writes Folder/Stem.xml and the image it names; returns the calibration file's path.
inline std::string WriteMapFile(const QString& Folder, const TMapFile& M) {
    QDir().mkpath(Folder);
    const std::string Image = M.ImageName.empty() ? M.Stem + ".bmp" : M.ImageName;
    QImage Picture(M.Width, M.Height, QImage::Format_RGB32);
    Picture.fill(M.Color);
    EXPECT_TRUE(Picture.save(QDir(Folder).filePath(QString::fromStdString(Image)), "BMP"));
    TCalibData D;
    D.MapFName = Image;
    D.Caption = M.Caption;
    D.Resolution = M.Resolution;
    D.Corners[gcoTopLeft] = {M.LatHigh, M.LongLow};
    D.Corners[gcoBottomLeft] = {M.LatLow, M.LongLow};
    D.Corners[gcoBottomRight] = {M.LatLow, M.LongHigh};
    D.Corners[gcoTopRight] = {M.LatHigh, M.LongHigh};
    D.NumCalQuads = 4;
    D.CalQuads[1] = {M.LatHigh, M.LongLow, 0, 0};
    D.CalQuads[2] = {M.LatHigh, M.LongHigh, M.Width, 0};
    D.CalQuads[3] = {M.LatLow, M.LongLow, 0, M.Height};
    D.CalQuads[4] = {M.LatLow, M.LongHigh, M.Width, M.Height};
    const std::string Xml = QDir(Folder).filePath(QString::fromStdString(M.Stem + ".xml")).toStdString();
    TTextFile F;
    F.OpenWrite(Xml);
    WriteRawCalDataToOpenXMLFile(F, true, "test", D, cmEquiRect);
    F.Close();
    return Xml;
}

}  // namespace zylcarto::test
