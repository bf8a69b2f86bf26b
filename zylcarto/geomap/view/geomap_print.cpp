// Clipboard, printing and bitmap export of the map.
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kTenthsMmPerInch = 254.0;
// Prints are rendered at no more than this, and scaled up by the printer.
constexpr double kMaxRenderDpi = 300.0;

} // namespace

TMapScene TGeoMap::WindowScene() const {
    // Another window of the map: no trace, no frame, and the cache only where it fits.
    TMapScene S = Scene();
    S.Shown = true;
    S.CacheUse = TMapScene::TCacheUse::IfItFits;
    S.Trace = {};
    S.Frame = false;
    return S;
}

QImage TGeoMap::RenderMapWindow(const TPoint& TopLeft, double Mag, int W, int H) const {
    if (W <= 0 || H <= 0 || !(Mag > 0) || !std::isfinite(Mag)) return {};
    QImage Picture(W, H, ViewImageFormat);
    if (Picture.isNull()) return {};
    TMapRenderer(WindowScene(), {TopLeft, Mag, W, H}).Compose(Picture);
    return Picture;
}

void TGeoMap::CopyToClipboard() {
    const int W = width(), H = height();
    QImage copy(W, H, ViewImageFormat);
    copy.fill(Qt::white);
    {
        TCanvas canvas(copy);
        canvas.CopyRect({2, 2, W - 2, H - 2}, AuxBmp, {2, 2, W - 2, H - 2});
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
    if (GrafBmp.isNull() || FMapImgWidth <= 0 || FMapImgHeight <= 0) return;
    QGuiApplication::clipboard()->setImage(RenderMapWindow({0, 0}, 1.0, FMapImgWidth, FMapImgHeight));
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
    if (!(ScaleF > 0) || !std::isfinite(ScaleF) || !Printer.device()) return;
    const int W = width(), H = height();
    const double devicePerScreen = ScaleF * Printer.device()->logicalDpiX() / kScreenDpi;
    const QRectF target(x, y, W * devicePerScreen, H * devicePerScreen * Printer.device()->logicalDpiY() /
                                                       Printer.device()->logicalDpiX());
    Printer.save();
    Printer.setRenderHint(QPainter::SmoothPixmapTransform, true);
    Printer.drawImage(target, AuxBmp, QRectF(0, 0, W, H));
    Printer.restore();
    y += static_cast<int>(std::lround(target.height()));
}

void TGeoMap::CalcExtentsOfPrint(const TRect& MapWindow, int Scale, int& Width, int& Height) {
    Width = Height = 0;
    if (Scale <= 0) return;
    if (!(FCalib.CalibData().Resolution > 0)) FCalib.CalcExtentsAndResolution();
    const double metresPerPixel = FCalib.CalibData().Resolution;
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel)) return;
    const double tenthsMmPerPixel = metresPerPixel * 10000.0 / Scale;
    Width = static_cast<int>(std::lround(std::abs(MapWindow.Right - MapWindow.Left) * tenthsMmPerPixel));
    Height = static_cast<int>(std::lround(std::abs(MapWindow.Bottom - MapWindow.Top) * tenthsMmPerPixel));
}

void TGeoMap::DrawMapWindow(QPainter& Printer, const TPoint& TopLeft, double ImagePixelsWide,
                            double ImagePixelsHigh, int Scale, int PosHoriz, int PosVert) {
    int printedW = 0, printedH = 0;
    CalcExtentsOfPrint({0, 0, static_cast<int>(std::lround(ImagePixelsWide)), static_cast<int>(std::lround(ImagePixelsHigh))},
                       Scale, printedW, printedH);
    if (printedW <= 0 || printedH <= 0 || !Printer.device()) return;
    const double dpiX = Printer.device()->logicalDpiX(), dpiY = Printer.device()->logicalDpiY();
    const QRectF target(PosHoriz * dpiX / kTenthsMmPerInch, PosVert * dpiY / kTenthsMmPerInch,
                        printedW * dpiX / kTenthsMmPerInch, printedH * dpiY / kTenthsMmPerInch);
    // Rendered at up to kMaxRenderDpi, so a fine printer does not need a huge bitmap.
    const double renderDpi = std::min(dpiX, kMaxRenderDpi);
    const int renderW = std::max(1, static_cast<int>(std::lround(printedW * renderDpi / kTenthsMmPerInch)));
    const int renderH = std::max(1, static_cast<int>(std::lround(printedH * renderDpi / kTenthsMmPerInch)));
    const QImage picture = RenderMapWindow(TopLeft, renderW / ImagePixelsWide, renderW, renderH);
    Printer.save();
    Printer.setRenderHint(QPainter::SmoothPixmapTransform, true);
    Printer.drawImage(target, picture);
    Printer.restore();
}

void TGeoMap::CopyToOpenPrinter(QPainter& Printer, const TRect& MapWindow, int Scale, int PosHoriz, int PosVert) {
    const int w = std::abs(MapWindow.Right - MapWindow.Left), h = std::abs(MapWindow.Bottom - MapWindow.Top);
    if (w == 0 || h == 0) return;
    DrawMapWindow(Printer, {std::min(MapWindow.Left, MapWindow.Right), std::min(MapWindow.Top, MapWindow.Bottom)}, w,
                  h, Scale, PosHoriz, PosVert);
}

void TGeoMap::CopyToOpenPrinter(QPainter& Printer, const TPoint& TopLeft, int Scale, int PosHoriz, int PosVert,
                                int Width, int Height) {
    if (Width <= 0 || Height <= 0 || Scale <= 0) return;
    if (!(FCalib.CalibData().Resolution > 0)) FCalib.CalcExtentsAndResolution();
    const double metresPerPixel = FCalib.CalibData().Resolution;
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel)) return;
    const double pixelsPerTenthMm = Scale / (metresPerPixel * 10000.0);
    DrawMapWindow(Printer, TopLeft, Width * pixelsPerTenthMm, Height * pixelsPerTenthMm, Scale, PosHoriz, PosVert);
}

void TGeoMap::CopyToBMP(QImage& DestBmp, const TPoint& TopLeft, double MagFact, int PosHoriz, int PosVert, int Width,
                        int Height) {
    if (DestBmp.isNull() || Width <= 0 || Height <= 0 || !(MagFact > 0) || !std::isfinite(MagFact)) return;
    const TMapViewport View{TopLeft, MagFact, Width, Height};
    const QRect Window(PosHoriz, PosVert, Width, Height);
    if (DestBmp.format() == ViewImageFormat && DestBmp.rect().contains(Window)) {
        // Composed in place: the window as an image over the destination's own pixels.
        const qsizetype Stride = DestBmp.bytesPerLine();
        uchar* Bits = DestBmp.bits() + PosVert * Stride + qsizetype(PosHoriz) * 4;
        QImage Part(Bits, Width, Height, Stride, ViewImageFormat);
        TMapRenderer(WindowScene(), View).Compose(Part);
        return;
    }
    const QImage Picture = RenderMapWindow(TopLeft, MagFact, Width, Height);
    if (Picture.isNull()) return;
    QPainter Painter(&DestBmp);
    Painter.drawImage(QPoint(PosHoriz, PosVert), Picture);
}

} // namespace zylcarto
