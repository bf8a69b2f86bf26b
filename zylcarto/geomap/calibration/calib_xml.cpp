#include "zylcarto/geomap/calibration/calib_xml.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geomap/calibration/calib_text.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/support/ansi.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

enum class TCalLayout { TextFile, Stream };

std::string_view ModelName(TCalibModel Model) {
    const auto ix = static_cast<std::size_t>(Model);
    return ix < CalibModelNames.size() ? CalibModelNames[ix] : CalibModelNames.back();
}

std::string_view EllipsoidIdentifier(TGeoEllipsoid E) {
    const auto ix = static_cast<std::size_t>(E);
    return GeoEllipsoidId[ix < GeoEllipsoidId.size() ? ix : 0];
}

std::string IntText(std::int64_t Value) { return std::to_string(Value); }

std::vector<std::string> CalDataLines(TCalLayout Layout, bool WriteHeader, const std::string& DataID,
                                      const TCalibData& D, TCalibModel Model) {
    const bool text = Layout == TCalLayout::TextFile;
    std::vector<std::string> lines;
    if (WriteHeader || !text) lines.emplace_back("<?xml version=\"1.0\"?>");
    lines.emplace_back("");
    lines.emplace_back("<!-- TGeoMap Calibration / Zyl Component Suite -->");
    // A double quote would end the attribute early: written as ', as the landmark
    // and symbol writers do. A line break would end the header line.
    const auto value = [](const std::string& Text) { return EscapeLineBreaks(QuotableText(Utf8ToAnsi(Text))); };
    lines.push_back("<geomap sig=\"ZYLCSuite\" vers=\"1.0\" id=\"" + value(DataID) + "\" model=\"" +
                    std::string(ModelName(Model)) + "\" map=\"" + value(D.MapFName) + "\" caption=\"" +
                    value(D.Caption) + "\">");
    lines.emplace_back("<corners>");
    std::string corners;
    for (const TCoords& c : D.Corners)
        corners += "[" + FormatCoordinate(c.Latit) + "," + FormatCoordinate(c.Longit) + "] ";
    lines.push_back(corners);
    lines.emplace_back("</corners>");
    if (D.Resolution > 0 || !text) lines.push_back("<resolution>" + FormatFixed(D.Resolution, 3) + "</resolution>");
    // Also in the stream: without them a UTM map read back has no zone.
    if (D.UTMZone >= 1 && D.UTMZone <= 60) {
        lines.push_back("<utmzone>" + IntText(D.UTMZone) + "</utmzone>");
        lines.push_back("<utmsouth>" + std::string(BoolText(D.UTMSouth)) + "</utmsouth>");
    }
    lines.push_back("<ellipsoid>" + std::string(EllipsoidIdentifier(D.Ellipsoid)) + "</ellipsoid>");
    for (int i = 1; i <= UsedCalLines(D); ++i) {
        const TCalibLine& line = D.CalLines[i];
        const int n = UsedPoints(line);
        lines.push_back(std::string("<calline type=\"") + (line.LineType == gtlParallel ? "parallel" : "meridian") +
                        "\" value=\"" + FormatGeneral15(line.LineValue) + "\" npoints=\"" + IntText(n) + "\">");
        std::string points;
        for (int k = 1; k <= n; ++k)
            points += "[" + IntText(line.CalPoints[k].X) + "," + IntText(line.CalPoints[k].Y) + "] ";
        lines.push_back(points);
        lines.emplace_back("</calline>");
    }
    const int nq = UsedCalQuads(D);
    if (nq > 0 || !text) {
        lines.push_back("<calquads npoints=\"" + IntText(nq) + "\">");
        std::string quads;
        for (int k = 1; k <= nq; ++k) {
            const TCalQuad& q = D.CalQuads[k];
            quads += "[" + FormatCoordinate(q.Latitude) + "," + FormatCoordinate(q.Longitude) + "," + IntText(q.MapX) +
                     "," + IntText(q.MapY) + "] ";
        }
        lines.push_back(quads);
        lines.emplace_back("</calquads>");
    }
    lines.emplace_back("</geomap>");
    return lines;
}

// The bracket groups "[...]" of a content, in order: the text between each
// opening bracket and the next closing one; anything else is passed over.
std::vector<std::string_view> BracketGroups(std::string_view Content) {
    std::vector<std::string_view> groups;
    while (!Content.empty()) {
        const std::size_t open = Content.find('[');
        const std::size_t close = Content.find(']');
        if (open == std::string_view::npos || close == std::string_view::npos || open > close) break;
        groups.push_back(Content.substr(open + 1, close - open - 1));
        Content.remove_prefix(close + 1);
    }
    return groups;
}

// A scanned attribute starts at the first character of its quoted value; a
// missing attribute reads as 0.
std::int32_t IntegerAttribute(std::string_view Attributes, std::string_view Name) {
    return ScanInteger(QuotedValue(Attributes, Name));
}

[[noreturn]] void RaiseCountMismatch(const TCalibTagRules& Rules) {
    throw EZYLGeoMapError(Rules.MessagePrefix +
                          "specified number of calibration points and actual number does not match");
}

void ReadCalLine(std::string_view Attributes, std::string_view Content, TCalibData& D, const TCalibTagRules& Rules) {
    const std::string lower = LowerCase(Attributes);
    const std::string type = QuotedValue(lower, "type");
    TCalibLine line;
    if (type == "parallel")
        line.LineType = gtlParallel;
    else if (type == "meridian")
        line.LineType = gtlMeridian;
    else
        throw EZYLGeoMapError(Rules.MessagePrefix + "invalid type of graticule line: type=\"" + type + "\"");
    line.LineValue = ScanNumber(QuotedValue(lower, "value"), true, dsPointOrComma);
    const std::int32_t declared = IntegerAttribute(lower, "npoints");

    const auto groups = BracketGroups(Content);
    int stored = 0;
    for (std::string_view g : groups) {
        if (stored == MaxGratLinePoints) break;
        std::size_t p = 0;
        TPoint pt;
        pt.X = ScanInteger(g, p);
        const std::size_t comma = g.find(',');
        pt.Y = comma == std::string_view::npos ? 0 : ScanInteger(g.substr(comma + 1));
        line.CalPoints[++stored] = pt;
    }
    line.NumPoints = stored;

    // Lines beyond the capacity are read (and checked) but not kept.
    const bool kept = D.NumCalLines < MaxCalibLines;
    if (kept) D.CalLines[++D.NumCalLines] = line;
    if (static_cast<std::int64_t>(groups.size()) != declared) RaiseCountMismatch(Rules);
    if (kept && Rules.DropShortLines && line.NumPoints < 3) --D.NumCalLines;
}

void ReadCorners(std::string_view Content, TCalibData& D) {
    auto corner = D.Corners.begin();
    for (std::string_view g : BracketGroups(Content)) {
        if (corner == D.Corners.end()) break;
        const std::size_t comma = g.find(',');
        corner->Latit = ScanNumber(g.substr(0, comma), true, dsPointOrComma);
        corner->Longit = comma == std::string_view::npos ? 0 : ScanNumber(g.substr(comma + 1), true, dsPointOrComma);
        ++corner;
    }
}

// One coordinate of a quad up to its comma, which is passed. Exponents are read
// (a number stopping at its "e" would shift the remaining fields); anything else
// before the comma, "nan" included, is refused: a point without a position
// would spoil every fit made with it.
double QuadCoordinate(std::string_view Group, std::size_t& Position, const TCalibTagRules& Rules) {
    Position = std::min(Position, Group.size());  // a group with too few fields reads as empty ones
    const std::size_t comma = std::min(Group.find(',', Position), Group.size());
    const std::string field = TrimBlanks(Group.substr(Position, comma - Position));
    Position = comma + 1;
    std::size_t end = 0;
    const double v = ScanNumber(field, true, dsPoint, end);
    if (field.empty() || end != field.size())
        throw EZYLGeoMapError(Rules.MessagePrefix + "invalid coordinate of calibration point: \"" +
                              field.substr(0, 40) + "\"");
    return v;
}

void ReadCalQuads(std::string_view Attributes, std::string_view Content, TCalibData& D, const TCalibTagRules& Rules) {
    const std::int32_t declared = IntegerAttribute(LowerCase(Attributes), "npoints");
    const auto groups = BracketGroups(Content);
    int stored = 0;
    for (std::string_view g : groups) {
        if (stored == MaxCalibQuads) break;
        TCalQuad q;
        std::size_t p = 0;
        q.Latitude = QuadCoordinate(g, p, Rules);
        q.Longitude = QuadCoordinate(g, p, Rules);
        q.MapX = ScanInteger(g, p);
        ++p;
        q.MapY = ScanInteger(g, p);
        D.CalQuads[++stored] = q;
    }
    D.NumCalQuads = stored;
    if (static_cast<std::int64_t>(groups.size()) != declared) RaiseCountMismatch(Rules);
}

TGeoEllipsoid EllipsoidFromIdentifier(std::string_view Content) {
    const std::string id = TrimBlanks(Content);
    for (std::size_t i = 0; i < GeoEllipsoidId.size(); ++i)
        if (GeoEllipsoidId[i] == id) return static_cast<TGeoEllipsoid>(i);
    return gelWGS84;
}

template <typename Sink>
void WriteLines(const std::vector<std::string>& Lines, Sink&& Write) {
    for (const std::string& l : Lines) Write(l);
}

}  // namespace

void WriteRawCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID, const TCalibData& CalData,
                                  TCalibModel Model) {
    WriteLines(CalDataLines(TCalLayout::TextFile, WriteHeader, DataID, CalData, Model),
               [&F](const std::string& l) { F.WriteLn(l); });
}

void WriteCalDataToStream(TMemoryStream& Stream, const std::string& DataID, const TCalibData& CalData,
                          TCalibModel Model) {
    WriteLines(CalDataLines(TCalLayout::Stream, true, DataID, CalData, Model),
               [&Stream](const std::string& l) { WriteLnStream(Stream, l); });
}

bool FindCalibSet(TXmlSource& Source, std::string_view DataID, TCalibSetHeader& Header) {
    std::string line;
    if (!FindDataSetHeader(Source, "<geomap", DataID, line)) return false;
    const std::string lower = LowerCase(line);
    Header.Id = AnsiToUtf8(UnescapeLineBreaks(TrimBlanks(QuotedValue(lower, "id"))));
    Header.HasModel = lower.find("model=\"") != std::string::npos;
    Header.ModelName = TrimBlanks(QuotedValue(lower, "model"));
    Header.MapFName = AnsiToUtf8(UnescapeLineBreaks(TrimBlanks(QuotedValue(lower, "map"))));
    Header.Caption = AnsiToUtf8(UnescapeLineBreaks(TrimBlanks(QuotedValue(line, "caption"))));
    return true;
}

TCalibModel MapReaderModel(const TCalibSetHeader& Header) {
    // The parabolic model too: its graticule table is rebuilt on every read, and a
    // map saved with it must not come back uncalibrated.
    static constexpr TCalibModel fitted[] = {cmEquiRect,       cmBiquadraticPn,     cmUTM,
                                             cmConicConformal, cmMillerCylindrical, cmParabolicIp};
    for (TCalibModel m : fitted)
        if (Header.ModelName == ModelName(m)) return m;
    return cmUndefined;
}

TCalibModel ParsedCalibModel(const TCalibSetHeader& Header) {
    if (!Header.HasModel) return cmBiquadraticPn;
    for (std::size_t i = 0; i < CalibModelNames.size(); ++i)
        if (Header.ModelName == CalibModelNames[i]) return static_cast<TCalibModel>(i);
    return cmUndefined;
}

void ReadCalibTags(TXmlSource& Source, TCalibData& CalData, const TCalibTagRules& Rules) {
    CalData.NumCalLines = UsedCalLines(CalData);
    std::string attributes, content;
    for (;;) {
        const std::uint8_t tag = Source.ReadTag(attributes, content);
        switch (tag) {
        case ctGeoMapEnd:
        case ctInvalidTag: return;
        case ctCalLine: ReadCalLine(attributes, content, CalData, Rules); break;
        case ctCorners: ReadCorners(content, CalData); break;
        case ctResolution: CalData.Resolution = ScanNumber(content, true, dsPointOrComma); break;
        case ctCalQuads: ReadCalQuads(attributes, content, CalData, Rules); break;
        case ctUTMZone: CalData.UTMZone = ScanInteger(content); break;
        case ctUTMSouth: CalData.UTMSouth = LowerCase(content) == "true"; break;
        case ctEllipsoid: CalData.Ellipsoid = EllipsoidFromIdentifier(content); break;
        default: break;
        }
    }
}

namespace {

bool ParseFromSource(TXmlSource& Source, const std::string& DataID, TCalibData& CalData, TCalibModel& Model) {
    TCalibSetHeader header;
    if (!FindCalibSet(Source, DataID, header)) return false;
    Model = ParsedCalibModel(header);
    CalData.MapFName = header.MapFName;
    CalData.Caption = header.Caption;
    CalData.NumCalLines = 0;
    ReadCalibTags(Source, CalData, {"ParseCalibData: ", false});
    return true;
}

}  // namespace

bool ParseCalibData(const std::string& FileName, const std::string& DataID, TCalibData& CalData, TCalibModel& Model) {
    TTextFile file;
    if (!file.OpenRead(FileName)) return false;
    TTextFileSource source(file);
    return ParseFromSource(source, DataID, CalData, Model);
}

bool ParseCalibData(TMemoryStream& Stream, const std::string& DataID, TCalibData& CalData, TCalibModel& Model) {
    TStreamSource source(Stream);
    return ParseFromSource(source, DataID, CalData, Model);
}

}  // namespace zylcarto
