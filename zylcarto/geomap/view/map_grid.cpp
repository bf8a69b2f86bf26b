#include "zylcarto/geomap/view/map_grid.h"

#include <QPainter>
#include <cmath>
#include <utility>

#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/jpeg_codec.h"
#include "zylcarto/geomap/view/scale_bar.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr TColor kGridColor = 0xC0C0C0;

long RoundHalfEven(double v) { return std::lrint(v); }

// Visits Int(Low / Step) * Step, + Step, ... while below High; false (and no
// visit) when there would be more values than MaxCount.
template <typename Visit>
void ForEachGridValue(double Low, double High, double Step, long MaxCount, Visit&& visit) {
    const double start = std::trunc(Low / Step) * Step;
    const double count = (High - start) / Step;
    if (!std::isfinite(count) || count > static_cast<double>(MaxCount)) return;
    // Counting instead of adding keeps the loop finite where Step vanishes beside the values.
    for (long k = 0;; ++k) {
        const double v = start + static_cast<double>(k) * Step;
        if (!(v < High) || k > MaxCount) break;
        visit(v);
    }
}

}  // namespace

TGeneratedMapBounds NormalizedMapBounds(TGeneratedMapBounds B) {
    if (B.LatLow > B.LatHigh) std::swap(B.LatLow, B.LatHigh);
    if (B.LongLow > B.LongHigh) std::swap(B.LongLow, B.LongHigh);
    if (!(B.dLat > 0)) B.dLat = 1;
    if (!(B.dLong > 0)) B.dLong = 1;
    if (B.Wid < 100) B.Wid = 100;
    if (B.Hgt < 100) B.Hgt = 100;
    return B;
}

bool PossibleMapBounds(const TGeneratedMapBounds& B) {
    const auto latitude = [](double v) { return std::fabs(v) <= 90; };
    const auto longitude = [](double v) { return std::fabs(v) <= 360; };
    return latitude(B.LatLow) && latitude(B.LatHigh) && longitude(B.LongLow) && longitude(B.LongHigh) &&
           std::fabs(B.LongHigh - B.LongLow) <= 360 && std::isfinite(B.dLat) && std::isfinite(B.dLong);
}

TDegreeFormat GridLabelFormat(double Step) {
    if (Step <= 0.06) return dfDegMinSec;
    if (Step == std::trunc(Step)) return dfDecimal;
    return dfDegMin;
}

std::string GridLabel(double Value, bool Parallel, double Step) {
    if (!Parallel) Value = NormalizeLongitude(Value);
    const char* hemi = Parallel ? (Value >= 0 ? " N " : " S ") : (Value >= 0 ? " E " : " W ");
    return " " + DegreeToStr(std::fabs(Value), GridLabelFormat(Step), 0) + hemi;
}

void DrawMapGrid(TCanvas& C, const TGeneratedMapBounds& B) {
    const int W = B.Wid, H = B.Hgt, in = GeneratedMapInset;
    C.Pen = TCanvasPen{};
    const auto outline = [&C](int l, int t, int r, int b) {
        C.MoveTo(l, t);
        C.LineTo(r, t);
        C.LineTo(r, b);
        C.LineTo(l, b);
        C.LineTo(l, t);
    };
    outline(in, in, W - in, H - in);
    C.Pen.Style = psDot;
    outline(in - 4, in - 4, W - in + 4, H - in + 4);
    C.Pen.Style = psDash;
    C.Pen.Color = kGridColor;
    C.Brush.Style = bsClear;

    // A map view draws its scale bar over the bottom-left corner: labels there
    // would be hidden whenever the map is shown at 2/3 of its size or larger.
    // Each line keeps its label on the opposite side.
    const int keepClearRight = ScaleBarCornerWidth * 3 / 2, keepClearTop = H - ScaleBarCornerHeight * 3 / 2;
    const double latSpan = B.LatHigh - B.LatLow, longSpan = B.LongHigh - B.LongLow;
    ForEachGridValue(B.LatLow, B.LatHigh, B.dLat, H, [&](double lat) {
        const long y = H - RoundHalfEven((lat - B.LatLow) / latSpan * (H - 2 * in)) - in;
        if (!(y > in && y < H - in)) return;
        const int yi = static_cast<int>(y);
        C.MoveTo(in, yi);
        C.LineTo(W - in, yi);
        const std::string label = GridLabel(lat, true, B.dLat);
        const int w = C.TextWidth(label), h = C.TextHeight(label);
        if (yi + h / 2 < keepClearTop) C.TextOut(in + 6, yi - h / 2, label);
        C.TextOut(W - w - in - 6, yi - h / 2, label);
    });
    ForEachGridValue(B.LongLow, B.LongHigh, B.dLong, W, [&](double lon) {
        const long x = RoundHalfEven((lon - B.LongLow) / longSpan * (W - 2 * in)) + in;
        if (!(x > in && x < W - in)) return;
        const int xi = static_cast<int>(x);
        C.MoveTo(xi, in);
        C.LineTo(xi, H - in);
        const std::string label = GridLabel(lon, false, B.dLong);
        const int w = C.TextWidth(label), h = C.TextHeight(label);
        C.TextOut(xi - w / 2, in - 6 - h, label);
        if (xi - w / 2 > keepClearRight) C.TextOut(xi - w / 2, H - in + 6, label);
    });
}

void WriteGeneratedMapJpeg(const TGeneratedMapBounds& B, const std::string& FileName,
                           const std::function<void(int)>& Progress) {
    constexpr int kQuality = 90;
    const auto band = [&B](int First, int Rows) {
        QImage rows(B.Wid, Rows, QImage::Format_RGB32);
        rows.fill(Qt::white);
        {
            QPainter painter(&rows);
            painter.translate(0, -First);  // the whole grid, clipped to the band
            TCanvas canvas(painter, B.Wid, B.Hgt);
            DrawMapGrid(canvas, B);
        }
        return rows;
    };
    EncodeJpegRows(B.Wid, B.Hgt, band, FileName, kQuality, Progress);
}

TCalibData GeneratedMapCalibration(const TGeneratedMapBounds& B, bool Inset, const std::string& MapFName) {
    TCalibData d;
    d.MapFName = MapFName;
    d.Caption = "Map generated by TGeoMap";
    d.Ellipsoid = gelWGS84;
    d.UTMZone = -1;
    d.Corners[gcoTopLeft] = {B.LatHigh, B.LongLow};
    d.Corners[gcoBottomLeft] = {B.LatLow, B.LongLow};
    d.Corners[gcoBottomRight] = {B.LatLow, B.LongHigh};
    d.Corners[gcoTopRight] = {B.LatHigh, B.LongHigh};
    d.Resolution = 0;
    d.NumCalLines = 0;
    d.NumCalQuads = 9;
    const int in = GeneratedMapInset;
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) {
            TCalQuad& q = d.CalQuads[(i - 1) * 3 + j];
            q.Longitude = B.LongLow + (j - 1) * (B.LongHigh - B.LongLow) / 2;
            q.Latitude = B.LatLow + (i - 1) * (B.LatHigh - B.LatLow) / 2;
            if (Inset) {
                q.MapX = static_cast<int>(RoundHalfEven((j - 1) * (B.Wid - 2 * in) / 2.0 + in));
                q.MapY = static_cast<int>(RoundHalfEven(B.Hgt - in - (i - 1) * (B.Hgt - 2 * in) / 2.0));
            } else {
                q.MapX = static_cast<int>(RoundHalfEven((j - 1) * B.Wid / 2.0));
                q.MapY = static_cast<int>(RoundHalfEven(B.Hgt - (i - 1) * B.Hgt / 2.0));
            }
        }
    return d;
}

}  // namespace zylcarto
