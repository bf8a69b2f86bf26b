#include "zylcarto/geodesy/mgrs.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string>

#include "zylcarto/geodesy/projections.h"

namespace zylcarto {
namespace {

constexpr double Tile = 100000.0;  // the side of a lettered square, metres
constexpr int MaxPrecision = 5;

constexpr std::string_view UTMBands = "CDEFGHJKLMNPQRSTUVWX";
// Column letters repeat every three zones, row letters every 2000 km of northing.
constexpr std::array<std::string_view, 3> UTMColumns = {"ABCDEFGH", "JKLMNPQR", "STUVWXYZ"};
constexpr std::string_view UTMRows = "ABCDEFGHJKLMNPQRSTUV";
constexpr int UTMRowPeriod = 20;

// The polar bands in the order A, B (south pole, west and east), Y, Z (north pole).
constexpr std::string_view UPSBands = "ABYZ";
constexpr std::array<std::string_view, 4> UPSColumns = {"JKLPQRSTUXYZ", "ABCFGHJKLPQR", "RSTUXYZ", "ABCFGHJ"};
constexpr std::array<std::string_view, 2> UPSRows = {"ABCDEFGHJKLMNPQRSTUVWXYZ", "ABCDEFGHJKLMNP"};
// The first lettered 100 km column and row about each pole, and the column of the pole.
constexpr int UPSFirstSouth = 8, UPSFirstNorth = 13, UPSPoleColumn = 20;

int RowShift(int Zone, TGeoEllipsoid E) { return (Zone % 2 == 0 ? 5 : 0) + (MGRSUsesOldLettering(E) ? 10 : 0); }

// Splits a grid coordinate into its 100 km index and the metres within the square.
void SplitTile(double Value, int& Index, double& Rest) {
    double index = std::floor(Value / Tile);
    Rest = Value - index * Tile;
    if (Rest < 0) {  // the quotient rounded up to the next square
        index -= 1;
        Rest += Tile;
    }
    Index = static_cast<int>(index);
}

void AppendDigits(std::string& S, double Rest, int Precision) {
    if (Precision == 0) return;
    // Truncation: the reference names the square that holds the point.
    const double unit = std::pow(10.0, MaxPrecision - Precision), limit = std::pow(10.0, Precision) - 1;
    const std::string digits = std::to_string(static_cast<long>(std::min(std::floor(Rest / unit), limit)));
    S.append(static_cast<std::size_t>(Precision) - digits.size(), '0');
    S += digits;
}

bool InGrid(double Value, double Low, double High) { return Value >= Low && Value < High; }

// A character of the text for a message; bytes outside ASCII are named by value.
std::string Named(char C) {
    const auto u = static_cast<unsigned char>(C);
    if (u >= 0x21 && u < 0x7F) return std::string("'") + C + "'";
    if (C == ' ') return "a blank";
    static const char* hex = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[u >> 4] + hex[u & 15];
}

int Fail(std::string* Message, std::string Text) {
    if (Message) *Message = std::move(Text);
    return mgrsBadText;
}

bool IsBlank(char C) { return C == ' ' || C == '\t'; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
char Upper(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }

// The parts of a reference as written.
struct TParts {
    int Zone = 0;  // 0: a polar band
    char Band = 0, Column = 0, Row = 0;
    int Precision = 0;
    double Easting = 0, Northing = 0;  // the digits as metres within the square
};

int Parse(std::string_view T, TParts& P, std::string* Message) {
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < T.size() && IsBlank(T[i])) ++i;
    };
    skipBlanks();
    if (i == T.size()) return Fail(Message, "empty MGRS reference");
    std::size_t start = i;
    while (i < T.size() && IsDigit(T[i])) ++i;
    if (i - start > 2) return Fail(Message, "zone \"" + std::string(T.substr(start, i - start)) + "\" is not 1..60");
    if (i > start) {
        P.Zone = std::stoi(std::string(T.substr(start, i - start)));
        if (P.Zone < 1 || P.Zone > 60) return Fail(Message, "zone " + std::to_string(P.Zone) + " is not 1..60");
    }
    skipBlanks();
    if (i == T.size()) return Fail(Message, "no latitude band letter");
    P.Band = Upper(T[i]);
    if (P.Zone != 0 && UTMBands.find(P.Band) == std::string_view::npos)
        return Fail(Message, "latitude band " + Named(T[i]) + " does not exist (C..X without I and O)");
    if (P.Zone == 0 && UPSBands.find(P.Band) == std::string_view::npos)
        return Fail(Message, "expected a zone number or a polar band A, B, Y or Z, found " + Named(T[i]));
    ++i;
    for (char* letter : {&P.Column, &P.Row}) {
        skipBlanks();
        if (i == T.size()) return Fail(Message, "the 100 km square needs two letters");
        if (!std::isalpha(static_cast<unsigned char>(T[i])))
            return Fail(Message, "expected a 100 km square letter, found " + Named(T[i]));
        *letter = Upper(T[i++]);
    }
    skipBlanks();
    // The digits: easting and northing run together, or apart with blanks between them.
    std::string digits;
    std::size_t split = std::string::npos;
    for (; i < T.size(); ++i) {
        if (IsDigit(T[i])) {
            digits += T[i];
        } else if (IsBlank(T[i])) {
            if (split != std::string::npos && split != digits.size())
                return Fail(Message, "the digits are in more than two groups");
            split = digits.size();
        } else {
            return Fail(Message, "unexpected " + Named(T[i]) + " at position " + std::to_string(i + 1));
        }
    }
    if (split == digits.size()) split = std::string::npos;  // blanks at the end only
    if (digits.size() % 2 != 0)
        return Fail(Message, "an odd number of digits (" + std::to_string(digits.size()) +
                                 "): easting and northing need as many each");
    P.Precision = static_cast<int>(digits.size() / 2);
    if (P.Precision > MaxPrecision) return Fail(Message, "more than 5 digits each for easting and northing");
    if (split != std::string::npos && split * 2 != digits.size())
        return Fail(Message, "easting and northing have different numbers of digits (" + std::to_string(split) +
                                 " and " + std::to_string(digits.size() - split) + ")");
    const double unit = std::pow(10.0, MaxPrecision - P.Precision);
    for (int k = 0; k < P.Precision; ++k) {
        P.Easting = P.Easting * 10 + (digits[static_cast<std::size_t>(k)] - '0');
        P.Northing = P.Northing * 10 + (digits[static_cast<std::size_t>(k + P.Precision)] - '0');
    }
    P.Easting *= unit;
    P.Northing *= unit;
    return mgrsOK;
}

std::string Letters(std::string_view Set) { return "letters " + std::string(Set); }

// The UTM square of the parts: its south-west corner in metres from the
// equator (negative south) after checking that it reaches the latitude band.
int UTMSquare(const TParts& P, TGeoEllipsoid E, double& X0, double& Y0, std::string* Message) {
    const std::string where = std::to_string(P.Zone) + P.Band;
    if (P.Band == 'X' && (P.Zone == 32 || P.Zone == 34 || P.Zone == 36))
        return Fail(Message, "grid zone " + where + " does not exist (Svalbard has zones 31, 33, 35 and 37)");
    const std::string_view columns = UTMColumns[static_cast<std::size_t>((P.Zone - 1) % 3)];
    const auto column = columns.find(P.Column);
    if (column == std::string_view::npos)
        return Fail(Message, "column letter " + Named(P.Column) + " is not used in zone " + std::to_string(P.Zone) +
                                 " (" + Letters(columns) + ")");
    const auto row = UTMRows.find(P.Row);
    if (row == std::string_view::npos)
        return Fail(Message, "row letter " + Named(P.Row) + " does not exist (" + Letters(UTMRows) + ")");
    const int band = static_cast<int>(UTMBands.find(P.Band)) - 10;
    const double latLow = 8.0 * band, latHigh = band == 9 ? 84.0 : latLow + 8.0;
    // Of the rows with this letter, 2000 km apart, take the one nearest the
    // band's middle (about 111 km per degree); a band spans at most 16 rows.
    const int periodic = (static_cast<int>(row) - RowShift(P.Zone, E) + 2 * UTMRowPeriod) % UTMRowPeriod;
    const double middleRow = (latLow + latHigh) / 2 * (100.0 / 90.0);
    const int absRow = periodic + UTMRowPeriod * static_cast<int>(std::lround((middleRow - periodic) / UTMRowPeriod));
    X0 = (static_cast<double>(column) + 1) * Tile;
    Y0 = absRow * Tile;
    // Latitude along a line of constant northing falls away from the central
    // meridian, and the square's edges lie on 100 km lines, so the corners bound it.
    const bool south = absRow < 0;
    double minLat = 90, maxLat = -90;
    for (double x : {X0, X0 + Tile})
        for (double y : {Y0, Y0 + Tile}) {
            double lat, lon;
            UTMToLatLong(x, south ? y + 1e7 : y, P.Zone, south, E, lat, lon);
            minLat = std::min(minLat, lat);
            maxLat = std::max(maxLat, lat);
        }
    // The outermost bands are lettered on beyond 80 S and 84 N, to the rows of
    // 9000 km south and 9500 km north, as GeoConvert does.
    const bool reaches = band == -10 ? absRow >= -90 && minLat < latHigh
                         : band == 9 ? absRow <= 94 && maxLat > latLow
                                     : maxLat > latLow && minLat < latHigh;
    if (!reaches)
        return Fail(Message, std::string("the 100 km square ") + P.Column + P.Row + " is not in grid zone " + where);
    return mgrsOK;
}

int UPSSquare(const TParts& P, double& X0, double& Y0, std::string* Message) {
    const auto band = UPSBands.find(P.Band);
    if (band == std::string_view::npos) return Fail(Message, "no polar band");  // Parse let only A, B, Y, Z pass
    const bool north = band >= 2, east = band % 2 == 1;
    const std::string_view columns = UPSColumns[band], rows = UPSRows[north ? 1 : 0];
    const auto column = columns.find(P.Column), row = rows.find(P.Row);
    const std::string where = std::string("polar band ") + P.Band;
    if (column == std::string_view::npos)
        return Fail(Message,
                    "column letter " + Named(P.Column) + " is not used in " + where + " (" + Letters(columns) + ")");
    if (row == std::string_view::npos)
        return Fail(Message, "row letter " + Named(P.Row) + " is not used in " + where + " (" + Letters(rows) + ")");
    const int first = north ? UPSFirstNorth : UPSFirstSouth;
    X0 = (static_cast<double>(column) + (east ? UPSPoleColumn : first)) * Tile;
    Y0 = (static_cast<double>(row) + first) * Tile;
    return mgrsOK;
}

}  // namespace

bool MGRSUsesOldLettering(TGeoEllipsoid E) {
    switch (E) {
    case gelBess41:
    case gelBess41Jap:
    case gelBess41Nam:
    case gelClrk66:
    case gelClrk66Mich:
    case gelClrk80:
    case gelClrk80RGS:
    case gelClrk80Arc:
    case gelClrk80Benoit:
    case gelClrk80IGN:
    case gelClrk80intfoot:
    case gelClrk80SGA22: return true;
    default: return false;
    }
}

int LatLongToMGRS(double Lat, double Long, TGeoEllipsoid E, int Precision, std::string& MGRS) {
    MGRS.clear();
    if (!(Lat >= -90.0 && Lat <= 90.0)) return mgrsBadLatitude;
    if (!std::isfinite(Long)) return mgrsBadLongitude;
    if (Precision < 0 || Precision > MaxPrecision) return mgrsBadPrecision;
    Long = std::fmod(Long, 360.0);
    if (Long >= 180.0) Long -= 360.0;
    if (Long < -180.0) Long += 360.0;

    int zone = 0;
    char band = ' ';
    GeoToUTMZone(Lat, Long, zone, band);
    double x, y;
    std::string s;
    int column, row;
    double restX, restY;
    if (zone != 0) {
        LatLongToUTM(Lat, Long, E, zone, x, y);
        if (!InGrid(x, Tile, 9 * Tile) || !InGrid(y, 0, 1e7)) return mgrsOffGrid;
        // A latitude a hair south of the equator rounds into band N but has a southern northing.
        if (Lat < 0 && band == 'N') band = 'M';
        SplitTile(x, column, restX);
        SplitTile(y, row, restY);
        s = {static_cast<char>('0' + zone / 10), static_cast<char>('0' + zone % 10), band,
             UTMColumns[static_cast<std::size_t>((zone - 1) % 3)][static_cast<std::size_t>(column - 1)],
             UTMRows[static_cast<std::size_t>((row + RowShift(zone, E)) % UTMRowPeriod)]};
    } else {
        LatLongToUPS(Lat, Long, E, x, y);
        if (!InGrid(x, 0, 4e6) || !InGrid(y, 0, 4e6)) return mgrsOffGrid;
        SplitTile(x, column, restX);
        SplitTile(y, row, restY);
        const bool north = Lat > 0, east = column >= UPSPoleColumn;
        const std::size_t b = (north ? 2 : 0) + (east ? 1 : 0);
        const int first = north ? UPSFirstNorth : UPSFirstSouth;
        const int c = column - (east ? UPSPoleColumn : first), r = row - first;
        const std::string_view rows = UPSRows[north ? 1 : 0];
        if (c < 0 || c >= static_cast<int>(UPSColumns[b].size()) || r < 0 || r >= static_cast<int>(rows.size()))
            return mgrsOffGrid;
        s = {UPSBands[b], UPSColumns[b][static_cast<std::size_t>(c)], rows[static_cast<std::size_t>(r)]};
    }
    AppendDigits(s, restX, Precision);
    AppendDigits(s, restY, Precision);
    MGRS = std::move(s);
    return mgrsOK;
}

int MGRSToLatLong(std::string_view MGRS, TGeoEllipsoid E, double& Lat, double& Long, int& Precision,
                  std::string* Message) {
    TParts p;
    if (Parse(MGRS, p, Message) != mgrsOK) return mgrsBadText;
    double x0, y0;
    const int status = p.Zone != 0 ? UTMSquare(p, E, x0, y0, Message) : UPSSquare(p, x0, y0, Message);
    if (status != mgrsOK) return status;
    const double half = std::pow(10.0, MaxPrecision - p.Precision) / 2;
    const double x = x0 + p.Easting + half, y = y0 + p.Northing + half;
    double lat, lon;
    if (p.Zone != 0) {
        const bool south = y0 < 0;
        UTMToLatLong(x, south ? y + 1e7 : y, p.Zone, south, E, lat, lon);
    } else {
        UPSToLatLong(x, y, p.Band == 'A' || p.Band == 'B', E, lat, lon);
    }
    // The squares of zone 60 reach across the antimeridian.
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    Lat = lat;
    Long = lon;
    Precision = p.Precision;
    return mgrsOK;
}

}  // namespace zylcarto
