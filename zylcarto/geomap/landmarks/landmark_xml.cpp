#include "zylcarto/geomap/landmarks/landmark_xml.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "zylcarto/geomap/calibration/calib_text.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/support/ansi.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

constexpr std::array<std::string_view, 8> kElementNames{"cross",     "square",  "triangle", "circle",
                                                        "arrowfrom", "arrowto", "crossbox", "spade"};
constexpr std::array<TLandMarkElement, 8> kElements{lmCross,     lmSquare,  lmTriangle, lmCircle,
                                                    lmArrowFrom, lmArrowTo, lmCrossBox, lmSpade};
constexpr std::string_view kDateFormat = "yyyymmddHHMMSS";

double NumberAttr(std::string_view A, std::string_view Name) {
    return ScanNumber(GetAttribute(A, Name), true, dsPointOrComma);
}
int IntAttr(std::string_view A, std::string_view Name) { return ScanInteger(GetAttribute(A, Name)); }
TColor ColorAttr(std::string_view A, std::string_view Name) {
    std::size_t p = 0;
    return static_cast<TColor>(ScanHex(GetAttribute(A, Name), p));
}
bool BoolAttr(std::string_view A, std::string_view Name) {
    return LowerCase(GetAttribute(A, Name)).find("true") != std::string::npos;
}

TAlignment AlignmentFromByte(int Value) {
    const auto b = static_cast<std::uint8_t>(Value);
    return b <= static_cast<std::uint8_t>(taCenter) ? static_cast<TAlignment>(b) : taLeftJustify;
}
TVerticalAlignment VAlignmentFromByte(int Value) {
    const auto b = static_cast<std::uint8_t>(Value);
    return b <= static_cast<std::uint8_t>(vaBottom) ? static_cast<TVerticalAlignment>(b) : vaTop;
}

TFontStyles FontStylesFromText(std::string_view Text) {
    static constexpr TFontStyle order[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
    TFontStyles styles;
    for (std::size_t i = 0; i < 4 && i < Text.size(); ++i)
        if (Text[i] == '1') styles.Include(order[i]);
    return styles;
}

std::string FontStylesText(const TFontStyles& Styles) {
    std::string s;
    for (TFontStyle f : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) s += Styles.Contains(f) ? '1' : '0';
    return s;
}

std::string DateText(TDateTime Time) {
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0;
    try {
        DecodeDateTime(Time, y, mo, d, h, mi, s);
    } catch (const EZYLError&) {
        // a time no calendar holds is written as the zero date
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", y, mo, d, h, mi, s);
    return buf;
}

std::string ElementName(TLandMarkElement Kind) {
    const auto ix = static_cast<std::size_t>(Kind);
    return std::string(ix < LMTypeNames.size() ? LMTypeNames[ix] : LMTypeNames[static_cast<std::size_t>(lmCross)]);
}

std::string Attr(std::string_view Name, std::string_view Value) {
    return std::string(Name) + "=\"" + std::string(Value) + "\" ";
}

}  // namespace

std::string LandMarkTag(const TLandMark& L) {
    const TSymbolProperties& s = L.SymbolProps;
    const TLMTextProperties& c = L.Caption;
    std::string line = "<landmark ";
    line += Attr("lat", FormatShortest(L.Latitude));
    line += Attr("long", FormatShortest(L.Longitude));
    line += Attr("alti", FormatShortest(L.Altitude));
    line += Attr("class", std::to_string(L.ClassFlag));
    line += Attr("usertag", std::to_string(L.Tag));
    line += Attr("colorfg", Hex(s.FGColor, 8));
    line += Attr("colorbg", Hex(s.BGColor, 8));
    line += Attr("size", std::to_string(s.Size));
    line += Attr("transp", BoolText(s.Transparent));
    line += Attr("dir", std::to_string(s.Direction));
    line += Attr("leng", std::to_string(s.Length));
    line += Attr("element", ElementName(s.Kind));
    line += Attr("id", QuotableText(L.Identifier.Ansi()));
    line += Attr("date", DateText(L.Time));
    line += Attr("captext", QuotableText(c.Text.Ansi()));
    line += Attr("capsize", std::to_string(c.Size));
    line += Attr("capfnm", QuotableText(Utf8ToAnsi(c.FontName)));
    line += Attr("capfgcol", Hex(c.FGColor, 8));
    line += Attr("capbgcol", Hex(c.BGColor, 8));
    line += Attr("captransp", BoolText(c.Transparent));
    line += Attr("capdir", std::to_string(c.Direction));
    line += Attr("capdx", std::to_string(c.dx));
    line += Attr("capdy", std::to_string(c.dy));
    line += Attr("caphal", std::to_string(static_cast<int>(c.HAlignment)));
    line += Attr("capval", std::to_string(static_cast<int>(c.VAlignment)));
    line += Attr("capfst", FontStylesText(c.FontStyles));
    line += "/>";
    return line;
}

TLandMarkElement LandMarkElementFromName(std::string_view Name) {
    const std::string lower = LowerCase(Name);
    for (std::size_t i = 0; i < kElementNames.size(); ++i)
        if (kElementNames[i] == lower) return kElements[i];
    return lmCross;
}

TLandMark LandMarkFromAttributes(std::string_view A) {
    TLandMark L;
    L.Latitude = NumberAttr(A, "lat");
    L.Longitude = NumberAttr(A, "long");
    L.Altitude = NumberAttr(A, "alti");
    L.ClassFlag = static_cast<std::uint8_t>(IntAttr(A, "class") & 0xFF);
    L.Tag = IntAttr(A, "usertag");

    TSymbolProperties& s = L.SymbolProps;
    s.FGColor = ColorAttr(A, "colorfg");
    s.BGColor = ColorAttr(A, "colorbg");
    s.Size = IntAttr(A, "size");
    s.Transparent = BoolAttr(A, "transp");
    s.Direction = IntAttr(A, "dir");
    s.Length = IntAttr(A, "leng");
    s.Kind = LandMarkElementFromName(GetAttribute(A, "element"));

    L.Identifier.AssignAnsi(GetAttribute(A, "id"));
    L.Time = 0;
    std::size_t p = 0;
    ScanDateTime(GetAttribute(A, "date"), kDateFormat, 0, p, L.Time);

    TLMTextProperties& c = L.Caption;
    c.Text.AssignAnsi(GetAttribute(A, "captext"));
    c.Size = IntAttr(A, "capsize");
    c.FontName = AnsiToUtf8(GetAttribute(A, "capfnm"));
    c.FGColor = ColorAttr(A, "capfgcol");
    c.BGColor = ColorAttr(A, "capbgcol");
    c.Transparent = BoolAttr(A, "captransp");
    c.Direction = IntAttr(A, "capdir");
    c.dx = IntAttr(A, "capdx");
    c.dy = IntAttr(A, "capdy");
    c.HAlignment = AlignmentFromByte(IntAttr(A, "caphal"));
    c.VAlignment = VAlignmentFromByte(IntAttr(A, "capval"));
    c.FontStyles = FontStylesFromText(GetAttribute(A, "capfst"));
    return L;
}

namespace {

// A value that is there must be a number as a whole; a missing one reads as 0.
bool NumberOrAbsent(std::string_view A, std::string_view Name) {
    const std::string text = TrimBlanks(GetAttribute(A, Name));
    if (text.empty()) return true;
    std::size_t end = 0;
    ScanNumber(text, true, dsPointOrComma, end);
    return end == text.size();
}

// The tag describes a landmark that can be: a position on the globe, a class.
bool PossibleLandMark(std::string_view A, const TLandMark& L) {
    if (!NumberOrAbsent(A, "lat") || !NumberOrAbsent(A, "long")) return false;
    if (!IsGeoPosition(L.Latitude, L.Longitude)) return false;
    const std::string cls = TrimBlanks(GetAttribute(A, "class"));
    std::size_t end = 0;
    const std::int32_t value = ScanInteger(cls, end);
    return cls.empty() || (end == cls.size() && value >= 0 && value <= 255);
}

}  // namespace

bool ReadLandMarkSet(TXmlSource& Source, std::string_view DataID, std::vector<TLandMark>& LandMarks, int* Skipped) {
    std::string header;
    if (!FindDataSetHeader(Source, "<gmlandmarks", DataID, header)) return false;
    std::vector<TLandMark> read;
    int skipped = 0;
    std::string attributes, content;
    for (;;) {
        const std::uint8_t tag = Source.ReadTag(attributes, content);
        if (tag == ctGeoMapEnd || tag == ctInvalidTag) break;
        if (tag != ctLandmark) continue;
        TLandMark L = LandMarkFromAttributes(attributes);
        // Within a whole turn, a longitude is the meridian it names (181 is -179).
        L.Longitude = GivenLongitude(L.Longitude);
        if (PossibleLandMark(attributes, L))
            read.push_back(L);
        else
            ++skipped;
    }
    LandMarks = std::move(read);
    if (Skipped) *Skipped = skipped;
    return true;
}

void WriteLandMarkSet(TTextFile& F, bool WriteHeader, const std::string& DataID, int Count,
                      const std::function<const TLandMark&(int Index)>& LandMarkAt) {
    if (WriteHeader) F.WriteLn("<?xml version=\"1.0\"?>");
    F.WriteLn("");
    F.WriteLn("<!-- TGeoMap Landmarks / Zyl Component Suite -->");
    F.WriteLn("<gmlandmarks sig=\"ZYLCSuite\" vers=\"1.0\" id=\"" + QuotableText(Utf8ToAnsi(DataID)) + "\">");
    for (int i = 1; i <= Count; ++i) F.WriteLn(LandMarkTag(LandMarkAt(i)));
    F.WriteLn("</gmlandmarks>");
}

}  // namespace zylcarto
