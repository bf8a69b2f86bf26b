#include "zylcarto/exchange/nmea.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "zylcarto/exchange/text_fields.h"
#include "zylcarto/geodesy/geodesic.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kKnot = 1852.0 / 3600;  // metres per second

int HexDigit(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

unsigned Checksum(std::string_view Body) {
    unsigned sum = 0;
    for (const char c : Body) sum ^= static_cast<unsigned char>(c);
    return sum;
}

// '$', Body, '*', its checksum and CR LF.
std::string Sentence(std::string_view Body) {
    char Tail[8];
    std::snprintf(Tail, sizeof Tail, "*%02X\r\n", Checksum(Body));
    return "$" + std::string(Body) + Tail;
}

// The body between '$' and '*' when the checksum after '*' matches it.
std::optional<std::string_view> CheckedBody(std::string_view Line) {
    const std::size_t star = Line.rfind('*');
    if (star == std::string_view::npos || star + 3 != Line.size()) return std::nullopt;
    const int hi = HexDigit(Line[star + 1]), lo = HexDigit(Line[star + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    if (Checksum(Line.substr(1, star - 1)) != static_cast<unsigned>(hi * 16 + lo)) return std::nullopt;
    return Line.substr(1, star - 1);
}

std::vector<std::string_view> Fields(std::string_view Body) {
    std::vector<std::string_view> f;
    for (std::size_t start = 0;;) {
        const std::size_t comma = Body.find(',', start);
        f.push_back(Body.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return f;
        start = comma + 1;
    }
}

// n decimal digits at Text[At..]; -1 when they are not.
int Digits(std::string_view Text, std::size_t At, std::size_t N) {
    if (At + N > Text.size()) return -1;
    int v = 0;
    for (std::size_t i = At; i < At + N; ++i) {
        if (Text[i] < '0' || Text[i] > '9') return -1;
        v = v * 10 + (Text[i] - '0');
    }
    return v;
}

// dddmm.mmm with its hemisphere letter as signed degrees.
std::optional<double> Angle(std::string_view Value, std::string_view Hemisphere, int DegreeDigits, char Pos,
                            char Neg) {
    const int deg = Digits(Value, 0, static_cast<std::size_t>(DegreeDigits));
    if (deg < 0 || Hemisphere.size() != 1 || (Hemisphere[0] != Pos && Hemisphere[0] != Neg)) return std::nullopt;
    const std::string_view minText = Value.substr(static_cast<std::size_t>(DegreeDigits));
    if (minText.empty() || minText[0] == '+' || minText[0] == '-') return std::nullopt;
    const auto min = ParseNumber(minText);
    if (!min || *min >= 60) return std::nullopt;
    const double v = deg + *min / 60;
    if (v > (DegreeDigits == 2 ? 90 : 180)) return std::nullopt;
    return Hemisphere[0] == Neg ? -v : v;
}

// hhmmss[.sss] as a fraction of a day.
std::optional<double> TimeOfDay(std::string_view T) {
    const int h = Digits(T, 0, 2), m = Digits(T, 2, 2), s = Digits(T, 4, 2);
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 60) return std::nullopt;
    double frac = 0;
    if (T.size() > 6) {
        if (T[6] != '.') return std::nullopt;
        const auto f = ParseNumber(std::string("0") + std::string(T.substr(6)));
        if (!f || T.size() == 7) return std::nullopt;
        frac = *f;
    }
    return (h * 3600 + m * 60 + std::min(s, 59) + frac) / 86400;
}

// ddmmyy as the TDateTime of that midnight.
std::optional<TDateTime> Date(std::string_view D) {
    const int d = Digits(D, 0, 2), m = Digits(D, 2, 2), y = Digits(D, 4, 2);
    if (D.size() != 6 || d < 0 || m < 0 || y < 0) return std::nullopt;
    try {
        return EncodeDateTime(y < 80 ? 2000 + y : 1900 + y, m, d, 0, 0, 0);  // receivers write two digits
    } catch (const EZYLError&) {
        return std::nullopt;
    }
}

// A fix being put together from the sentences of one time of day.
struct TPending {
    bool Active = false;
    std::string TimeText;
    TTrackPoint Point;
    double TimeOfDay = 0;
    bool Dated = false;
};

class TReader {
public:
    TNmeaImport Result;

    void Line(std::string_view Line) {
        if (Line.empty()) return;
        if (Line[0] != '$') {
            ++Result.Ignored;
            return;
        }
        ++Result.Sentences;
        const auto body = CheckedBody(Line);
        if (!body) {
            ++Result.BadChecksum;
            return;
        }
        const std::vector<std::string_view> f = Fields(*body);
        const std::string_view type = f[0].size() == 5 ? f[0].substr(2) : std::string_view();
        if (type == "RMC")
            Rmc(f);
        else if (type == "GGA")
            Gga(f);
        else
            ++Result.Ignored;
    }

    void Finish() {
        Flush();
        if (!Result.Track.Segments.empty() && Result.Track.Segments.back().Points.empty())
            Result.Track.Segments.pop_back();
    }

private:
    TPending FPending;
    std::optional<TDateTime> FDate;  // of the last RMC
    double FLastTimeOfDay = -1;
    bool FBreak = true;  // the next fix starts a segment

    void Rmc(const std::vector<std::string_view>& F) {
        if (F.size() < 10) return Malformed();
        if (F[2] == "V" || (F.size() > 12 && F[12] == "N")) return NoFix();
        const auto tod = TimeOfDay(F[1]);
        const auto lat = Angle(F[3], F[4], 2, 'N', 'S'), lon = Angle(F[5], F[6], 3, 'E', 'W');
        const auto date = Date(F[9]);
        std::optional<double> knots;
        if (!F[7].empty() && !(knots = ParseNumber(F[7]))) return Malformed();
        if (F[2] != "A" || !tod || !lat || !lon || !date || (knots && *knots < 0)) return Malformed();
        Merge(F[1], *tod, *lat, *lon);
        FDate = *date;
        FPending.Dated = true;
        FPending.Point.Time = *date + *tod;
        if (knots) FPending.Point.Speed = *knots * kKnot;
    }

    void Gga(const std::vector<std::string_view>& F) {
        if (F.size() < 10) return Malformed();
        if (F[6] == "0") return NoFix();
        const auto tod = TimeOfDay(F[1]);
        const auto lat = Angle(F[2], F[3], 2, 'N', 'S'), lon = Angle(F[4], F[5], 3, 'E', 'W');
        const int quality = Digits(F[6], 0, 1);
        std::optional<double> alt;
        if (!F[9].empty() && !(alt = ParseNumber(F[9]))) return Malformed();
        if (!tod || !lat || !lon || quality < 1 || F[6].size() != 1) return Malformed();
        Merge(F[1], *tod, *lat, *lon);
        if (alt) FPending.Point.Elevation = *alt;
        if (!FPending.Dated && FDate) {
            // the date of the last RMC, or the day after once the clock has gone past midnight
            if (*tod < FLastTimeOfDay) *FDate += 1;
            FPending.Point.Time = *FDate + *tod;
        }
    }

    // Starts the fix of TimeText, or adds to it when it is the one being put together.
    void Merge(std::string_view TimeText, double Tod, double Lat, double Long) {
        if (!FPending.Active || FPending.TimeText != TimeText) {
            Flush();
            FPending = TPending{};
            FPending.Active = true;
            FPending.TimeText = TimeText;
            FPending.TimeOfDay = Tod;
        }
        FPending.Point.Latitude = Lat;
        FPending.Point.Longitude = Long;
    }

    void Flush() {
        if (!FPending.Active) return;
        if (FBreak || Result.Track.Segments.empty()) Result.Track.Segments.emplace_back();
        FBreak = false;
        Result.Track.Segments.back().Points.push_back(FPending.Point);
        FLastTimeOfDay = FPending.TimeOfDay;
        FPending.Active = false;
    }

    void NoFix() {
        ++Result.NoFix;
        Flush();
        FBreak = true;
    }

    void Malformed() { ++Result.Malformed; }
};

}  // namespace

namespace {

// Seconds of the day as hhmmss.sss.
std::string TimeField(double Seconds) {
    const long ms = std::lround(Seconds * 1000) % 86400000;
    char Buf[16];
    std::snprintf(Buf, sizeof Buf, "%02ld%02ld%02ld.%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return Buf;
}

// Degrees as dd(d)mm.mmmmmm with the hemisphere letter.
std::string AngleFields(double Degrees, int DegreeDigits, char Pos, char Neg) {
    const double a = std::fabs(Degrees);
    long micro = std::lround(a * 60e6);  // millionths of a minute
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, "%0*ld%02ld.%06ld,%c", DegreeDigits, micro / 60000000, micro / 1000000 % 60,
                  micro % 1000000, Degrees < 0 ? Neg : Pos);
    return Buf;
}

std::string Number(double Value, int Decimals) {
    if (!std::isfinite(Value)) return {};
    char Buf[40];
    std::snprintf(Buf, sizeof Buf, "%.*f", Decimals, Value);
    return Buf;
}

// The sentence types that carry a time of day, and the field it is in.
int TimeFieldIndex(std::string_view Type) {
    if (Type == "GGA" || Type == "RMC" || Type == "ZDA") return 1;
    return Type == "GLL" ? 5 : 0;
}

}  // namespace

std::string WriteNmea(const TTrack& Track) {
    std::string Out;
    bool First = true;
    for (const TTrackSegment& Seg : Track.Segments) {
        if (!First) Out += Sentence("GPRMC,,V,,,,,,,,,,N");
        First = false;
        const std::vector<TTrackPoint>& P = Seg.Points;
        for (std::size_t i = 0; i < P.size(); ++i) {
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
            try {
                DecodeDateTime(P[i].Time, y, mo, d, h, mi, se);
            } catch (const EZYLError&) {
                continue;
            }
            const double Day = std::floor(P[i].Time);
            const std::string Time = TimeField((P[i].Time - Day) * 86400);
            const TLatLong Here{P[i].Latitude, P[i].Longitude};
            double Course = std::numeric_limits<double>::quiet_NaN();
            if (i + 1 < P.size())
                Course = GeodesicInverse(Here, {P[i + 1].Latitude, P[i + 1].Longitude}).Azimuth1;
            else if (i > 0)
                Course = GeodesicInverse({P[i - 1].Latitude, P[i - 1].Longitude}, Here).Azimuth2;
            if (std::isfinite(Course) && Course < 0) Course += 360;
            const std::string Lat = AngleFields(P[i].Latitude, 2, 'N', 'S');
            const std::string Lon = AngleFields(P[i].Longitude, 3, 'E', 'W');
            char Date[16];
            std::snprintf(Date, sizeof Date, "%02d%02d%02d", d, mo, y % 100);
            Out += Sentence("GPRMC," + Time + ",A," + Lat + "," + Lon + "," + Number(P[i].Speed / kKnot, 2) + "," +
                            Number(Course, 1) + "," + Date + ",,,A");
            Out += Sentence("GPGGA," + Time + "," + Lat + "," + Lon + ",1,08,1.0," + Number(P[i].Elevation, 1) +
                            ",M,0.0,M,,");
        }
    }
    return Out;
}

std::string ScaleNmeaTimes(std::string_view Log, double Speed) {
    const bool Scale = std::isfinite(Speed) && Speed > 0;
    std::string Out;
    double First = -1, Last = -1, Offset = 0;
    for (std::string_view Line : SplitLines(Log)) {
        Line = TrimSpace(Line);
        if (Line.empty()) continue;
        const auto Body = Scale && Line[0] == '$' ? CheckedBody(Line) : std::nullopt;
        std::vector<std::string_view> F;
        if (Body) F = Fields(*Body);
        const std::size_t At = F.empty() || F[0].size() != 5 ? 0 : static_cast<std::size_t>(TimeFieldIndex(F[0].substr(2)));
        const auto Tod = At > 0 && At < F.size() ? TimeOfDay(F[At]) : std::nullopt;
        if (!Tod) {
            Out.append(Line).append("\r\n");
            continue;
        }
        double t = *Tod * 86400;
        if (Last >= 0 && t + Offset < Last - 43200) Offset += 86400;  // past midnight
        t += Offset;
        if (First < 0) First = t;
        Last = t;
        std::string NewBody;
        for (std::size_t i = 0; i < F.size(); ++i) {
            if (i > 0) NewBody += ',';
            NewBody += i == At ? TimeField(First + (t - First) / Speed) : std::string(F[i]);
        }
        Out += Sentence(NewBody);
    }
    return Out;
}

TNmeaImport ReadNmea(std::string_view Bytes) {
    TReader r;
    for (std::string_view line : SplitLines(Bytes)) r.Line(TrimSpace(line));
    r.Finish();
    return std::move(r.Result);
}

}  // namespace zylcarto
