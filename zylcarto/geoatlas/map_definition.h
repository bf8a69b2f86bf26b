#pragma once
/// @file
/// TMapDefinition: what an atlas knows of a registered map before loading it.
#include <string>

#include "zylcarto/geomap/calibration/calib_types.h"

namespace zylcarto {

/// One registered map: a plain value.
struct TMapDefinition {
    /// The calibration file's name in lower case: identifies the entry.
    std::string MapFName;
    /// Caption of the map.
    std::string Caption;
    /// Metres per pixel; smaller is more detailed.
    double Resolution = 0;
    /// Positions of the image corners in degrees.
    TCornerArray Corners;
    /// The calibration file's name as registered, for opening it: the lower-case
    /// identifier does not name the file on a case-sensitive file system.
    std::string FileName;
    /// Equal when every field is.
    friend bool operator==(const TMapDefinition&, const TMapDefinition&) = default;
};

}  // namespace zylcarto
