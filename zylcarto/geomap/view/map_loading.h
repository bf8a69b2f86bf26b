#pragma once
/// @file
/// The steps of loading a map that need no control: reading a calibration data
/// set, finding and decoding its image, fitting. The map control and the
/// command-line renderer load through them. Free functions on the caller's
/// objects, one thread per calibration.
#include <QImage>
#include <QSize>
#include <functional>
#include <string>

#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto {

/// The largest map image, in pixels (width times height).
inline constexpr int MapImagePixelLimit = 3000000;

/// Raises EZYLGeoMapError with the size message (with the component's name) when
/// Width x Height exceeds MaxPixels (0: no limit); does nothing otherwise.
void CheckMapImageSize(int Width, int Height, const std::string& ComponentName,
                       long long MaxPixels = MapImagePixelLimit);

/// Resets Calib (ClearCalibData, which calls its repaint handler) and reads the data
/// set whose header FindCalibSet found, with the model MapReaderModel takes and
/// graticule lines of fewer than 3 points dropped; the graticule-line fits are
/// rebuilt, the model is not fitted yet. Raises as ReadCalibTags, with the
/// component's name, leaving what was read so far.
void ReadMapCalibration(TXmlSource& Source, const TCalibSetHeader& Header, TMapCalibration& Calib,
                                        const std::string& ComponentName);
/// Fits the model read, once the image size is known; no repaint.
void FitReadCalibration(TMapCalibration& Calib);

/// The size a JPEG or BMP file's header gives; empty when it cannot tell (the
/// decoder then says why).
QSize MapImageFileSize(const std::string& FileName);

/// Decodes a JPEG (.jpg, .jpeg) or BMP (.bmp) map image, the size checked from the
/// header before the pixels are decoded; raises EZYLGeoMapError naming CallerName
/// for files that are missing, no valid image of their kind, of another kind, or
/// larger than MaxPixels (0: no limit). Progress, when set, gets 0 before and 100 after (JPEG: also between).
/// Cost, measured with bench/images through SetMapImgName: a 2000 x 1500 JPEG in
/// 56 ms, 0.77 of djpeg's time for the same file.
QImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName,
                          const std::string& ComponentName, const std::function<void(int)>& Progress,
                          long long MaxPixels = MapImagePixelLimit);

}  // namespace zylcarto
