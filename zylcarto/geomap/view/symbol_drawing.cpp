#include "zylcarto/geomap/view/symbol_drawing.h"

#include <array>
#include <cmath>

#include "zylcarto/support/numeric.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

// The point at distance d in direction Phi (radians, 0 up, clockwise) from (X, Y).
TPoint Rotated(int X, int Y, double d, double Phi) {
    return {RoundToInt(X + d * std::sin(Phi)), RoundToInt(Y - d * std::cos(Phi))};
}

void Stroke(TCanvas& C, int X1, int Y1, int X2, int Y2) {
    C.MoveTo(X1, Y1);
    C.LineTo(X2, Y2);
}

// MoveTo the first point, LineTo each of the others.
void PolyLine(TCanvas& C, std::initializer_list<TPoint> Points) {
    auto P = Points.begin();
    C.MoveTo(P->X, P->Y);
    for (++P; P != Points.end(); ++P) C.LineTo(P->X, P->Y);
}

// Draws Strokes(i, j) for the nine offsets around the centre in the halo colour.
template <typename F>
void Halo(TCanvas& C, TColor Color, F Strokes) {
    C.Pen.Color = Color;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) Strokes(i, j);
}

void SquareOutline(TCanvas& C, int X, int Y, int S) {
    PolyLine(C, {{X - S, Y - S}, {X - S, Y + S}, {X + S, Y + S}, {X + S, Y - S}, {X - S, Y - S}});
}

void OpaqueSquare(TCanvas& C, int X, int Y, int S, TColor FG, TColor BG) {
    C.Pen.Color = BG;
    SquareOutline(C, X, Y, S);
    C.Pen.Color = FG;
    C.Brush.Color = BG;
    C.Rectangle(X - S + 1, Y - S + 1, X + S, Y + S);
}

void PlusStrokes(TCanvas& C, int X, int Y, int S) {
    Stroke(C, X, Y - S, X, Y + S + 1);
    Stroke(C, X - S, Y, X + S + 1, Y);
}

void CrossStrokes(TCanvas& C, int X, int Y, int S) {
    Stroke(C, X - S, Y - S, X + S + 1, Y + S + 1);
    Stroke(C, X - S, Y + S, X + S + 1, Y - S - 1);
}

}  // namespace

void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, TColor ColorFG, TColor ColorBG,
                                int Size, int Direction, int Length, bool Transparent) {
    TCanvas& C = Canvas;
    const int S = Size;
    const int L = Length;
    const double Theta = Direction * DegToRad;
    const double Head = 20 * DegToRad;
    const auto s = [S](double Phi) { return RoundToInt(S * std::sin(Phi)); };
    const auto c = [S](double Phi) { return RoundToInt(S * std::cos(Phi)); };

    switch (Element) {
    case lmPlus:
        if (!Transparent)
            Halo(C, ColorBG, [&](int i, int j) {
                Stroke(C, X + i, Y + j - S, X + i, Y + j + S + 1);
                Stroke(C, X + i - S, Y + j, X + i + S + 1, Y + j);
            });
        C.Pen.Color = ColorFG;
        PlusStrokes(C, X, Y, S);
        break;
    case lmSquare:
        if (Transparent) {
            C.Pen.Color = ColorFG;
            SquareOutline(C, X, Y, S);
        } else {
            OpaqueSquare(C, X, Y, S, ColorFG, ColorBG);
        }
        break;
    case lmTriangle: {
        const TPoint A = Rotated(X, Y, S, Theta), B = Rotated(X, Y, S, Theta + 120 * DegToRad),
                     D = Rotated(X, Y, S, Theta - 120 * DegToRad);
        C.Pen.Color = ColorFG;
        if (Transparent) {
            PolyLine(C, {A, B, D, A});
        } else {
            C.Brush.Color = ColorBG;
            const std::array<TPoint, 3> P{A, B, D};
            C.Polygon(P);
        }
        break;
    }
    case lmCircle:
        C.Pen.Color = ColorFG;
        C.Brush.Color = ColorBG;
        if (Transparent) C.Brush.Style = bsClear;
        C.Ellipse(X - S, Y - S, X + S, Y + S);
        break;
    case lmArrowFrom: {
        const TPoint T = Rotated(X, Y, L, Theta);
        const TPoint H1{T.X - s(Theta + Head), T.Y + c(Theta + Head)};
        const TPoint H2{T.X - s(Theta - Head), T.Y + c(Theta - Head)};
        C.Pen.Color = ColorFG;
        C.Brush.Color = ColorBG;
        Stroke(C, X, Y, T.X, T.Y);
        if (Transparent) {
            C.LineTo(H1.X, H1.Y);
            Stroke(C, T.X, T.Y, H2.X, H2.Y);
        } else {
            const std::array<TPoint, 3> P{T, H1, H2};
            C.Polygon(P);
        }
        break;
    }
    case lmArrowTo: {
        const TPoint T = Rotated(X, Y, L, Theta);
        const TPoint K1{X + s(Theta + Head), Y - c(Theta + Head)};
        const TPoint K2{X + s(Theta - Head), Y - c(Theta - Head)};
        C.Pen.Color = ColorFG;
        C.Brush.Color = ColorBG;
        Stroke(C, T.X, T.Y, X, Y);
        if (Transparent) {
            C.LineTo(K1.X, K1.Y);
            Stroke(C, X, Y, K2.X, K2.Y);
        } else {
            const std::array<TPoint, 3> P{TPoint{X, Y}, K1, K2};
            C.Polygon(P);
        }
        break;
    }
    case lmCrossBox:
        if (Transparent) {
            C.Pen.Color = ColorFG;
            SquareOutline(C, X, Y, S);
            C.LineTo(X + S, Y + S);
            Stroke(C, X - S, Y + S, X + S, Y - S);
        } else {
            OpaqueSquare(C, X, Y, S, ColorFG, ColorBG);
            C.Pen.Color = ColorFG;
            Stroke(C, X - S + 1, Y + S - 1, X + S, Y - S);
            Stroke(C, X + S - 1, Y + S - 1, X - S, Y - S);
        }
        break;
    case lmSpade:
        C.Pen.Color = ColorFG;
        if (Transparent) {
            PolyLine(C, {{X, Y - S}, {X + S, Y}, {X, Y + S}, {X - S, Y}, {X, Y - S}});
        } else {
            C.Brush.Color = ColorBG;
            const std::array<TPoint, 4> P{TPoint{X + S, Y}, TPoint{X, Y + S}, TPoint{X - S, Y}, TPoint{X, Y - S}};
            C.Polygon(P);
        }
        break;
    case lmCross:
        if (!Transparent)
            Halo(C, ColorBG, [&](int i, int j) {
                Stroke(C, X + S + i, Y + j - S, X - S + i - 1, Y + j + S + 1);
                Stroke(C, X + i - S, Y - S + j, X + i + S + 1, Y + S + j + 1);
            });
        C.Pen.Color = ColorFG;
        CrossStrokes(C, X, Y, S);
        break;
    case lmUserDef: break;
    default:
        C.Pen.Color = ColorFG;
        Stroke(C, X - 4, Y, X + 5, Y);
        Stroke(C, X, Y - 4, X, Y + 5);
        break;
    }
}

bool SymbolIsLinesAtFixedOffsets(TLandMarkElement Element, bool Transparent) {
    switch (Element) {
    case lmPlus:
    case lmCross: return true;
    case lmSquare:
    case lmCrossBox:
    case lmSpade: return Transparent;
    case lmTriangle:
    case lmArrowFrom:
    case lmArrowTo:
    case lmCircle:
    case lmUserDef: return false;
    }
    return true;  // the small plus of an unknown element
}

}  // namespace zylcarto
