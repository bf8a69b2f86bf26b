#include "zylcarto/geomap/view/position_drawing.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>

#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

// Metres along a meridian per degree of latitude (mean over the latitudes): the
// probe that finds north and the scale spans a few hundred metres, where the
// difference to the local value stays under one percent.
constexpr double MetresPerDegreeLat = 111132.954;
constexpr double ProbeDegrees = 0.002;
// A circle larger than this many control pixels says nothing on screen.
constexpr double MaxCircleRadius = 1e5;
constexpr double MarkerSize = 11;

// The trail in orange, apart from the red and blue lines of the usual maps.
const QColor LiveColor(220, 30, 30), StaleColor(130, 130, 130), TrailColor(255, 120, 0);

std::optional<QPointF> ControlPoint(const TMapCalibration& Calib, const TMapViewport& View, double Lat, double Long) {
    double x = 0, y = 0;
    if (!Calib.CalcPixelCoordsFrac(Lat, Long, x, y)) return std::nullopt;
    const QPointF P((x - View.TopLeft().X) * View.Magnify(), (y - View.TopLeft().Y) * View.Magnify());
    if (!std::isfinite(P.x()) || !std::isfinite(P.y())) return std::nullopt;
    return P;
}

void DrawTrail(QPainter& P, const TPositionDisplay& Position, const TMapCalibration& Calib, const TMapViewport& View) {
    const std::size_t n = Position.Trail.size();
    std::optional<QPointF> Prev;
    for (std::size_t i = 0; i < n; ++i) {
        const TPositionFix& F = Position.Trail[i];
        const std::optional<QPointF> Here = ControlPoint(Calib, View, F.Latitude, F.Longitude);
        if (Prev && Here) {
            QColor C = Position.Current ? TrailColor : StaleColor;
            C.setAlphaF(0.15 + 0.85 * static_cast<double>(i) / static_cast<double>(n));  // the oldest fades out
            P.setPen(QPen(C, 3, Qt::SolidLine, Qt::RoundCap));
            P.drawLine(*Prev, *Here);
        }
        Prev = Here;
    }
}

}  // namespace

void DrawPosition(TCanvas& Canvas, const TPositionDisplay& Position, const TMapCalibration& Calib,
                  const TMapViewport& View) {
    const TPositionFix& Fix = Position.Fix;
    if (!Fix.HasPosition()) return;
    QPainter& P = Canvas.Painter();
    P.save();
    P.setRenderHint(QPainter::Antialiasing);
    DrawTrail(P, Position, Calib, View);
    const std::optional<QPointF> At = ControlPoint(Calib, View, Fix.Latitude, Fix.Longitude);
    // North on screen and the scale at the position, from a point a little north (south near the pole).
    const double Dir = Fix.Latitude + ProbeDegrees <= 90 ? 1 : -1;
    const std::optional<QPointF> Probe = ControlPoint(Calib, View, Fix.Latitude + Dir * ProbeDegrees, Fix.Longitude);
    if (At && Probe) {
        const QPointF North = (*Probe - *At) * Dir;
        const double Pixels = std::hypot(North.x(), North.y());
        const QColor Color = Position.Current ? LiveColor : StaleColor;
        if (Pixels > 0) {
            const double Radius = Fix.Accuracy / (ProbeDegrees * MetresPerDegreeLat) * Pixels;
            if (Radius >= 1 && Radius <= MaxCircleRadius) {
                QColor Fill = Color;
                Fill.setAlphaF(0.15);
                P.setPen(QPen(Color, 1));
                P.setBrush(Fill);
                P.drawEllipse(*At, Radius, Radius);
            }
        }
        P.setPen(QPen(Qt::white, 2));
        P.setBrush(Color);
        if (Pixels > 0 && std::isfinite(Fix.Course)) {
            // An arrow head along the course, turned from the map's north at the position.
            const double a = Fix.Course * DegToRad;
            const QPointF Up = North / Pixels;
            const QPointF Ahead(Up.x() * std::cos(a) - Up.y() * std::sin(a), Up.x() * std::sin(a) + Up.y() * std::cos(a));
            const QPointF Side(-Ahead.y(), Ahead.x());
            QPainterPath Arrow;
            Arrow.moveTo(*At + Ahead * MarkerSize * 1.4);
            Arrow.lineTo(*At - Ahead * MarkerSize + Side * MarkerSize);
            Arrow.lineTo(*At - Ahead * MarkerSize * 0.4);
            Arrow.lineTo(*At - Ahead * MarkerSize - Side * MarkerSize);
            Arrow.closeSubpath();
            P.drawPath(Arrow);
        } else {
            P.drawEllipse(*At, MarkerSize * 0.7, MarkerSize * 0.7);
        }
    }
    P.restore();
}

}  // namespace zylcarto
