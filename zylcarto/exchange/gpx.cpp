#include "zylcarto/exchange/gpx.h"

#include <expat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "zylcarto/exchange/text_fields.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/support/ansi.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

// A child's text beyond this is not kept: no landmark field holds more.
constexpr std::size_t kMaxText = 4096;

std::string_view LocalName(const XML_Char* Name) {
    std::string_view n(Name);
    const std::size_t colon = n.rfind(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

// yyyy-mm-ddThh:mm:ss with optional fraction and zone, as UTC (GPX times without
// a zone are UTC already).
std::optional<TDateTime> ParseTime(std::string_view T) {
    T = TrimSpace(T);
    int v[6];
    const char seps[] = {'-', '-', 'T', ':', ':'};
    const int widths[] = {4, 2, 2, 2, 2, 2};
    std::size_t p = 0;
    for (int k = 0; k < 6; ++k) {
        if (k > 0) {
            if (p >= T.size() || (T[p] != seps[k - 1] && !(k == 3 && (T[p] == 't' || T[p] == ' '))))
                return std::nullopt;
            ++p;
        }
        v[k] = 0;
        for (int d = 0; d < widths[k]; ++d, ++p) {
            if (p >= T.size() || T[p] < '0' || T[p] > '9') return std::nullopt;
            v[k] = v[k] * 10 + (T[p] - '0');
        }
    }
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 60) return std::nullopt;
    if (p < T.size() && T[p] == '.')
        for (++p; p < T.size() && T[p] >= '0' && T[p] <= '9';) ++p;
    int offsetMinutes = 0;
    if (p < T.size() && (T[p] == '+' || T[p] == '-')) {
        const std::string_view z = T.substr(p + 1);
        const bool colon = z.size() == 5 && z[2] == ':';
        if (!colon && z.size() != 4) return std::nullopt;
        const std::string_view hh = z.substr(0, 2), mm = z.substr(colon ? 3 : 2, 2);
        for (char c : std::string(hh) + std::string(mm))
            if (c < '0' || c > '9') return std::nullopt;
        offsetMinutes = ((hh[0] - '0') * 10 + (hh[1] - '0')) * 60 + (mm[0] - '0') * 10 + (mm[1] - '0');
        if (offsetMinutes > 18 * 60) return std::nullopt;
        if (T[p] == '-') offsetMinutes = -offsetMinutes;
    }
    try {
        const TDateTime local = EncodeDateTime(v[0], v[1], v[2], v[3], v[4], std::min(v[5], 59));
        if (offsetMinutes == 0) return local;
        // Back through the calendar, so the stamp stays a whole second that writes and reads back.
        DecodeDateTime(local - offsetMinutes / 1440.0, v[0], v[1], v[2], v[3], v[4], v[5]);
        return EncodeDateTime(v[0], v[1], v[2], v[3], v[4], v[5]);
    } catch (const EZYLError&) {
        return std::nullopt;
    }
}

enum class TPointKind : std::uint8_t { None, Wpt, Trkpt, Rtept };

struct TParse {
    XML_Parser Parser = nullptr;
    TGpxImport Result;
    int Depth = 0;
    bool InTrk = false, InRte = false, InTrkseg = false;
    TPointKind Point = TPointKind::None;
    int PointDepth = 0;
    std::string PointTag;  // wpt, trkpt or rtept, for messages
    double Lat = 0, Long = 0;
    std::string Child;  // local name of the element whose text is read
    int ChildDepth = 0;
    std::string Text;
    std::string Name, Desc, Cmt, Sym, Time, Ele, Speed;
    std::string Error;

    void Fail(const std::string& Text) {
        if (Error.empty()) Error = "line " + std::to_string(XML_GetCurrentLineNumber(Parser)) + ": " + Text;
        XML_StopParser(Parser, XML_FALSE);
    }
};

// Characters of Utf8 that Windows-1252 cannot hold.
int Unrepresentable(std::string_view Utf8) {
    int n = 0;
    for (std::size_t i = 0; i < Utf8.size();) {
        const char32_t cp = detail::DecodeUtf8(Utf8, i);
        if (cp != U'?' && detail::CodePointToAnsi(cp) == '?') ++n;
    }
    return n;
}

std::size_t CodePoints(std::string_view Utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < Utf8.size(); ++n) detail::DecodeUtf8(Utf8, i);
    return n;
}

template <std::size_t N>
void Store(TParse& P, TShortString<N>& Field, const std::string& Utf8) {
    const std::string text = ComposeLatin(Utf8);
    P.Result.Replaced += Unrepresentable(text);
    if (CodePoints(text) > N) ++P.Result.Shortened;
    Field.Assign(text);
}

// The common symbols of GPS receivers and their programs; a Family name also
// stands for its coloured forms ("Flag, Blue").
struct TGpxSymbol {
    std::string_view Name;
    TLandMarkElement Kind;
    bool Family = false;
};
constexpr TGpxSymbol kGpxSymbols[] = {
    {"Waypoint", lmCross},          {"Crossing", lmCross},          {"Flag", lmTriangle, true},
    {"Summit", lmTriangle},         {"Triangle", lmTriangle, true}, {"Danger Area", lmTriangle},
    {"Dot", lmCircle, true},        {"Circle", lmCircle, true},     {"Navaid", lmCircle, true},
    {"Square", lmSquare, true},     {"Block", lmSquare, true},      {"Diamond", lmSquare, true},
    {"Geocache", lmSquare},         {"Residence", lmSquare},        {"Building", lmSquare},
    {"Geocache Found", lmCrossBox}, {"Circle with X", lmCrossBox},  {"Church", lmPlus},
    {"Cemetery", lmPlus},           {"Pin", lmArrowTo, true},       {"Exit", lmArrowFrom},
};

std::optional<TLandMarkElement> ElementOf(std::string_view Sym) {
    for (std::size_t i = 0; i < LMTypeNames.size(); ++i)
        if (SameText(Sym, LMTypeNames[i])) return static_cast<TLandMarkElement>(i);
    for (const TGpxSymbol& s : kGpxSymbols)
        if (SameText(Sym, s.Name) || (s.Family && Sym.size() > s.Name.size() + 1 &&
                                      SameText(Sym.substr(0, s.Name.size() + 1), std::string(s.Name) + ",")))
            return s.Kind;
    return std::nullopt;
}

void BeginPoint(TParse& P, TPointKind Kind, std::string_view Tag, const XML_Char** Attrs) {
    P.Point = Kind;
    P.PointDepth = P.Depth;
    P.PointTag = Tag;
    P.Name.clear(), P.Desc.clear(), P.Cmt.clear(), P.Sym.clear(), P.Time.clear(), P.Ele.clear(), P.Speed.clear();
    std::optional<double> lat, lon;
    for (int i = 0; Attrs[i]; i += 2) {
        const std::string_view a = Attrs[i];
        if (a == "lat") lat = ParseNumber(Attrs[i + 1]);
        if (a == "lon") lon = ParseNumber(Attrs[i + 1]);
    }
    if (!lat || !lon) return P.Fail(P.PointTag + " needs numeric lat and lon attributes");
    if (std::fabs(*lat) > 90 || std::fabs(*lon) > 180) return P.Fail(P.PointTag + " position out of range");
    P.Lat = *lat;
    P.Long = *lon;
}

void XMLCALL OnStart(void* Data, const XML_Char* Name, const XML_Char** Attrs) {
    auto& P = *static_cast<TParse*>(Data);
    ++P.Depth;
    const std::string_view n = LocalName(Name);
    if (P.Depth == 1) {
        if (n != "gpx") return P.Fail("not a GPX file (the root element is \"" + std::string(n) + "\")");
        for (int i = 0; Attrs[i]; i += 2)
            if (std::string_view(Attrs[i]) == "version") P.Result.Version = Attrs[i + 1];
        return;
    }
    if (P.Point != TPointKind::None) {
        // the point's own fields, and a speed among a track point's extensions
        if (P.Depth == P.PointDepth + 1 || (P.Point == TPointKind::Trkpt && n == "speed")) {
            P.Child = n;
            P.ChildDepth = P.Depth;
            P.Text.clear();
        }
        return;
    }
    if (P.Depth == 2) {
        P.InTrk = n == "trk";
        P.InRte = n == "rte";
        if (n == "wpt") BeginPoint(P, TPointKind::Wpt, n, Attrs);
        if (P.InTrk) P.Result.Tracks.emplace_back();
        if (P.InRte) P.Result.Routes.emplace_back();
    } else if (P.Depth == 3 && (P.InTrk || P.InRte)) {
        P.InTrkseg = P.InTrk && n == "trkseg";
        if (P.InTrkseg) P.Result.Tracks.back().Segments.emplace_back();
        if (P.InRte && n == "rtept") BeginPoint(P, TPointKind::Rtept, n, Attrs);
        if (n == "name") {
            P.Child = n;
            P.ChildDepth = P.Depth;
            P.Text.clear();
        }
    } else if (P.Depth == 4 && P.InTrkseg && n == "trkpt") {
        BeginPoint(P, TPointKind::Trkpt, n, Attrs);
    }
}

void XMLCALL OnText(void* Data, const XML_Char* S, int Len) {
    auto& P = *static_cast<TParse*>(Data);
    if (P.ChildDepth != P.Depth || P.Text.size() >= kMaxText) return;
    P.Text.append(S, std::min<std::size_t>(static_cast<std::size_t>(Len), kMaxText - P.Text.size()));
}

// Text cut to kMaxText bytes, without the character the cut went through.
std::string WholeCharacters(TParse& P, std::string Text) {
    if (Text.size() < kMaxText) return Text;
    ++P.Result.Shortened;
    while (!Text.empty() && (static_cast<unsigned char>(Text.back()) & 0xC0) == 0x80) Text.pop_back();
    if (!Text.empty() && static_cast<unsigned char>(Text.back()) >= 0xC0) Text.pop_back();
    return Text;
}

// A number field of the point, or NaN when it is absent; false after a failure.
bool PointNumber(TParse& P, const std::string& Field, const char* What, double& Value) {
    Value = std::numeric_limits<double>::quiet_NaN();
    if (Field.empty()) return true;
    const auto v = ParseNumber(Field);
    if (!v || (std::string_view(What) == "speed" && *v < 0)) {
        P.Fail(std::string("bad ") + What + " \"" + Field + "\"");
        return false;
    }
    Value = *v;
    return true;
}

void EndPoint(TParse& P) {
    const TPointKind kind = P.Point;
    P.Point = TPointKind::None;
    double ele, speed;
    if (!PointNumber(P, P.Ele, "ele", ele) || !PointNumber(P, P.Speed, "speed", speed)) return;
    std::optional<TDateTime> time;
    if (!P.Time.empty() && !(time = ParseTime(P.Time))) return P.Fail("bad time \"" + P.Time + "\"");
    if (kind == TPointKind::Trkpt) {
        P.Result.Tracks.back().Segments.back().Points.push_back(
            {P.Lat, P.Long, ele, time.value_or(std::numeric_limits<double>::quiet_NaN()), speed});
    } else if (kind == TPointKind::Rtept) {
        P.Result.Routes.back().Points.push_back(
            {P.Lat, P.Long, ele, WholeCharacters(P, P.Name), time.value_or(std::numeric_limits<double>::quiet_NaN())});
    } else {
        TLandMark L;
        L.Latitude = P.Lat;
        L.Longitude = P.Long;
        if (std::isfinite(ele)) L.Altitude = ele;
        if (time) L.Time = *time;
        Store(P, L.Caption.Text, P.Name);
        Store(P, L.Identifier, P.Desc.empty() ? P.Cmt : P.Desc);
        if (!P.Sym.empty()) {
            if (const auto element = ElementOf(P.Sym))
                L.SymbolProps.Kind = *element;
            else
                ++P.Result.UnknownSymbols[P.Sym];
        }
        P.Result.LandMarks.push_back(L);
    }
}

void XMLCALL OnEnd(void* Data, const XML_Char*) {
    auto& P = *static_cast<TParse*>(Data);
    if (P.ChildDepth == P.Depth) {
        std::string t(TrimSpace(P.Text));
        if (P.Point == TPointKind::None) {  // the name of a track or route
            (P.InTrk ? P.Result.Tracks.back().Name : P.Result.Routes.back().Name) = WholeCharacters(P, std::move(t));
        } else {
            for (auto [name, field] : {std::pair{"name", &P.Name}, {"desc", &P.Desc}, {"cmt", &P.Cmt}, {"sym", &P.Sym},
                                       {"time", &P.Time}, {"ele", &P.Ele}, {"speed", &P.Speed}})
                if (P.Child == name) *field = t;
        }
        P.ChildDepth = 0;
    } else if (P.Point != TPointKind::None && P.Depth == P.PointDepth) {
        EndPoint(P);
    }
    if (P.Depth == 3) P.InTrkseg = false;
    if (P.Depth == 2) P.InTrk = P.InRte = false;
    --P.Depth;
}

void Escape(std::string& Out, std::string_view S) {
    for (char c : S) {
        switch (c) {
        case '&': Out += "&amp;"; break;
        case '<': Out += "&lt;"; break;
        case '>': Out += "&gt;"; break;
        case '"': Out += "&quot;"; break;
        default:
            // XML 1.0 has no place for the other control characters.
            Out += (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') ? '?' : c;
        }
    }
}

// Expat knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII; files from Windows tools
// often declare windows-1252.
int XMLCALL OnUnknownEncoding(void*, const XML_Char* Name, XML_Encoding* Info) {
    if (!SameText(Name, "windows-1252") && !SameText(Name, "cp1252")) return XML_STATUS_ERROR;
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = b >= 0x80 && b < 0xA0 ? detail::kCp1252High[b - 0x80] : static_cast<char32_t>(b);
        Info->map[b] = cp == 0 && b != 0 ? 0xFFFD : static_cast<int>(cp);
    }
    Info->data = nullptr;
    Info->convert = nullptr;
    Info->release = nullptr;
    return XML_STATUS_OK;
}

// Garmin's extension that carries a track point's speed.
constexpr std::string_view kGarminTpx = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";

bool HasSpeed(const TTrack& T) {
    for (const TTrackSegment& seg : T.Segments)
        for (const TTrackPoint& p : seg.Points)
            if (std::isfinite(p.Speed)) return true;
    return false;
}

void OpenPoint(std::string& Out, std::string_view Open, double Lat, double Long) {
    Out += Open;
    Out += " lat=\"" + DecimalNumber(Lat) + "\" lon=\"" + DecimalNumber(Long) + "\">\n";
}

// <Tag>Value</Tag> on a line of its own; nothing for a value that is not finite.
void Element(std::string& Out, std::string_view Indent, std::string_view Tag, double Value) {
    if (!std::isfinite(Value)) return;
    Out += std::string(Indent) + "<" + std::string(Tag) + ">" + DecimalNumber(Value) + "</" + std::string(Tag) + ">\n";
}

// Text escaped; nothing for empty text unless Always.
void TextElement(std::string& Out, std::string_view Indent, std::string_view Tag, std::string_view Text, bool Always) {
    if (Text.empty() && !Always) return;
    Out += std::string(Indent) + "<" + std::string(Tag) + ">";
    Escape(Out, Text);
    Out += "</" + std::string(Tag) + ">\n";
}

// The time in UTC to the second; nothing for one that is not finite or outside the calendar.
void TimeElement(std::string& Out, std::string_view Indent, TDateTime Time) {
    if (!std::isfinite(Time)) return;
    int y, mo, d, h, mi, se;
    try {
        DecodeDateTime(Time, y, mo, d, h, mi, se);
    } catch (const EZYLError&) {
        return;  // no GPX form: the point goes without
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "<time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", y, mo, d, h, mi, se);
    Out += std::string(Indent) + buf;
}

}  // namespace

TGpxImport ReadGpx(std::string_view Bytes) {
    TParse P;
    P.Parser = XML_ParserCreate(nullptr);
    if (!P.Parser) throw EZYLGeoMapError("out of memory for the XML parser");
    XML_SetUserData(P.Parser, &P);
    XML_SetElementHandler(P.Parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(P.Parser, OnText);
    XML_SetUnknownEncodingHandler(P.Parser, OnUnknownEncoding, nullptr);
    // Feed in pieces: the length argument is an int.
    constexpr std::size_t kPiece = 1 << 20;
    XML_Status status = XML_STATUS_OK;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(kPiece, Bytes.size() - at);
        status = XML_Parse(P.Parser, Bytes.data() + at, static_cast<int>(n), at + n == Bytes.size());
        at += n;
    } while (status == XML_STATUS_OK && at < Bytes.size());
    std::string error = P.Error;
    if (status != XML_STATUS_OK && error.empty())
        error = "line " + std::to_string(XML_GetCurrentLineNumber(P.Parser)) + ": " +
                XML_ErrorString(XML_GetErrorCode(P.Parser));
    XML_ParserFree(P.Parser);
    if (!error.empty()) throw EZYLGeoMapError(error);
    return std::move(P.Result);
}

std::string WriteGpx(const std::vector<TLandMark>& LandMarks, const std::vector<TTrack>& Tracks,
                     const std::vector<TRoute>& Routes) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<gpx version=\"1.1\" creator=\"zylcarto\" xmlns=\"http://www.topografix.com/GPX/1/1\"";
    if (std::any_of(Tracks.begin(), Tracks.end(), HasSpeed)) s += " xmlns:gpxtpx=\"" + std::string(kGarminTpx) + "\"";
    s += ">\n";
    for (const TLandMark& L : LandMarks) {
        OpenPoint(s, "  <wpt", L.Latitude, L.Longitude);
        if (L.Altitude != 0) Element(s, "    ", "ele", L.Altitude);
        if (L.Time != 0) TimeElement(s, "    ", L.Time);
        TextElement(s, "    ", "name", L.Caption.Text.Str(), true);
        TextElement(s, "    ", "desc", L.Identifier.Str(), false);
        TextElement(s, "    ", "sym", LMTypeNames[static_cast<std::size_t>(L.SymbolProps.Kind) % LMTypeNames.size()],
                    false);
        s += "  </wpt>\n";
    }
    for (const TRoute& R : Routes) {
        s += "  <rte>\n";
        TextElement(s, "    ", "name", R.Name, false);
        for (const TRoutePoint& p : R.Points) {
            OpenPoint(s, "    <rtept", p.Latitude, p.Longitude);
            Element(s, "      ", "ele", p.Elevation);
            TimeElement(s, "      ", p.Time);
            TextElement(s, "      ", "name", p.Name, false);
            s += "    </rtept>\n";
        }
        s += "  </rte>\n";
    }
    for (const TTrack& T : Tracks) {
        s += "  <trk>\n";
        TextElement(s, "    ", "name", T.Name, false);
        for (const TTrackSegment& seg : T.Segments) {
            s += "    <trkseg>\n";
            for (const TTrackPoint& p : seg.Points) {
                OpenPoint(s, "      <trkpt", p.Latitude, p.Longitude);
                Element(s, "        ", "ele", p.Elevation);
                TimeElement(s, "        ", p.Time);
                if (std::isfinite(p.Speed))
                    s += "        <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" + DecimalNumber(p.Speed) +
                         "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>\n";
                s += "      </trkpt>\n";
            }
            s += "    </trkseg>\n";
        }
        s += "  </trk>\n";
    }
    s += "</gpx>\n";
    return s;
}

}  // namespace zylcarto
