#include "zylcarto/geomap/view/measure_drawing.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "zylcarto/geomap/view/measure_path.h"

namespace zylcarto {
namespace {

constexpr TColor PathColor = 0x0000E0;  // red, $00BBGGRR

// Value with Decimals digits after the point, whatever the locale.
std::string Fixed(double Value, int Decimals) {
    char Buf[48];
    const auto R = std::to_chars(Buf, Buf + sizeof Buf, Value, std::chars_format::fixed, Decimals);
    return R.ec == std::errc{} ? std::string(Buf, R.ptr) : std::string("?");
}

std::string LengthText(double Metres) {
    return Metres < 1000 ? Fixed(Metres, 0) + " m" : Fixed(Metres / 1000, 2) + " km";
}

std::string AreaText(double SquareMetres) {
    return SquareMetres < 1e6 ? Fixed(SquareMetres, 0) + " m²" : Fixed(SquareMetres / 1e6, 2) + " km²";
}

}  // namespace

void DrawMeasurePath(TCanvas& Canvas, const TMeasurePath& Path, const TMapViewport& View) {
    if (Path.Vertices().empty()) return;
    std::vector<TPoint> At;
    At.reserve(Path.Vertices().size() + 1);
    for (const TMeasurePath::TVertex& V : Path.Vertices()) At.push_back(View.ImageToControl(V.Pixel));
    if (Path.Closed()) At.push_back(At.front());
    Canvas.Pen = {PathColor, psSolid, pmCopy, 2};
    Canvas.MoveTo(At.front().X, At.front().Y);
    for (const TPoint& P : At) Canvas.LineTo(P.X, P.Y);
    Canvas.Pen.Width = 1;
    Canvas.Brush.Style = bsSolid;
    Canvas.Brush.Color = 0xFFFFFF;
    for (const TPoint& P : At) Canvas.Rectangle(P.X - 3, P.Y - 3, P.X + 4, P.Y + 4);
    // On a white plate, so that it reads on any map.
    std::string Label = LengthText(Path.Length());
    if (Path.Closed()) Label += ", " + AreaText(Path.Area());
    Canvas.Font = TCanvasFont{};
    const TPoint& Last = Path.Closed() ? At.front() : At.back();
    const int Left = Last.X + 8, Top = Last.Y + 6;
    Canvas.FillRect({Left - 2, Top - 1, Left + Canvas.TextWidth(Label) + 2, Top + Canvas.TextHeight(Label) + 1});
    Canvas.Brush.Style = bsClear;
    Canvas.TextOut(Left, Top, Label);
}

}  // namespace zylcarto
