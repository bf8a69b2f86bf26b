// Clipboard, printing and bitmap export of the map.
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {

namespace {

// A control pixel on paper: lines and text keep their size on the screen.
constexpr double kScreenDpi = 96.0;
constexpr double kTenthsMmPerInch = 254.0;
constexpr double kMetresPerInch = 0.0254;
// Control pixel positions of the printed image must stay well inside int.
constexpr double kMaxPrintedPixels = 1e9;

// What a scene looks like on paper.
TMapScene OnPaper(TMapScene S) {
    S.Shown = true;
    S.Cache = nullptr;
    S.Paper = true;
    return S;
}

// Draws the view with its top-left corner at At, one control pixel Sx x Sy
// device pixels large: vectors at the printer's resolution, the image as it is.
void PrintView(QPainter& Printer, const TMapScene& Scene, const TMapViewport& View, QPointF At, double Sx, double Sy) {
    Printer.save();
    Printer.translate(At);
    Printer.scale(Sx, Sy);
    {
        TCanvas Canvas(Printer, View.Width(), View.Height());
        TMapRenderer(Scene, View).Compose(Canvas);
    }
    Printer.restore();
}

}  // namespace

TMapScene TGeoMapPrivate::WindowScene() const {
    // Another window of the map: no trace or measured path, no frame.
    TMapScene S = Scene();
    S.Shown = true;
    S.Trace = {};
    S.Measure = nullptr;
    S.Frame = false;
    return S;
}

QImage TGeoMap::RenderMapWindow(const TPoint& TopLeft, double Mag, int W, int H) const {
    Q_D(const TGeoMap);
    if (W <= 0 || H <= 0 || !(Mag > 0) || !std::isfinite(Mag)) return {};
    QImage Picture(W, H, ViewImageFormat);
    if (Picture.isNull()) return {};
    TMapRenderer(d->WindowScene(), {TopLeft, Mag, W, H}).Compose(Picture);
    return Picture;
}

void TGeoMap::CopyToClipboard() {
    Q_D(TGeoMap);
    const int W = width(), H = height();
    // As sharp as the picture shown.
    const double Ratio = d->AuxBmp.devicePixelRatio();
    QImage copy(int(std::ceil(W * Ratio)), int(std::ceil(H * Ratio)), ViewImageFormat);
    copy.setDevicePixelRatio(Ratio);
    copy.fill(Qt::white);
    {
        TCanvas canvas(copy);
        canvas.CopyRect({2, 2, W - 2, H - 2}, d->AuxBmp, {2, 2, W - 2, H - 2});
        canvas.Pen = TCanvasPen{};
        canvas.MoveTo(1, 1);
        canvas.LineTo(W - 2, 1);
        canvas.LineTo(W - 2, H - 2);
        canvas.LineTo(1, H - 2);
        canvas.LineTo(1, 1);
    }
    QGuiApplication::clipboard()->setImage(copy);
}

void TGeoMap::CopyEntireMapToClipboard() {
    Q_D(TGeoMap);
    if (d->GrafBmp.isNull() || d->FMapImgWidth <= 0 || d->FMapImgHeight <= 0) return;
    QGuiApplication::clipboard()->setImage(RenderMapWindow({0, 0}, 1.0, d->FMapImgWidth, d->FMapImgHeight));
}

void TGeoMap::PrintIt(double ScaleF) {
    QPrinter printer;
    PrintIt(ScaleF, printer);
}

void TGeoMap::PrintIt(double ScaleF, QPrinter& Printer) {
    QPainter painter;
    if (!painter.begin(&Printer)) throw EZYLGeoMapError(ComponentMessage(Name(), "cannot open the printer"));
    int x = 0, y = 0;
    CopyToOpenPrinter(painter, x, y, ScaleF);
    painter.end();
}

void TGeoMap::CopyToOpenPrinter(QPainter& Printer, int& x, int& y, double ScaleF) {
    Q_D(TGeoMap);
    if (!(ScaleF > 0) || !std::isfinite(ScaleF) || !Printer.device()) return;
    const double Sx = ScaleF * Printer.device()->logicalDpiX() / kScreenDpi;
    const double Sy = ScaleF * Printer.device()->logicalDpiY() / kScreenDpi;
    PrintView(Printer, OnPaper(d->Scene()), d->Viewport(), QPointF(x, y), Sx, Sy);
    y += RoundToInt(height() * Sy);
}

double TGeoMapPrivate::PrintResolution() {
    if (!(FCalib.CalibData().Resolution > 0)) FCalib.CalcExtentsAndResolution();
    const double MetresPerPixel = FCalib.CalibData().Resolution;
    return MetresPerPixel > 0 && std::isfinite(MetresPerPixel) ? MetresPerPixel : 0;
}

void TGeoMap::CalcExtentsOfPrint(const TRect& MapWindow, int Scale, int& Width, int& Height) {
    Q_D(TGeoMap);
    Width = Height = 0;
    if (Scale <= 0) return;
    const double MetresPerPixel = d->PrintResolution();
    if (MetresPerPixel == 0) return;
    const double TenthsMmPerPixel = MetresPerPixel * 10000.0 / Scale;
    // The window's sides in 64 bits: corners far apart overflow a 32-bit difference.
    const double W = std::abs(double(std::int64_t(MapWindow.Right) - MapWindow.Left)) * TenthsMmPerPixel;
    const double H = std::abs(double(std::int64_t(MapWindow.Bottom) - MapWindow.Top)) * TenthsMmPerPixel;
    if (W > std::numeric_limits<int>::max() || H > std::numeric_limits<int>::max())
        throw EZYLGeoMapError(
            ComponentMessage(Name(), "the printed map window is too large for 1:" + std::to_string(Scale)));
    Width = RoundToInt(W);
    Height = RoundToInt(H);
}

void TGeoMapPrivate::DrawMapWindow(QPainter& Printer, const TPoint& TopLeft, double ImagePixelsWide,
                                   double ImagePixelsHigh, double PrintedW, double PrintedH, int PosHoriz,
                                   int PosVert) {
    Q_Q(TGeoMap);
    if (!(PrintedW > 0) || !(PrintedH > 0) || !Printer.device()) return;
    const double DpiX = Printer.device()->logicalDpiX(), DpiY = Printer.device()->logicalDpiY();
    const QRectF Target(PosHoriz * DpiX / kTenthsMmPerInch, PosVert * DpiY / kTenthsMmPerInch,
                        PrintedW * DpiX / kTenthsMmPerInch, PrintedH * DpiY / kTenthsMmPerInch);
    // Only the part on the page is drawn: at a large scale the printed window
    // may be far larger than any page.
    const QRectF Page(0, 0, Printer.device()->width(), Printer.device()->height());
    const QRectF Visible = Target.intersected(Page);
    if (Visible.isEmpty())
        throw EZYLGeoMapError(ComponentMessage(q->Name(), "the map window does not fall on the page"));
    // That part as whole image pixels of the window, and where they land.
    const double PerPixelX = Target.width() / ImagePixelsWide, PerPixelY = Target.height() / ImagePixelsHigh;
    const double X0 = std::floor((Visible.left() - Target.left()) / PerPixelX);
    const double Y0 = std::floor((Visible.top() - Target.top()) / PerPixelY);
    const double X1 = std::min(std::ceil((Visible.right() - Target.left()) / PerPixelX), std::ceil(ImagePixelsWide));
    const double Y1 = std::min(std::ceil((Visible.bottom() - Target.top()) / PerPixelY), std::ceil(ImagePixelsHigh));
    // Control pixels of 1/96 inch, horizontally; the transform takes up the
    // rounding of the printed height.
    const double Mag = PerPixelX * kScreenDpi / DpiX;
    const double W = std::ceil((X1 - X0) * Mag), H = std::ceil((Y1 - Y0) * Mag);
    if (!(Mag * std::max({FMapImgWidth, FMapImgHeight, 1}) < kMaxPrintedPixels) || !(W * H < kMaxPrintedPixels))
        throw EZYLGeoMapError(ComponentMessage(q->Name(), "the map window cannot be drawn at this scale"));
    const TMapViewport View{{TopLeft.X + RoundToInt(X0), TopLeft.Y + RoundToInt(Y0)}, Mag, int(W), int(H)};
    const QPointF At(Target.left() + X0 * PerPixelX, Target.top() + Y0 * PerPixelY);
    // Whole image pixels reach a little beyond the printed window.
    Printer.save();
    Printer.setClipRect(Visible, Qt::IntersectClip);
    PrintView(Printer, OnPaper(WindowScene()), View, At, PerPixelX / Mag, PerPixelY / Mag);
    Printer.restore();
}

namespace {

// "25 000": thousands apart, as scales are written on maps.
QString GroupedThousands(long long N) {
    QString Digits = QString::number(N);
    for (qsizetype i = Digits.size() - 3; i > 0; i -= 3) Digits.insert(i, QChar(0x2009));
    return Digits;
}

}  // namespace

int TGeoMap::PrintMap(QPainter& Printer, const TPrintLayout& Layout) {
    Q_D(TGeoMap);
    QPaintDevice* Device = Printer.device();
    if (!Device || d->GrafBmp.isNull() || Layout.Scale < 0) return 0;
    const double DpiX = Device->logicalDpiX(), DpiY = Device->logicalDpiY();
    QFont Font = Printer.font();
    Font.setPointSizeF(9);
    const QFontMetricsF Metrics(Font, Device);
    const double Footer = 1.5 * Metrics.height();
    const double PageW = Device->width(), PageH = Device->height() - Footer;
    if (!(PageW > 0) || !(PageH > 0)) return 0;
    const double W = d->FMapImgWidth, H = d->FMapImgHeight;
    QRectF Area(0, 0, W, H);
    if (Layout.Area == TPrintLayout::TArea::paView) {
        const TMapViewport V = d->Viewport();
        Area = QRectF(V.TopLeft().X, V.TopLeft().Y, V.Width() / V.Magnify(), V.Height() / V.Magnify()).intersected(Area);
        if (Area.isEmpty()) return 0;
    }
    const double MetresPerPixel = d->PrintResolution();
    // Device pixels per image pixel across; down it differs where the dpi do.
    double PerPixel = 0;
    if (Layout.Scale > 0) {
        if (MetresPerPixel == 0) return 0;
        PerPixel = MetresPerPixel / Layout.Scale / kMetresPerInch * DpiX;
        const QPointF Centre = Area.center();
        const QSizeF Room(PageW / PerPixel, PageH / (PerPixel * DpiY / DpiX));
        Area = QRectF(Centre - QPointF(Room.width() / 2, Room.height() / 2), Room);
    } else {
        PerPixel = std::min(PageW / Area.width(), PageH / (Area.height() * DpiY / DpiX));
    }
    // Whole image pixels, as the window printed starts at one.
    const QRect Window = Area.toAlignedRect();
    const double PrintedW = Window.width() * PerPixel, PrintedH = Window.height() * PerPixel * DpiY / DpiX;
    const double Left = (PageW - std::min(PrintedW, PageW)) / 2;
    const auto TenthsMm = [](double DevicePixels, double Dpi) { return DevicePixels / Dpi * kTenthsMmPerInch; };
    Printer.save();
    Printer.setRenderHint(QPainter::LosslessImageRendering);
    Printer.setClipRect(QRectF(0, 0, PageW, PageH), Qt::IntersectClip);
    d->DrawMapWindow(Printer, {Window.left(), Window.top()}, Window.width(), Window.height(), TenthsMm(PrintedW, DpiX),
                     TenthsMm(PrintedH, DpiY), RoundToInt(TenthsMm(Left, DpiX)), 0);
    Printer.restore();
    if (MetresPerPixel == 0) return 0;
    const long long Scale = std::llround(MetresPerPixel / (PerPixel / DpiX * kMetresPerInch));
    Printer.save();
    Printer.setFont(Font);
    Printer.setPen(Qt::black);
    Printer.drawText(QPointF(Left, std::min(PrintedH, PageH) + Metrics.ascent() + 0.25 * Metrics.height()),
                     QStringLiteral("Scale 1:") + GroupedThousands(Scale));
    Printer.restore();
    return Scale > std::numeric_limits<int>::max() ? 0 : int(Scale);
}

void TGeoMap::CopyToOpenPrinter(QPainter& Printer, const TRect& MapWindow, int Scale, int PosHoriz, int PosVert) {
    Q_D(TGeoMap);
    const std::int64_t w = std::abs(std::int64_t(MapWindow.Right) - MapWindow.Left);
    const std::int64_t h = std::abs(std::int64_t(MapWindow.Bottom) - MapWindow.Top);
    if (w == 0 || h == 0) return;
    int PrintedW = 0, PrintedH = 0;
    CalcExtentsOfPrint(MapWindow, Scale, PrintedW, PrintedH);
    d->DrawMapWindow(Printer, {std::min(MapWindow.Left, MapWindow.Right), std::min(MapWindow.Top, MapWindow.Bottom)},
                     double(w), double(h), PrintedW, PrintedH, PosHoriz, PosVert);
}

void TGeoMap::CopyToOpenPrinter(QPainter& Printer, const TPoint& TopLeft, int Scale, int PosHoriz, int PosVert,
                                int Width, int Height) {
    Q_D(TGeoMap);
    if (Width <= 0 || Height <= 0 || Scale <= 0) return;
    const double MetresPerPixel = d->PrintResolution();
    if (MetresPerPixel == 0) return;
    const double PixelsPerTenthMm = Scale / (MetresPerPixel * 10000.0);
    d->DrawMapWindow(Printer, TopLeft, Width * PixelsPerTenthMm, Height * PixelsPerTenthMm, Width, Height, PosHoriz,
                     PosVert);
}

void TGeoMap::CopyToBMP(QImage& DestBmp, const TPoint& TopLeft, double MagFact, int PosHoriz, int PosVert, int Width,
                        int Height) {
    Q_D(TGeoMap);
    if (DestBmp.isNull() || Width <= 0 || Height <= 0 || !(MagFact > 0) || !std::isfinite(MagFact)) return;
    const TMapViewport View{TopLeft, MagFact, Width, Height};
    const QRect Window(PosHoriz, PosVert, Width, Height);
    if (DestBmp.format() == ViewImageFormat && DestBmp.rect().contains(Window)) {
        // Composed in place: the window as an image over the destination's own pixels.
        const qsizetype Stride = DestBmp.bytesPerLine();
        uchar* Bits = DestBmp.bits() + PosVert * Stride + qsizetype(PosHoriz) * 4;
        QImage Part(Bits, Width, Height, Stride, ViewImageFormat);
        TMapRenderer(d->WindowScene(), View).Compose(Part);
        return;
    }
    const QImage Picture = RenderMapWindow(TopLeft, MagFact, Width, Height);
    if (Picture.isNull()) return;
    QPainter Painter(&DestBmp);
    Painter.drawImage(QPoint(PosHoriz, PosVert), Picture);
}

}  // namespace zylcarto
