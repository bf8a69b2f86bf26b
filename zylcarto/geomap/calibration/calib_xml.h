#pragma once
/// @file
/// The calibration file: writing a data set as a text file or into a stream,
/// finding a data set by its identifier and reading its tags. The map widget's
/// reader is FindCalibSet + its own reset + ReadCalibTags + its own refit;
/// ParseCalibData is the standalone reader that fills a caller's record. Free
/// functions on the caller's file, stream and record; one thread per source.
/// Numbers are written with a decimal point whatever the locale.
#include <string>
#include <string_view>

#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

class TMemoryStream;
class TTextFile;
class TXmlSource;

/// Writes one data set at the current position of a text file opened for writing;
/// WriteHeader puts the <?xml version="1.0"?> line first. Counts beyond the
/// record's capacities are written as the capacities. A cmProjected set (or one
/// with a CRS or order 2) ends with the elements "crs" (the CRS text escaped to ASCII, read back byte for
/// byte) and "projorder", after every element older readers know. I/O failures
/// raise EInOutError.
ZYLCARTO_EXPORT void WriteRawCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID,
                                                  const TCalibData& CalData, TCalibModel Model);
/// The stream form of the same data set at the stream's position: always with the
/// header line, the resolution and the quads element.
ZYLCARTO_EXPORT void WriteCalDataToStream(TMemoryStream& Stream, const std::string& DataID, const TCalibData& CalData,
                                          TCalibModel Model);

/// The values of a data set's header line.
struct TCalibSetHeader {
    /// The id attribute, lower case, trimmed, UTF-8.
    std::string Id;
    /// The line carries a model attribute.
    bool HasModel = false;
    /// The model attribute, lower case, trimmed.
    std::string ModelName;
    /// The map attribute, lower case (as the file has always been read), trimmed, UTF-8.
    std::string MapFName;
    /// The caption attribute as written, trimmed, UTF-8.
    std::string Caption;
};

/// Reads lines up to the header of the data set DataID (any case; empty: the first
/// set) and returns its values; false, Header unchanged, when the input holds no
/// such set.
ZYLCARTO_EXPORT bool FindCalibSet(TXmlSource& Source, std::string_view DataID, TCalibSetHeader& Header);

/// The model the map widget takes from a header: one of the six models it fits
/// from reference points or cmParabolicIp, else cmUndefined.
ZYLCARTO_EXPORT TCalibModel MapReaderModel(const TCalibSetHeader& Header);
/// The model ParseCalibData takes: any of the eight names; cmBiquadraticPn
/// without a model attribute, cmUndefined for an unknown name.
ZYLCARTO_EXPORT TCalibModel ParsedCalibModel(const TCalibSetHeader& Header);

/// How ReadCalibTags words its errors and treats short graticule lines.
struct TCalibTagRules {
    /// Put before the error texts ("ParseCalibData: ").
    std::string MessagePrefix;
    /// Graticule lines of fewer than 3 points are taken back.
    bool DropShortLines = false;
};

/// Reads the tags of a data set up to "/geomap" or the end of the input into
/// CalData (fields whose tags are missing keep their values; NumCalLines is
/// counted on from its current value). Data beyond the record's capacities is
/// read and dropped; an unknown ellipsoid reads as WGS 84. A graticule line of
/// unknown type, a point count that differs from its npoints attribute, or a
/// reference-point coordinate that is not a number raises EZYLGeoMapError and
/// leaves what was read so far in the record.
ZYLCARTO_EXPORT void ReadCalibTags(TXmlSource& Source, TCalibData& CalData, const TCalibTagRules& Rules);

/// The standalone reader: finds the data set (DataID as FindCalibSet) and reads it
/// into CalData and Model. Only NumCalLines is reset first; nothing is refitted.
/// False when the file cannot be opened or holds no such set (CalData and Model
/// are then unchanged); raises as ReadCalibTags.
ZYLCARTO_EXPORT bool ParseCalibData(const std::string& FileName, const std::string& DataID, TCalibData& CalData,
                                    TCalibModel& Model);
/// The same from the stream's current position.
ZYLCARTO_EXPORT bool ParseCalibData(TMemoryStream& Stream, const std::string& DataID, TCalibData& CalData,
                                    TCalibModel& Model);

}  // namespace zylcarto
