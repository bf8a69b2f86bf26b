#include "zylcarto/geomap/view/residual_arrows.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr int OutlierRing = 7;  // radius in control pixels

}  // namespace

bool ResidualArrowTip(const TMapCalibration& Calib, int Index, const TMapViewport& View, double Scale, TPoint& Tip) {
    const TCalQuad& Q = Calib.CalibData().CalQuads[Index];
    double x = 0, y = 0;
    if (!FittedPixel(Calib, Q, x, y)) return false;
    const double ImageX = Q.MapX + Scale * (x - Q.MapX), ImageY = Q.MapY + Scale * (y - Q.MapY);
    const double X = (ImageX - View.TopLeft().X) * View.Magnify(), Y = (ImageY - View.TopLeft().Y) * View.Magnify();
    // A wild fit must not hand the canvas coordinates beyond the int range.
    constexpr double Far = 1e6;
    if (!(std::fabs(X) < Far && std::fabs(Y) < Far)) return false;
    Tip = {RoundToInt(X), RoundToInt(Y)};
    return true;
}

void DrawResidualArrows(TCanvas& Canvas, const TMapCalibration& Calib, const TMapViewport& View, TColor Color,
                        TColor OutlierColor, double Scale) {
    if (Calib.CalibModel() == cmParabolicIp || Calib.CalibModel() == cmUndefined) return;
    const TCanvasPen Saved = Canvas.Pen;
    const TCanvasBrush SavedBrush = Canvas.Brush;
    const TCalibData& D = Calib.CalibData();
    // Judged by the fit of the others: a gross point drags its own residual down and the others' up.
    const std::vector<TPointReview> Reviews = ReviewCalibPoints(Calib);
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        const bool Outlier =
            static_cast<std::size_t>(i) <= Reviews.size() && Reviews[static_cast<std::size_t>(i - 1)].Outlier;
        Canvas.Pen = {Outlier ? OutlierColor : Color, psSolid, pmCopy, 1};
        const TPoint From = View.ImageToControl({D.CalQuads[i].MapX, D.CalQuads[i].MapY});
        if (Outlier) {
            // A ring too: a fit with many terms follows a gross point closely, leaving its arrow short.
            Canvas.Pen.Width = 2;
            Canvas.Brush.Style = bsClear;
            Canvas.Ellipse(From.X - OutlierRing, From.Y - OutlierRing, From.X + OutlierRing, From.Y + OutlierRing);
            Canvas.Pen.Width = 1;
        }
        TPoint Tip;
        if (!ResidualArrowTip(Calib, i, View, Scale, Tip)) continue;
        const double dx = Tip.X - From.X, dy = Tip.Y - From.Y, Length = std::hypot(dx, dy);
        if (Length < 1) continue;
        Canvas.MoveTo(From.X, From.Y);
        Canvas.LineTo(Tip.X, Tip.Y);
        // The head: two barbs 25 degrees off the shaft, drawn from the tip so that it is drawn too.
        const double Head = std::min(Length / 2, 8.0), ux = dx / Length, uy = dy / Length;
        const double c = std::cos(25 * DegToRad), s = std::sin(25 * DegToRad);
        for (const double Side : {1.0, -1.0}) {
            Canvas.MoveTo(Tip.X, Tip.Y);
            Canvas.LineTo(RoundToInt(Tip.X - Head * (ux * c - Side * uy * s)),
                          RoundToInt(Tip.Y - Head * (uy * c + Side * ux * s)));
        }
    }
    Canvas.Pen = Saved;
    Canvas.Brush = SavedBrush;
}

}  // namespace zylcarto
