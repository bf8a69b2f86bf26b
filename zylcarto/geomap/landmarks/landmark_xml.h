#pragma once
/// @file
/// The landmark file: one set of "landmark" tags under a `<gmlandmarks>` header,
/// every field of TLandMark an attribute. Reading and writing here work on
/// plain lists; the map widget moves them into and out of its landmark store.
/// Free functions on the caller's source or file; one thread per source.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

class TTextFile;
class TXmlSource;

/// The element of a name as the files write it (any case); lmPlus, lmUserDef and
/// unknown names read as lmCross.
ZYLCARTO_EXPORT TLandMarkElement LandMarkElementFromName(std::string_view Name);

/// One landmark from the attribute text of its tag. Missing or unreadable
/// attributes read as 0, empty, false or lmCross (not as the map's default
/// landmark); never raises.
ZYLCARTO_EXPORT TLandMark LandMarkFromAttributes(std::string_view Attributes);

/// Finds the set DataID (any case; empty: the first set) and reads every
/// landmark tag after its header up to "/geomap" or the end of the input
/// (a closing "/gmlandmarks" does not stop it) into LandMarks, replacing its
/// contents. False, with LandMarks unchanged, when there is no such set.
/// Landmarks that cannot be are passed over and counted in Skipped (when given):
/// a lat or long that is not a number ("nan", "abc"), a latitude beyond the poles,
/// a longitude more than a whole turn from 0, a class outside 0..255. Longitudes
/// come back normalised to -180..180 (181 as -179).
ZYLCARTO_EXPORT bool ReadLandMarkSet(TXmlSource& Source, std::string_view DataID, std::vector<TLandMark>& LandMarks,
                                     int* Skipped = nullptr);

/// The self-closing "landmark" tag of one landmark, on one line, ANSI text.
ZYLCARTO_EXPORT std::string LandMarkTag(const TLandMark& LandMark);

/// Writes Count landmarks, LandMarkAt(1) .. LandMarkAt(Count), as one set at the
/// current position of a text file opened for writing; WriteHeader puts the
/// <?xml version="1.0"?> line first. Coordinates are written so that they read
/// back as the same doubles, times to the second. I/O failures raise EInOutError
/// (at the latest when the file is closed).
ZYLCARTO_EXPORT void WriteLandMarkSet(TTextFile& F, bool WriteHeader, const std::string& DataID, int Count,
                                      const std::function<const TLandMark&(int Index)>& LandMarkAt);

}  // namespace zylcarto
