#include "fit_plot.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <memory>

#include "cli.h"

namespace zylcarto::cli {

namespace {

constexpr double ArrowShare = 0.1;  // of the shorter side, for the longest arrow
const QColor PointColor(0, 0, 0);
const QColor ArrowColor(0, 0, 255);
const QColor OutlierColor(255, 0, 0);

// Text needs fonts and fonts need an application; a tool has no display.
std::unique_ptr<QGuiApplication> GuiForText() {
    if (QGuiApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zylcarto";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

double ResidualArrowScale(const std::vector<TPlotPoint>& Points, int Width, int Height) {
    double longest = 0;
    for (const TPlotPoint& p : Points)
        if (p.Placed) longest = std::max(longest, std::hypot(p.FitX - p.X, p.FitY - p.Y));
    const double wanted = ArrowShare * std::min(Width, Height) / longest;
    if (!(wanted > 1) || !std::isfinite(wanted)) return 1;
    const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * decade <= wanted) return m * decade;
    return decade;
}

void WriteResidualPlot(const std::string& File, const std::string& Background, int Width, int Height,
                       const std::vector<TPlotPoint>& Points, double Scale) {
    const auto app = GuiForText();
    QImage picture(Width, Height, QImage::Format_RGB32);
    if (picture.isNull()) throw EOperationFailed("cannot make a picture of " + std::to_string(Width) + "x" +
                                                 std::to_string(Height) + " pixels for " + Quoted(File));
    picture.fill(Qt::white);
    QPainter painter(&picture);
    if (!Background.empty()) {
        QImageReader reader(QString::fromStdString(Background));
        const QImage map = reader.read();
        if (map.isNull())
            throw EUsageError("cannot read the map image " + Quoted(Background) + ": " +
                              reader.errorString().toStdString());
        painter.drawImage(QRect(0, 0, Width, Height), map);
    }
    // The scale first: points near the corner are drawn over it.
    QFont font = painter.font();
    font.setPixelSize(std::max(12, static_cast<int>(std::min(Width, Height) / 40)));
    painter.setFont(font);
    painter.setPen(PointColor);
    const QString text = QStringLiteral("residuals x %1").arg(Scale, 0, 'g', 6);
    const QRect box = painter.fontMetrics().boundingRect(text).adjusted(-4, -4, 4, 4);
    const QRect at = box.translated(8 - box.left(), Height - 8 - box.bottom());
    painter.fillRect(at, Qt::white);
    painter.drawText(at, Qt::AlignCenter, text);
    // Lines stay visible on a large map viewed whole.
    const double pen = std::max(2.0, std::min(Width, Height) / 400.0);
    for (const TPlotPoint& p : Points) {
        const QColor colour = p.Outlier ? OutlierColor : ArrowColor;
        painter.setPen(QPen(PointColor, pen));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(p.X, p.Y), 2 * pen, 2 * pen);
        if (!p.Placed) continue;
        const QPointF from(p.X, p.Y), to(p.X + Scale * (p.FitX - p.X), p.Y + Scale * (p.FitY - p.Y));
        const QLineF shaft(from, to);
        if (shaft.length() < 1) continue;
        painter.setPen(QPen(colour, pen, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(shaft);
        // The head: two barbs at 25 degrees back from the tip.
        const double head = std::min(shaft.length() / 2, 6 * pen);
        for (double turn : {155.0, -155.0}) {
            QLineF barb = QLineF::fromPolar(head, shaft.angle() + turn);
            barb.translate(to);
            painter.drawLine(barb);
        }
    }
    painter.end();
    if (!picture.save(QString::fromStdString(File), "PNG"))
        throw EOperationFailed("cannot write the picture " + Quoted(File));
}

}  // namespace zylcarto::cli
