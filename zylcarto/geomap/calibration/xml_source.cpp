#include "zylcarto/geomap/calibration/xml_source.h"

#include "zylcarto/geomap/calibration/calib_text.h"
#include "zylcarto/support/ansi.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"
#include "zylcarto/support/tagreader.h"

namespace zylcarto {

const TTagList& CalibTagList() {
    static const TTagList tags{"geomap",       "/geomap",  "calline",   "corners",   "resolution", "gmlandmarks",
                               "/gmlandmarks", "landmark", "calquads",  "lmsymbols", "/lmsymbols", "symbol",
                               "utmzone",      "utmsouth", "ellipsoid", "crs",       "projorder",  "invalidtag"};
    return tags;
}

bool TTextFileSource::ReadLine(std::string& Line) { return FFile.ReadLn(Line); }

std::uint8_t TTextFileSource::ReadTag(std::string& Attributes, std::string& Content) {
    return ReadNextTagInTextFile(FFile, CalibTagList(), Attributes, Content);
}

bool TStreamSource::ReadLine(std::string& Line) {
    if (FStream.Position() >= FStream.Size()) {
        Line.clear();
        return false;
    }
    bool endOfStream = false;
    Line = ReadStreamLine(FStream, endOfStream);
    return true;
}

std::uint8_t TStreamSource::ReadTag(std::string& Attributes, std::string& Content) {
    return ReadNextTagInStream(FStream, CalibTagList(), Attributes, Content);
}

bool FindDataSetHeader(TXmlSource& Source, std::string_view OpenTag, std::string_view DataID, std::string& HeaderLine) {
    const std::string wanted = LowerCase(Utf8ToAnsi(DataID));
    std::string line;
    while (Source.ReadLine(line)) {
        const std::string lower = LowerCase(line);
        if (lower.find(OpenTag) == std::string::npos || lower.find("zylcsuite") == std::string::npos) continue;
        if (!wanted.empty() && UnescapeLineBreaks(TrimBlanks(QuotedValue(lower, "id"))) != wanted) continue;
        HeaderLine = std::move(line);
        return true;
    }
    return false;
}

}  // namespace zylcarto
