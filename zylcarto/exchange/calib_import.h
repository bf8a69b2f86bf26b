#pragma once
// A calibration made from imported reference points: the model fitted through
// TMapCalibration, the corners and resolution of the image, and the residual of
// every reference point, so the user can judge a calibration made elsewhere.
#include <string>
#include <vector>

#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

struct ZYLCARTO_EXPORT TImportedCalibration {
    TCalibData Data;  // with corners and resolution
    TCalibModel Model = cmUndefined;
    int ImageWidth = 0, ImageHeight = 0;
    std::vector<double> ResidualsM;  // per reference point, metres on the ground
    std::vector<std::string> Notes;  // what the reader decided on its own
    double MaxResidualM() const;
};

// Model fitted to the reference points of Data for an image of Width x Height.
ZYLCARTO_EXPORT TMapCalibration FittedCalibration(const TCalibData& Data, TCalibModel Model, int Width, int Height);

// Fits Model to the reference points of Data for an image of Width x Height and
// fills the corners, the resolution and the residuals.
ZYLCARTO_EXPORT TImportedCalibration FitImported(const TCalibData& Data, TCalibModel Model, int Width, int Height);

// The data set identifier under which imported calibrations are written.
inline constexpr const char* ImportedCalDataID = "ZYL_geomap_caldata";

// Writes the calibration as a calibration file (one data set, header line first).
ZYLCARTO_EXPORT void WriteImportedCalibration(const std::string& FileName, const TImportedCalibration& C);

}  // namespace zylcarto
