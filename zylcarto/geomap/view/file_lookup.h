#pragma once
// Finding an existing file whose name matches a given one except for case:
// the calibration file stores map names in lower case, and folders on this
// platform tell the cases apart.
#include <string>

namespace zylcarto {

// Path itself when it exists; else the existing path that equals it ignoring
// case, component by component; else empty.
std::string FindFileIgnoringCase(const std::string& Path);

} // namespace zylcarto
