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

// Element text as XML needs it, on one line and in ASCII whatever the file's code
// page: markup characters as entities, controls, blanks at the ends and non-ASCII UTF-8 characters
// as numeric references. A byte that is not UTF-8 goes as U+DC80 + byte (a
// surrogate, which UTF-8 never holds), so that it too comes back as it was.
constexpr std::uint32_t StrayByteBase = 0xdc00;

std::string EscapedText(std::string_view Text) {
    std::string out;
    for (std::size_t i = 0; i < Text.size();) {
        const auto c = static_cast<unsigned char>(Text[i]);
        if (c == '&' || c == '<' || c == '>') {
            out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
            ++i;
            continue;
        }
        // Blanks at either end as references: the reader trims the element's text.
        const bool edge = i == 0 || i + 1 == Text.size();
        if ((c > 0x20 && c < 0x7f) || (c == 0x20 && !edge)) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const int extra = c >= 0xf0 && c < 0xf5 ? 3 : c >= 0xe0 && c < 0xf0 ? 2 : c >= 0xc2 && c < 0xe0 ? 1 : 0;
        std::uint32_t code = c < 0x80 ? c : StrayByteBase + c;
        std::size_t len = 1;
        if (extra > 0 && i + static_cast<std::size_t>(extra) < Text.size()) {
            std::uint32_t v = c & (0x3fu >> extra);
            bool ok = true;
            for (int k = 1; ok && k <= extra; ++k) {
                const auto t = static_cast<unsigned char>(Text[i + static_cast<std::size_t>(k)]);
                ok = (t & 0xc0) == 0x80;
                v = (v << 6) | (t & 0x3fu);
            }
            // Overlong forms and surrogates are not UTF-8 either.
            const std::uint32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
            if (ok && v >= least && v <= 0x10ffff && !(v >= 0xd800 && v <= 0xdfff)) {
                code = v;
                len = static_cast<std::size_t>(extra) + 1;
            }
        }
        out += "&#" + std::to_string(code) + ";";
        i += len;
    }
    return out;
}

void AppendUtf8(std::string& Out, std::uint32_t Code) {
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Out += static_cast<char>(0xc0 | (Code >> 6));
        Out += static_cast<char>(0x80 | (Code & 0x3f));
    } else if (Code < 0x10000) {
        Out += static_cast<char>(0xe0 | (Code >> 12));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3f));
        Out += static_cast<char>(0x80 | (Code & 0x3f));
    } else {
        Out += static_cast<char>(0xf0 | (Code >> 18));
        Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3f));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3f));
        Out += static_cast<char>(0x80 | (Code & 0x3f));
    }
}

// The inverse of EscapedText; also takes &quot; and &apos; and hexadecimal
// references, and leaves an ampersand that starts no reference as it is.
std::string UnescapedText(std::string_view Text) {
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '&') {
            out += Text[i];
            continue;
        }
        const std::size_t semi = Text.find(';', i);
        const std::string_view ref =
            semi == std::string_view::npos ? std::string_view() : Text.substr(i + 1, semi - i - 1);
        static constexpr std::pair<std::string_view, char> named[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        bool done = false;
        for (const auto& [name, ch] : named)
            if (ref == name) {
                out += ch;
                done = true;
            }
        if (!done && ref.size() >= 2 && ref.size() <= 9 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            std::uint32_t code = 0;
            bool ok = !digits.empty();
            for (char d : digits) {
                const int v = d >= '0' && d <= '9'          ? d - '0'
                              : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                              : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                            : -1;
                ok = ok && v >= 0;
                if (ok) code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
            }
            if (ok && code <= 0x10ffff) {
                if (code >= StrayByteBase + 0x80 && code <= StrayByteBase + 0xff)
                    out += static_cast<char>(code - StrayByteBase);
                else
                    AppendUtf8(out, code);
                done = true;
            }
        }
        if (!done) {
            out += '&';
            continue;
        }
        i = semi;
    }
    return out;
}

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
    // After every tag older readers know: they skip these and read the rest.
    if (Model == cmProjected || !D.CRS.empty() || D.ProjOrder == 2) {
        lines.push_back("<crs>" + EscapedText(D.CRS) + "</crs>");
        lines.push_back("<projorder>" + IntText(D.ProjOrder == 2 ? 2 : 1) + "</projorder>");
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
    static constexpr TCalibModel fitted[] = {cmEquiRect,          cmBiquadraticPn, cmUTM,      cmConicConformal,
                                             cmMillerCylindrical, cmParabolicIp,   cmProjected};
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
        case ctCRS: CalData.CRS = UnescapedText(TrimBlanks(content)); break;
        case ctProjOrder: CalData.ProjOrder = ScanInteger(content) == 2 ? 2 : 1; break;
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
