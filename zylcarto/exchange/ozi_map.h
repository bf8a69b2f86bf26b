#pragma once
/// @file
/// OziExplorer .map calibration files (versions 2.0 to 2.2): reference points in
/// degrees and decimal minutes or in UTM grid coordinates, in one of the
/// format's datums, shifted to WGS 84 and fitted as one of our models: cmUTM for a
/// UTM map, cmEquiRect for latitude/longitude, cmBiquadraticPn for another
/// projection with at least 6 points. Pure functions, safe from any thread.
#include <string>
#include <string_view>

#include "zylcarto/exchange/calib_import.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The row of GeoDatumData that an OziExplorer datum name stands for (common
/// names of the format, or a row name of the table itself, any case); 0 when unknown.
ZYLCARTO_EXPORT int OziDatumNumber(std::string_view Name);

/// Reads the text of a .map file. MapFileName locates the image: it is looked
/// up beside the .map file by its name (without the producer's directory), and its
/// header gives the image size (else the IWH line). Bad or truncated input, an
/// unknown datum, fewer than 2 or more than 30 points or no image size raises
/// EZYLGeoMapError "line N: ...".
ZYLCARTO_EXPORT TImportedCalibration ReadOziMap(std::string_view Text, const std::string& MapFileName);
/// The same from the file; EInOutError when it cannot be read.
ZYLCARTO_EXPORT TImportedCalibration ImportOziMap(const std::string& MapFileName);

}  // namespace zylcarto
