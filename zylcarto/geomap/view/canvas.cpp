#include "zylcarto/geomap/view/canvas.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPaintEngine>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zylcarto {

namespace {

bool IsDirect32(const QImage& Image) {
    switch (Image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: return true;
    default: return false;
    }
}

// On/off pattern of a pen style, in pixels; empty for solid.
std::span<const int> DashPattern(TPenStyle Style) {
    static constexpr int Dash[] = {18, 6};
    static constexpr int Dot[] = {3, 3};
    if (Style == psDash) return Dash;
    if (Style == psDot) return Dot;
    return {};
}

bool PatternOn(std::span<const int> Pattern, std::int64_t Step) {
    if (Pattern.empty()) return true;
    const std::int64_t Period = Pattern[0] + Pattern[1];
    return Step % Period < Pattern[0];
}

}  // namespace

QRgb ToQRgb(TColor Color) { return qRgb(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF); }

QColor ToQColor(TColor Color) { return QColor(ToQRgb(Color)); }

TColor FromQRgb(QRgb Rgb) {
    return static_cast<TColor>(qRed(Rgb)) | (static_cast<TColor>(qGreen(Rgb)) << 8) |
           (static_cast<TColor>(qBlue(Rgb)) << 16);
}

QString ResolveFontFamily(const std::string& Name) {
    const QString Family = QString::fromStdString(Name);
    if (!Family.isEmpty() && QFontDatabase::hasFamily(Family)) return Family;
    if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans"))) return QStringLiteral("DejaVu Sans");
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

TCanvas::TCanvas(QImage& Target) : FImage(&Target), FPainter(FOwnPainter) {
    Target.detach();  // the painter and the direct line drawing must share one buffer
    FPainter.begin(&Target);
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    const QSize Logical = Target.deviceIndependentSize().toSize();
    FWidth = Logical.width();
    FHeight = Logical.height();
    if (Target.devicePixelRatio() != 1) {
        FCentre = 0.5;
    } else if (!Target.isNull() && IsDirect32(Target)) {
        FBits = Target.bits();
        FStride = Target.bytesPerLine();
    }
}

TCanvas::TCanvas(QPainter& Painter, int Width, int Height) : FPainter(Painter), FCentre(0.5) {
    FPainter.save();
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FWidth = Width;
    FHeight = Height;
}

TCanvas::~TCanvas() {
    if (FImage)
        FPainter.end();
    else
        FPainter.restore();
}

const QImage& TCanvas::Image() const {
    static const QImage None;
    return FImage ? *FImage : None;
}

QPainter& TCanvas::Painter() {
    FPenValid = FBrushValid = FFontValid = false;
    return FPainter;
}

void TCanvas::ApplyPen() {
    if (FPenValid && FAppliedPen == Pen) return;
    if (Pen.Style == psClear) {
        FPainter.setPen(Qt::NoPen);
    } else {
        QPen P(ToQColor(Pen.Color));
        if (FCentre != 0)
            P.setWidth(std::max(1, Pen.Width));  // scales with the painter: a logical pixel, not a device one
        else
            P.setWidth(Pen.Width <= 1 ? 0 : Pen.Width);
        P.setCapStyle(Qt::FlatCap);
        P.setJoinStyle(Qt::MiterJoin);
        if (Pen.Style != psSolid) {
            const auto Pattern = DashPattern(Pen.Style);
            P.setDashPattern({double(Pattern[0]), double(Pattern[1])});
        }
        FPainter.setPen(P);
    }
    FAppliedPen = Pen;
    FPenValid = true;
}

void TCanvas::ApplyBrush() {
    if (FBrushValid && FAppliedBrush == Brush) return;
    FPainter.setBrush(Brush.Style == bsClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(Brush.Color)));
    FAppliedBrush = Brush;
    FBrushValid = true;
}

void TCanvas::ApplyFont() {
    if (FFontValid && FAppliedFont == Font) return;
    QFont F(ResolveFontFamily(Font.Name));
    // Points at 96 pixels per inch, whatever the image's resolution.
    F.setPixelSize(std::max(1, (std::abs(Font.Size) * 96 + 36) / 72));
    F.setBold(Font.Styles.Contains(fsBold));
    F.setItalic(Font.Styles.Contains(fsItalic));
    F.setUnderline(Font.Styles.Contains(fsUnderline));
    F.setStrikeOut(Font.Styles.Contains(fsStrikeOut));
    FQFont = F;
    FPainter.setFont(F);
    FAppliedFont = Font;
    FFontValid = true;
}

void TCanvas::ApplyShapeState() {
    ApplyPen();
    ApplyBrush();
    SetComposition(Pen.Mode == pmXor ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_SourceOver);
}

void TCanvas::SetComposition(QPainter::CompositionMode Mode) {
    // Source and source-over work everywhere; XOR on a printer draws plainly.
    if (Mode >= QPainter::RasterOp_SourceOrDestination && !FImage &&
        !(FPainter.paintEngine() && FPainter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)))
        return;
    FPainter.setCompositionMode(Mode);
}

void TCanvas::DrawLine(TPoint From, TPoint To) {
    const int X = To.X, Y = To.Y;
    if (Pen.Style == psClear || From == To) return;
    if (FCentre != 0) {
        // Through the pixel centres, moved back half a unit so that it covers
        // the start pixel and stops short of the end one, as the pixel runs do.
        const QPointF A = Centre(From.X, From.Y), B = Centre(X, Y);
        const QPointF Back = (B - A) * (0.5 / std::hypot(B.x() - A.x(), B.y() - A.y()));
        ApplyShapeState();
        FPainter.drawLine(QLineF(A - Back, B - Back));
        return;
    }
    if (Pen.Width > 1 || !FBits) {
        // Wide pens and other pixel formats go through Qt; the end point may differ by a pixel.
        ApplyShapeState();
        FPainter.drawLine(From.X, From.Y, X, Y);
        return;
    }
    // Every pixel of the line lies in the box of its two ends, so with both ends
    // inside the image nothing needs clipping.
    const bool Inside = From.X >= 0 && From.Y >= 0 && From.X < FWidth && From.Y < FHeight && X >= 0 && Y >= 0 &&
                        X < FWidth && Y < FHeight;
    if (Inside && Pen.Style == psSolid && Pen.Mode == pmCopy)
        SolidLineInside(From, X, Y);
    else
        ClippedLine(From, X, Y);
}

// Pixel t of a line (t = 0 the start, the end point left out) lies t steps along
// the major axis and (2 t Minor + Major) div (2 Major) steps along the minor one:
// the nearest pixel, halves away from the start.

void TCanvas::SolidLineInside(TPoint From, int X, int Y) {
    const int dx = std::abs(X - From.X), dy = std::abs(Y - From.Y);
    const qsizetype Row = FStride / qsizetype(sizeof(QRgb));  // 32-bit scanlines are whole pixels
    const qsizetype StepX = X > From.X ? 1 : -1, StepY = Y > From.Y ? Row : -Row;
    auto* const Pixels = reinterpret_cast<QRgb*>(FBits);
    const QRgb Rgb = ToQRgb(Pen.Color);
    qsizetype At = From.Y * Row + From.X;
    if (dy == 0) {
        std::fill_n(Pixels + (StepX > 0 ? At : At - dx + 1), dx, Rgb);
        return;
    }
    const bool XMajor = dx >= dy;
    const int Major = XMajor ? dx : dy, Minor = XMajor ? dy : dx;
    const qsizetype MajorStep = XMajor ? StepX : StepY, MinorStep = XMajor ? StepY : StepX;
    if (Minor == 0 || Minor == Major) {  // vertical or diagonal: one fixed step
        const qsizetype Step = Minor == 0 ? MajorStep : MajorStep + MinorStep;
        for (int t = 0; t < Major; ++t, At += Step) Pixels[At] = Rgb;
        return;
    }
    // The remainder of 2 t Minor + Major over 2 Major; the minor step is taken when it overflows.
    const int Den = 2 * Major, Inc = 2 * Minor;
    int Rem = Major;
    for (int t = 0; t < Major; ++t) {
        Pixels[At] = Rgb;
        At += MajorStep;
        Rem += Inc;
        if (Rem >= Den) {
            Rem -= Den;
            At += MinorStep;
        }
    }
}

void TCanvas::ClippedLine(TPoint From, int X, int Y) {
    using i64 = std::int64_t;
    const i64 dx = std::abs(i64(X) - From.X), dy = std::abs(i64(Y) - From.Y);
    const int sx = X > From.X ? 1 : -1, sy = Y > From.Y ? 1 : -1;
    const bool XMajor = dx >= dy;
    const i64 Major = XMajor ? dx : dy, Minor = XMajor ? dy : dx;
    const int W = FWidth, H = FHeight;
    // Only the steps whose major coordinate lies inside the image can colour a pixel.
    const i64 Start = XMajor ? From.X : From.Y;
    const i64 Limit = XMajor ? W : H;
    const bool Up = (XMajor ? sx : sy) > 0;
    const i64 First = std::max<i64>(0, Up ? -Start : Start - (Limit - 1));
    const i64 Last = std::min<i64>(Major - 1, Up ? Limit - 1 - Start : Start);
    if (First > Last) return;
    const QRgb Rgb = ToQRgb(Pen.Color);
    const QRgb XorBits = Rgb & 0x00FFFFFF;
    const auto Pattern = DashPattern(Pen.Style);
    // Locals, so the pixel writes cannot be taken to alias the canvas's fields.
    const qsizetype Stride = FStride;
    uchar* const Bits = FBits;
    const bool Xor = Pen.Mode == pmXor;
    // The minor offset at the first step, then carried as a remainder.
    const i64 Den = 2 * Major;
    i64 m = 0, Rem = 0;
    if (Major < (i64(1) << 30)) {
        const i64 Num = 2 * First * Minor + Major;
        m = Num / Den;
        Rem = Num % Den;
    } else {  // 2 t Minor would not fit into 64 bits
        const double Exact = double(First) * double(Minor) / double(Major) + 0.5;
        m = static_cast<i64>(std::floor(Exact));
        Rem = static_cast<i64>((Exact - std::floor(Exact)) * double(Den));
    }
    for (i64 t = First; t <= Last; ++t) {
        const i64 px = From.X + (XMajor ? t : m) * sx;
        const i64 py = From.Y + (XMajor ? m : t) * sy;
        if (px >= 0 && py >= 0 && px < W && py < H && PatternOn(Pattern, t)) {
            auto* Pixel = reinterpret_cast<QRgb*>(Bits + py * Stride) + px;
            *Pixel = Xor ? (*Pixel ^ XorBits) : Rgb;
        }
        Rem += 2 * Minor;
        if (Rem >= Den) {
            Rem -= Den;
            ++m;
        }
    }
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    if (X2 - X1 < 1 || Y2 - Y1 < 1) return;
    ApplyShapeState();
    if (Pen.Style == psClear) {
        FPainter.fillRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1), FPainter.brush());
        return;
    }
    if (FCentre != 0)
        FPainter.drawRect(QRectF(Centre(X1, Y1), QSizeF(X2 - X1 - 1, Y2 - Y1 - 1)));
    else
        FPainter.drawRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    if (X2 - X1 < 1 || Y2 - Y1 < 1) return;
    ApplyShapeState();
    if (FCentre != 0)
        FPainter.drawEllipse(QRectF(Centre(X1, Y1), QSizeF(X2 - X1 - 1, Y2 - Y1 - 1)));
    else
        FPainter.drawEllipse(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}

void TCanvas::Polygon(std::span<const TPoint> Points) {
    if (Points.empty()) return;
    ApplyShapeState();
    if (FCentre != 0) {
        QPolygonF Q;
        Q.reserve(static_cast<int>(Points.size()));
        for (const TPoint& P : Points) Q << Centre(P.X, P.Y);
        FPainter.drawPolygon(Q);
        return;
    }
    QPolygon Q;
    Q.reserve(static_cast<int>(Points.size()));
    for (const TPoint& P : Points) Q << QPoint(P.X, P.Y);
    FPainter.drawPolygon(Q);
}

void TCanvas::FillRect(const TRect& R) {
    if (R.Right <= R.Left || R.Bottom <= R.Top) return;
    SetComposition(QPainter::CompositionMode_Source);
    FPainter.fillRect(QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top), ToQColor(Brush.Color));
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
    if (Text.empty()) return;
    ApplyFont();
    const QString S = QString::fromStdString(Text);
    const QFontMetrics M(FQFont);
    SetComposition(QPainter::CompositionMode_SourceOver);
    FPainter.save();
    FPainter.translate(X, Y);
    if (Font.Escapement != 0) FPainter.rotate(-Font.Escapement / 10.0);
    if (Brush.Style == bsSolid)
        FPainter.fillRect(QRect(0, 0, M.horizontalAdvance(S), M.height()), ToQColor(Brush.Color));
    FPainter.setPen(ToQColor(Font.Color));
    FPainter.drawText(0, M.ascent(), S);
    FPainter.restore();
}

int TCanvas::TextWidth(const std::string& Text) {
    ApplyFont();
    return QFontMetrics(FQFont).horizontalAdvance(QString::fromStdString(Text));
}

int TCanvas::TextHeight(const std::string&) {
    ApplyFont();
    return QFontMetrics(FQFont).height();
}

void TCanvas::CopyRect(const TRect& Dest, const QImage& Source, const TRect& SourceRect) {
    const int sw = SourceRect.Right - SourceRect.Left, sh = SourceRect.Bottom - SourceRect.Top;
    const int dw = Dest.Right - Dest.Left, dh = Dest.Bottom - Dest.Top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || Source.isNull()) return;
    // Keep only the part of the source that exists, and the matching part of the destination.
    const double SourceRatio = Source.devicePixelRatio();
    const QRect Avail = QRect(SourceRect.Left, SourceRect.Top, sw, sh)
                            .intersected(QRect(QPoint(), Source.deviceIndependentSize().toSize()));
    if (Avail.isEmpty()) return;
    const QRectF AvailPixels(Avail.left() * SourceRatio, Avail.top() * SourceRatio, Avail.width() * SourceRatio,
                             Avail.height() * SourceRatio);
    const double kx = double(dw) / sw, ky = double(dh) / sh;
    const QRectF Target(Dest.Left + (Avail.left() - SourceRect.Left) * kx,
                        Dest.Top + (Avail.top() - SourceRect.Top) * ky, Avail.width() * kx, Avail.height() * ky);
    SetComposition(QPainter::CompositionMode_Source);
    const bool Scaled = dw != sw || dh != sh;
    if (Scaled && StretchMode == smHalftone && kx < 1 && ky < 1) {
        // Down-scaling: average over the source pixels, not just interpolate;
        // to the target's device pixels, so that a high-density target stays sharp.
        const double Ratio = PixelRatio();
        QImage Part = Source.copy(AvailPixels.toRect())
                          .scaled(qRound(Target.width() * Ratio), qRound(Target.height() * Ratio),
                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Part.setDevicePixelRatio(Ratio);
        FPainter.drawImage(QPointF(Target.left(), Target.top()), Part);
        return;
    }
    const QPoint At(Dest.Left + Avail.left() - SourceRect.Left, Dest.Top + Avail.top() - SourceRect.Top);
    if (!Scaled && FBits && SourceRatio == 1 && Source.format() == FImage->format() && Source.constBits() != FBits) {
        CopyPixels(At, Source, Avail);
        return;
    }
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, Scaled && StretchMode == smHalftone);
    if (Scaled || SourceRatio != 1)
        FPainter.drawImage(Target, Source, AvailPixels);
    else
        FPainter.drawImage(At, Source, Avail);
}

void TCanvas::PutDevicePixels(QPoint At, const QImage& Source) {
    if (Source.isNull()) return;
    if (FImage && Source.format() == FImage->format() && IsDirect32(Source) && Source.constBits() != FImage->constBits()) {
        CopyPixels(At, Source, Source.rect());
        return;
    }
    // A copy that says its ratio, so that the painter puts it pixel for pixel.
    QImage Device = Source;
    Device.setDevicePixelRatio(PixelRatio());
    SetComposition(QPainter::CompositionMode_Source);
    FPainter.drawImage(QPointF(At) / PixelRatio(), Device);
}

void TCanvas::CopyPixels(QPoint At, const QImage& Source, const QRect& From) {
    const QRect To = QRect(At, From.size()).intersected(FImage->rect());
    if (To.isEmpty()) return;
    // the image was detached when the canvas opened: bits() copies nothing
    uchar* const Bits = FImage->bits();
    const qsizetype Stride = FImage->bytesPerLine();
    const QPoint Start = From.topLeft() + (To.topLeft() - At);
    const std::size_t Bytes = std::size_t(To.width()) * sizeof(QRgb);
    for (int r = 0; r < To.height(); ++r)
        std::memcpy(Bits + (To.top() + r) * Stride + To.left() * qsizetype(sizeof(QRgb)),
                    Source.constScanLine(Start.y() + r) + Start.x() * qsizetype(sizeof(QRgb)), Bytes);
}

namespace {

// Horizontal and vertical runs with inclusive ends.
void HLine(TCanvas& C, TColor Color, int X1, int X2, int Y) {
    C.Pen.Color = Color;
    C.MoveTo(X1, Y);
    C.LineTo(X2 + 1, Y);
}

void VLine(TCanvas& C, TColor Color, int X, int Y1, int Y2) {
    C.Pen.Color = Color;
    C.MoveTo(X, Y1);
    C.LineTo(X, Y2 + 1);
}

// One ring: TopLeft colours the top and left edges, BottomRight the bottom and right ones.
void Ring(TCanvas& C, int L, int T, int R, int B, TColor TopLeft, TColor BottomRight) {
    if (R < L || B < T) return;
    HLine(C, TopLeft, L, R, T);
    VLine(C, TopLeft, L, T, B);
    HLine(C, BottomRight, L, R, B);
    VLine(C, BottomRight, R, T, B);
}

}  // namespace

void DrawFrame(TCanvas& Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom, TColor Light, TColor Face,
               TColor Gray, TColor Dark, TColor Black) {
    const TCanvasPen Saved = Canvas.Pen;
    Canvas.Pen.Style = psSolid;
    Canvas.Pen.Mode = pmCopy;
    Canvas.Pen.Width = 1;
    switch (Style) {
    case fsNone: break;
    case fsSimple: Ring(Canvas, Left, Top, Right, Bottom, Black, Black); break;
    case fsLowered:
        Ring(Canvas, Left, Top, Right, Bottom, Gray, Light);
        Ring(Canvas, Left + 1, Top + 1, Right - 1, Bottom - 1, Dark, Face);
        break;
    case fsRaised:
        Ring(Canvas, Left, Top, Right, Bottom, Light, Dark);
        Ring(Canvas, Left + 1, Top + 1, Right - 1, Bottom - 1, Face, Gray);
        break;
    case fsEmbossed:
        Ring(Canvas, Left, Top, Right, Bottom, Light, Gray);
        Ring(Canvas, Left + 1, Top + 1, Right - 1, Bottom - 1, Gray, Light);
        break;
    case fsEngraved:
        Ring(Canvas, Left, Top, Right, Bottom, Gray, Light);
        Ring(Canvas, Left + 1, Top + 1, Right - 1, Bottom - 1, Light, Gray);
        break;
    }
    Canvas.Pen = Saved;
}

}  // namespace zylcarto
