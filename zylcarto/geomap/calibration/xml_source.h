#pragma once
// The input of the calibration, landmark and symbol readers: an open text file
// or a memory stream, read first line by line (to find a data set's header)
// and then tag by tag with the calibration tag list.
#include <cstdint>
#include <string>
#include <string_view>

#include "zylcarto/support/export.h"

namespace zylcarto {

class TMemoryStream;
class TTextFile;

class ZYLCARTO_EXPORT TXmlSource {
public:
    virtual ~TXmlSource() = default;
    // The next line without its line end; false when nothing is left.
    virtual bool ReadLine(std::string& Line) = 0;
    // The next tag of CalibTagList(): its index, ctInvalidTag at the end of the input.
    virtual std::uint8_t ReadTag(std::string& Attributes, std::string& Content) = 0;
};

class ZYLCARTO_EXPORT TTextFileSource final : public TXmlSource {
public:
    explicit TTextFileSource(TTextFile& File) : FFile(File) {}
    bool ReadLine(std::string& Line) override;
    std::uint8_t ReadTag(std::string& Attributes, std::string& Content) override;

private:
    TTextFile& FFile;
};

class ZYLCARTO_EXPORT TStreamSource final : public TXmlSource {
public:
    explicit TStreamSource(TMemoryStream& Stream) : FStream(Stream) {}
    bool ReadLine(std::string& Line) override;
    std::uint8_t ReadTag(std::string& Attributes, std::string& Content) override;

private:
    TMemoryStream& FStream;
};

// Reads lines up to the header of a data set: a line whose lower-case form holds
// OpenTag (such as "<geomap") and "zylcsuite" and, when DataID is not empty,
// whose id="..." value, trimmed, equals DataID (both compared in lower case).
// HeaderLine receives the line as read; false when the input ends first.
ZYLCARTO_EXPORT bool FindDataSetHeader(TXmlSource& Source, std::string_view OpenTag, std::string_view DataID,
                                       std::string& HeaderLine);

}  // namespace zylcarto
