#include "zylcarto/support/numeric.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <numbers>

#include "zylcarto/support/errors.h"

namespace zylcarto {

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
    // The atan2 form stays accurate for tiny distances and for antipodes alike.
    const double p1 = Lat1 * DegToRad, p2 = Lat2 * DegToRad, dl = (Long2 - Long1) * DegToRad;
    const double a = std::cos(p2) * std::sin(dl);
    const double b = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    const double c = std::sin(p1) * std::sin(p2) + std::cos(p1) * std::cos(p2) * std::cos(dl);
    return Radius * std::atan2(std::hypot(a, b), c);
}

// ---- Degree text -------------------------------------------------------------------------

namespace {

constexpr int kMaxDecimals = 9;
constexpr const char* kDegreeSign = "\xC2\xB0";

void AppendUnsigned(std::string& s, std::uint64_t v, int width) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    for (int n = static_cast<int>(res.ptr - buf); n < width; ++n) s += '0';
    s.append(buf, res.ptr);
}

// Two-digit whole part, then the fraction of `decimals` digits.
void AppendSexagesimal(std::string& s, std::uint64_t whole, std::uint64_t frac, int decimals) {
    AppendUnsigned(s, whole, 2);
    if (decimals > 0) {
        s += '.';
        AppendUnsigned(s, frac, decimals);
    }
}

std::string DecimalDegrees(double Value, int Decimals) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::fixed, Decimals);
    std::string digits(buf, res.ptr);
    const bool allZero = digits.find_first_not_of("0.") == std::string::npos;
    return (Value < 0.0 && !allZero ? "-" : "") + digits;
}

}  // namespace

std::string DegreeToStr(double Value, TDegreeFormat Format, int Decimals) {
    Decimals = std::clamp(Decimals, 0, kMaxDecimals);
    if (Format == dfDecimal || !std::isfinite(Value)) return DecimalDegrees(Value, Decimals);

    const std::uint64_t unit = static_cast<std::uint64_t>(std::pow(10.0, Decimals));
    const std::uint64_t perDegree = (Format == dfDegMin ? 60 : 3600) * unit;
    // Rounding once, on the smallest printed unit, carries into minutes and degrees by itself.
    const double scaled = std::round(std::fabs(Value) * static_cast<double>(perDegree));
    if (!(scaled < 1.8e19)) return DecimalDegrees(Value, Decimals);  // not an angle
    const std::uint64_t total = static_cast<std::uint64_t>(scaled);

    std::string s = Value < 0.0 && total != 0 ? "-" : "";
    AppendUnsigned(s, total / perDegree, 1);
    s += kDegreeSign;
    const std::uint64_t rest = total % perDegree;
    if (Format == dfDegMin) {
        AppendSexagesimal(s, rest / unit, rest % unit, Decimals);
        s += '\'';
    } else {
        AppendUnsigned(s, rest / (60 * unit), 2);
        s += '\'';
        AppendSexagesimal(s, rest % (60 * unit) / unit, rest % unit, Decimals);
        s += '"';
    }
    return s;
}

// ---- Hexadecimal -------------------------------------------------------------------------

std::string Hex(std::uint64_t Value, int Digits) {
    constexpr int kMaxDigits = 64;
    static constexpr char digitChars[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digitChars[Value & 0xF]);
        Value >>= 4;
    } while (Value != 0);
    const int width = std::min(Digits, kMaxDigits);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

namespace {

int HexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

}  // namespace

std::uint64_t ScanHex(std::string_view Text, std::size_t& Position) {
    std::size_t p = Position;
    while (p < Text.size() && (Text[p] == ' ' || Text[p] == '\t')) ++p;
    const auto digitAt = [&](std::size_t i) { return i < Text.size() && HexDigit(Text[i]) >= 0; };
    if (p < Text.size() && Text[p] == '$' && digitAt(p + 1))
        ++p;
    else if (p + 1 < Text.size() && Text[p] == '0' && (Text[p + 1] == 'x' || Text[p + 1] == 'X') && digitAt(p + 2))
        p += 2;
    if (!digitAt(p)) return 0;
    std::uint64_t value = 0;
    for (; digitAt(p); ++p) value = (value << 4) | static_cast<std::uint64_t>(HexDigit(Text[p]));
    Position = p;
    return value;
}

// ---- Date and time -----------------------------------------------------------------------

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochShift = -25569;
constexpr double kMinDateTime = -693593.0;  // 0001-01-01
constexpr double kMaxDateTime = 2958466.0;  // 10000-01-01

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool ValidDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
    return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 && Day <= DaysInMonth(Year, Month) &&
           Hour >= 0 && Hour <= 23 && Minute >= 0 && Minute <= 59 && Second >= 0 && Second <= 59;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (era arithmetic).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

bool ReadDigits(std::string_view Text, std::size_t& p, std::size_t count, int& value) {
    if (Text.size() - p < count) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i, ++p) {
        const char ch = Text[p];
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + (ch - '0');
    }
    return true;
}

}  // namespace

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
    if (!ValidDateTime(Year, Month, Day, Hour, Minute, Second)) throw EZYLError("Invalid date or time");
    const std::int64_t days =
        DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) - kEpochShift;
    return static_cast<double>(days) + (Hour * 3600 + Minute * 60 + Second) / static_cast<double>(kSecondsPerDay);
}

void DecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Minute, int& Second) {
    if (!(Value >= kMinDateTime && Value < kMaxDateTime)) throw EZYLError("Invalid date or time");
    // Rounding to the second first, so 23:59:59.9999 becomes the next midnight, not 23:59:60.
    std::int64_t secs = std::llround(Value * kSecondsPerDay);
    std::int64_t days = secs / kSecondsPerDay, tod = secs % kSecondsPerDay;
    if (tod < 0) {
        tod += kSecondsPerDay;
        --days;
    }
    CivilFromDays(days + kEpochShift, Year, Month, Day);
    Hour = static_cast<int>(tod / 3600);
    Minute = static_cast<int>(tod / 60 % 60);
    Second = static_cast<int>(tod % 60);
}

bool ScanDateTime(std::string_view Text, std::string_view Format, int /*Language*/, std::size_t& Position,
                  TDateTime& Result) {
    if (Position > Text.size()) return false;
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    struct Field {
        std::string_view token;
        int* target;
    };
    const Field fields[] = {{"yyyy", &year}, {"mm", &month},  {"dd", &day},
                            {"HH", &hour},   {"MM", &minute}, {"SS", &second}};
    std::size_t p = Position;
    for (std::size_t f = 0; f < Format.size();) {
        const Field* match = nullptr;
        for (const Field& field : fields)
            if (Format.substr(f, field.token.size()) == field.token) match = &field;
        if (match) {
            if (!ReadDigits(Text, p, match->token.size(), *match->target)) return false;
            f += match->token.size();
        } else {
            if (p >= Text.size() || Text[p] != Format[f]) return false;  // a literal of the format
            ++p;
            ++f;
        }
    }
    if (!ValidDateTime(year, month, day, hour, minute, second)) return false;
    Result = EncodeDateTime(year, month, day, hour, minute, second);
    Position = p;
    return true;
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          std::min(local.tm_sec, 59)) +
           static_cast<double>(ms) / (1000.0 * kSecondsPerDay);
}

// ---- Rounding and sampling ---------------------------------------------------------------

namespace {

// 10^e for any exponent a double can hold; the split keeps each factor finite.
double Scale10(double v, int e) {
    if (e >= 0) {
        if (e > 300) return v * std::pow(10.0, e - 300) * 1e300;
        return v * std::pow(10.0, e);
    }
    if (e < -300) return v / std::pow(10.0, -e - 300) / 1e300;
    return v / std::pow(10.0, -e);  // division keeps 0.2 and 0.05 exact to the last bit
}

}  // namespace

double Round125(double x) {
    if (!(x > 0.0) || !std::isfinite(x)) return 0.0;
    int e = static_cast<int>(std::floor(std::log10(x)));
    double m = Scale10(x, -e);
    if (m >= 10.0) {
        m /= 10.0;
        ++e;
    } else if (m < 1.0) {
        m *= 10.0;
        --e;
    }
    double step;
    if (m < std::numbers::sqrt2)
        step = 1.0;
    else if (m < std::sqrt(10.0))
        step = 2.0;
    else if (m < std::sqrt(50.0))
        step = 5.0;
    else
        step = 10.0;
    const double r = Scale10(step, e);
    return std::isfinite(r) ? r : 1e308;  // 2e308 does not exist as a double
}

namespace {

// splitmix64: the counter advances atomically, so concurrent callers never share a draw.
std::atomic<std::uint64_t> gRandomState{0x5DEECE66DULL};

std::uint64_t NextRandom() {
    std::uint64_t z = gRandomState.fetch_add(0x9E3779B97F4A7C15ULL, std::memory_order_relaxed) + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

bool BRandom(double p) {
    if (!(p > 0.0)) return false;
    if (p >= 1.0) return true;
    const double u = static_cast<double>(NextRandom() >> 11) * 0x1.0p-53;  // [0, 1)
    return u < p;
}

void SetRandomSeed(std::uint64_t Seed) { gRandomState.store(Seed, std::memory_order_relaxed); }

// ---- Clipping ----------------------------------------------------------------------------

void TSLine::LineFrom2Points(double x1, double y1, double x2, double y2) {
    FX1 = x1;
    FY1 = y1;
    FX2 = x2;
    FY2 = y2;
}

bool TSLine::ClipBox(double Left, double Bottom, double Right, double Top, double& x1, double& y1, double& x2,
                     double& y2) const {
    // Liang-Barsky: each box edge narrows the parameter range [t0, t1] of the segment.
    if (!std::isfinite(FX1) || !std::isfinite(FY1) || !std::isfinite(FX2) || !std::isfinite(FY2)) return false;
    if (std::isnan(Left) || std::isnan(Bottom) || std::isnan(Right) || std::isnan(Top)) return false;
    if (Left > Right) ExChange(Left, Right);
    if (Bottom > Top) ExChange(Bottom, Top);
    const double dx = FX2 - FX1, dy = FY2 - FY1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {FX1 - Left, Right - FX1, FY1 - Bottom, Top - FY1};
    double t0 = 0.0, t1 = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;  // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    // The clamp keeps rounding from leaving a clipped end a hair outside the box.
    x1 = std::clamp(t0 == 0.0 ? FX1 : FX1 + t0 * dx, Left, Right);
    y1 = std::clamp(t0 == 0.0 ? FY1 : FY1 + t0 * dy, Bottom, Top);
    x2 = std::clamp(t1 == 1.0 ? FX2 : FX1 + t1 * dx, Left, Right);
    y2 = std::clamp(t1 == 1.0 ? FY2 : FY1 + t1 * dy, Bottom, Top);
    return true;
}

}  // namespace zylcarto
