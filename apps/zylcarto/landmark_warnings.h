#pragma once
// What reading a landmark file changed, said on standard error.
#include <string>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"

namespace zylcarto::cli {

// Warns when landmarks read from File came with a caption or identifier altered
// on the way in (TextAltered), naming the first; silent otherwise.
void WarnAlteredLandMarkTexts(const std::vector<TLandMark>& LandMarks, const std::string& File);

}  // namespace zylcarto::cli
