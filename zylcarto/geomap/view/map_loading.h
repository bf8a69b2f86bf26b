#pragma once
// The steps of loading a map that need no control: reading a calibration data
// set, finding and decoding its image, fitting. The map control and the
// command-line renderer load through them.
#include <QImage>
#include <functional>
#include <string>

#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

inline constexpr int MapImagePixelLimit = 3000000;

// Raises the size message (with the component's name) above MapImagePixelLimit.
ZYLCARTO_EXPORT void CheckMapImageSize(int Width, int Height, const std::string& ComponentName);

// Resets Calib and reads the data set whose header FindCalibSet found; the
// graticule-line fits are rebuilt, the model is not fitted yet.
ZYLCARTO_EXPORT void ReadMapCalibration(TXmlSource& Source, const TCalibSetHeader& Header, TMapCalibration& Calib,
                                        const std::string& ComponentName);
// Fits the model read, once the image size is known.
ZYLCARTO_EXPORT void FitReadCalibration(TMapCalibration& Calib);

// Decodes a JPEG or BMP map image; raises EZYLGeoMapError naming CallerName
// for files that are no valid image of their kind, of another kind, or too large.
ZYLCARTO_EXPORT QImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName,
                                          const std::string& ComponentName, const std::function<void(int)>& Progress);

}  // namespace zylcarto
