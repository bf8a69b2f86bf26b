#pragma once
/// @file
/// The input of the calibration, landmark and symbol readers: an open text file
/// or a memory stream, read first line by line (to find a data set's header)
/// and then tag by tag with the calibration tag list. A source borrows its file
/// or stream, which must outlive it, and advances it; one thread at a time.
#include <cstdint>
#include <string>
#include <string_view>

#include "zylcarto/support/export.h"
#include "zylcarto/support/tagreader.h"

namespace zylcarto {

class TMemoryStream;
class TTextFile;

/// The index of each tag in CalibTagList(), as ReadTag returns it.
enum TCalibTagIndex : std::uint8_t {
    ctGeoMap = 0,          ///< "geomap"
    ctGeoMapEnd = 1,       ///< "/geomap"
    ctCalLine = 2,         ///< "calline"
    ctCorners = 3,         ///< "corners"
    ctResolution = 4,      ///< "resolution"
    ctGmLandmarks = 5,     ///< "gmlandmarks"
    ctGmLandmarksEnd = 6,  ///< "/gmlandmarks"
    ctLandmark = 7,        ///< "landmark"
    ctCalQuads = 8,        ///< "calquads"
    ctLmSymbols = 9,       ///< "lmsymbols"
    ctLmSymbolsEnd = 10,   ///< "/lmsymbols"
    ctSymbol = 11,         ///< "symbol"
    ctUTMZone = 12,        ///< "utmzone"
    ctUTMSouth = 13,       ///< "utmsouth"
    ctEllipsoid = 14,      ///< "ellipsoid"
    ctCRS = 15,            ///< "crs"
    ctProjOrder = 16,      ///< "projorder"
    ctInvalidTag = 17      ///< "invalidtag": never in a file, returned at the end of the input
};

/// The 18 lower-case tag names of the calibration, landmark and symbol files in
/// TCalibTagIndex order.
ZYLCARTO_EXPORT const TTagList& CalibTagList();

/// What a reader reads from: lines, then tags.
class ZYLCARTO_EXPORT TXmlSource {
public:
    /// Leaves the file or stream open where reading stopped.
    virtual ~TXmlSource() = default;
    /// The next line without its line end; false, Line empty, when nothing is left.
    virtual bool ReadLine(std::string& Line) = 0;
    /// The next tag of the calibration tag list: its index, with its attributes and
    /// content; the last index (ctInvalidTag) at the end of the input.
    virtual std::uint8_t ReadTag(std::string& Attributes, std::string& Content) = 0;
};

/// A source over a text file opened for reading, from its current line.
class ZYLCARTO_EXPORT TTextFileSource final : public TXmlSource {
public:
    /// Reads from File, which stays the caller's.
    explicit TTextFileSource(TTextFile& File) : FFile(File) {}
    /// The next line of the file as stored, without CR LF; false at its end or when the
    /// file is not open for reading.
    bool ReadLine(std::string& Line) override;
    /// The next tag of the calibration tag list in the file.
    std::uint8_t ReadTag(std::string& Attributes, std::string& Content) override;

private:
    TTextFile& FFile;
};

/// A source over a memory stream, from its position, one byte per character.
class ZYLCARTO_EXPORT TStreamSource final : public TXmlSource {
public:
    /// Reads from Stream, which stays the caller's.
    explicit TStreamSource(TMemoryStream& Stream) : FStream(Stream) {}
    /// The bytes up to the next LF, without it and a CR before it; false at the end of
    /// the stream.
    bool ReadLine(std::string& Line) override;
    /// The next tag of the calibration tag list in the stream.
    std::uint8_t ReadTag(std::string& Attributes, std::string& Content) override;

private:
    TMemoryStream& FStream;
};

/// Reads lines up to the header of a data set: a line whose lower-case form holds
/// OpenTag (such as "<geomap") and "zylcsuite" and, when DataID is not empty,
/// whose id="..." value, trimmed, equals DataID (both compared in lower case).
/// HeaderLine receives the line as read; false, HeaderLine unchanged, when the
/// input ends first (the source is then at its end).
ZYLCARTO_EXPORT bool FindDataSetHeader(TXmlSource& Source, std::string_view OpenTag, std::string_view DataID,
                                       std::string& HeaderLine);

}  // namespace zylcarto
