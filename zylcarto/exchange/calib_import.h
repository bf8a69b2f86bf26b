#pragma once
/// @file
/// A calibration made from imported reference points: the model fitted through
/// TMapCalibration, the corners and resolution of the image, and the residual of
/// every reference point, so the user can judge a calibration made elsewhere.
/// Pure functions of their arguments, safe from any thread; no widget.
#include <string>
#include <vector>

#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The result of an import: a plain value.
struct ZYLCARTO_EXPORT TImportedCalibration {
    /// The reference data, with corners and resolution computed for the image.
    TCalibData Data;
    /// The model fitted.
    TCalibModel Model = cmUndefined;
    /// @{
    /// Image size in pixels.
    int ImageWidth = 0, ImageHeight = 0;
    /// @}
    /// Per reference point, metres on the ground between its position and the fitted
    /// position of its pixel (grid metres on UTM and projected maps); infinite where the fit gives none.
    std::vector<double> ResidualsM;
    /// Per reference point, image pixels between its pixel and the pixel the fit
    /// gives its position (or grid coordinates); infinite where the fit gives none.
    std::vector<double> ResidualsPx;
    /// What the reader decided on its own, for the user.
    std::vector<std::string> Notes;
    /// The largest residual in metres; 0 without points.
    double MaxResidualM() const;
};

/// Model fitted to the reference points of Data for an image of Width x Height
/// pixels; never raises (a fit the data cannot support converts nothing).
ZYLCARTO_EXPORT TMapCalibration FittedCalibration(const TCalibData& Data, TCalibModel Model, int Width, int Height);

/// Fits Model to the reference points of Data for an image of Width x Height and
/// fills the corners, the resolution and the residuals (on a sphere of mean radius
/// 6371 km).
ZYLCARTO_EXPORT TImportedCalibration FitImported(const TCalibData& Data, TCalibModel Model, int Width, int Height);

/// The data set identifier under which imported calibrations are written.
inline constexpr const char* ImportedCalDataID = "ZYL_geomap_caldata";

/// Writes the calibration as a calibration file (one data set, header line first),
/// creating or overwriting it; I/O failures raise EInOutError.
ZYLCARTO_EXPORT void WriteImportedCalibration(const std::string& FileName, const TImportedCalibration& C);

}  // namespace zylcarto
