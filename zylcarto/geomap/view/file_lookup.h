#pragma once
/// @file
/// Finding an existing file whose name matches a given one except for case:
/// the calibration file stores map names in lower case, and folders on this
/// platform tell the cases apart. Pure functions of the file system, safe from
/// any thread; they never raise.
#include <string>
#include "zylcarto/support/export.h"

namespace zylcarto {

/// Path itself when it exists; else the existing path that equals it ignoring
/// ASCII case, component by component (the first match in each folder); else empty.
ZYLCARTO_EXPORT std::string FindFileIgnoringCase(const std::string& Path);

/// The image a calibration file in CalFileFolder (with its trailing separator) names
/// as ImageName: the file of that name beside the calibration file when there is
/// one, since a map moves with its folder (a generated map names its image with the
/// folder it was made in), else ImageName as written; ImageName too when both are
/// the same file. CalFileFolder empty: not read from a file.
ZYLCARTO_EXPORT std::string MapImageBesideCalibration(const std::string& ImageName, const std::string& CalFileFolder);

}  // namespace zylcarto
