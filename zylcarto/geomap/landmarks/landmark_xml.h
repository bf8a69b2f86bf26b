#pragma once
// The landmark file: one set of "landmark" tags under a <gmlandmarks> header,
// every field of TLandMark an attribute. Reading and writing here work on
// plain lists; the map widget moves them into and out of its landmark store.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

class TTextFile;
class TXmlSource;

// Element names the files know, in lower case; lmPlus and lmUserDef have none
// and read back as lmCross.
ZYLCARTO_EXPORT TLandMarkElement LandMarkElementFromName(std::string_view Name);

// One landmark from the attribute text of its tag. Missing attributes read as
// 0, empty, false or lmCross (not as the map's default landmark).
ZYLCARTO_EXPORT TLandMark LandMarkFromAttributes(std::string_view Attributes);

// Finds the set DataID (any case; empty: the first set) and reads every
// landmark tag after its header up to "/geomap" or the end of the input
// (a closing "/gmlandmarks" does not stop it). False, with LandMarks
// unchanged, when there is no such set.
ZYLCARTO_EXPORT bool ReadLandMarkSet(TXmlSource& Source, std::string_view DataID, std::vector<TLandMark>& LandMarks);

// The self-closing "landmark" tag of one landmark, on one line.
ZYLCARTO_EXPORT std::string LandMarkTag(const TLandMark& LandMark);

// Writes Count landmarks, LandMarkAt(1) .. LandMarkAt(Count), as one set at the
// current position of a text file opened for writing; WriteHeader puts the
// <?xml version="1.0"?> line first. Coordinates are written so that they read
// back as the same doubles, times to the second.
ZYLCARTO_EXPORT void WriteLandMarkSet(TTextFile& F, bool WriteHeader, const std::string& DataID, int Count,
                                      const std::function<const TLandMark&(int Index)>& LandMarkAt);

}  // namespace zylcarto
