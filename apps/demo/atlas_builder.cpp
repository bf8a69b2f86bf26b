#include "atlas_builder.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/map_grid.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::demo {
namespace {

// Each map's longitude range is chosen so that its pixels are about square at 58 N.
constexpr std::array<TDemoMapSpec, 4> Maps{{
    {"zylland_overview", "Zylland - overview", 57.45, -12.60, 58.55, -9.40, 0.25, 0.5, 960, 640},
    {"zylland_west", "Zylland - west", 57.70, -12.20, 58.35, -10.30, 0.1, 0.2, 960, 640},
    {"zylland_east", "Zylland - east", 57.80, -11.00, 58.25, -9.70, 0.1, 0.2, 960, 640},
    {"port_zyl", "Port Zyl - town map", 58.00, -10.24, 58.08, -10.005, 0.02, 0.05, 960, 640},
}};

// Colours of the 16-colour palette the generated images are stored in.
constexpr TColor Sea = 0xFFFF00;     // aqua
constexpr TColor Land = 0xFFFFFF;    // white
constexpr TColor Water = 0xFF0000;   // blue
constexpr TColor Road = 0x0000FF;    // red
constexpr TColor Street = 0x808080;  // grey
constexpr TColor Ink = 0x000000;

class TProjection {
public:
    explicit TProjection(const TGeneratedMapBounds& B) : FB(B) {}
    QPointF operator()(const TGeoPoint& P) const {
        const int I = GeneratedMapInset;
        return {I + (P.Long - FB.LongLow) / (FB.LongHigh - FB.LongLow) * (FB.Wid - 2 * I),
                FB.Hgt - I - (P.Lat - FB.LatLow) / (FB.LatHigh - FB.LatLow) * (FB.Hgt - 2 * I)};
    }
    // Image pixels per degree of latitude: how much detail the map can carry.
    double PixelsPerDegree() const { return (FB.Hgt - 2 * GeneratedMapInset) / (FB.LatHigh - FB.LatLow); }

private:
    TGeneratedMapBounds FB;
};

QPolygonF Polygon(std::span<const TGeoPoint> Points, const TProjection& Project) {
    QPolygonF Result;
    for (const TGeoPoint& P : Points) Result << Project(P);
    return Result;
}

void DrawLines(QPainter& P, std::span<const TPolyline> Lines, const TProjection& Project, TColor Color, double Width) {
    P.setPen(QPen(ToQColor(Color), Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    P.setBrush(Qt::NoBrush);
    for (const TPolyline& L : Lines) P.drawPolyline(Polygon(L.Points, Project));
}

void DrawTowns(QPainter& P, std::span<const TTown> Towns, const TProjection& Project, bool Detailed) {
    for (const TTown& T : Towns) {
        const double Radius = (Detailed ? 2.0 : 1.0) * (2.5 + std::log10(T.Population) - 3);
        const QPointF C = Project(T.Position);
        P.setPen(QPen(ToQColor(Ink), 1));
        P.setBrush(ToQColor(Road));
        P.drawEllipse(C, Radius, Radius);
        QFont F(ResolveFontFamily("DejaVu Sans"));
        F.setPixelSize(T.Population >= 5000 ? 14 : 12);
        F.setBold(T.Population >= 20000);
        P.setFont(F);
        P.setPen(ToQColor(Ink));
        P.drawText(C + QPointF(Radius + 3, -Radius - 2), QString::fromUtf8(T.Name.data(), qsizetype(T.Name.size())));
    }
}

}  // namespace

std::span<const TDemoMapSpec> DemoMaps() { return Maps; }

void DrawRegion(TCanvas& Canvas, const TRegion& Region, const TGeneratedMapBounds& Bounds) {
    const TProjection Project(Bounds);
    const bool Detailed = Project.PixelsPerDegree() > 3000;
    const int I = GeneratedMapInset;
    const QRect Plot(I + 1, I + 1, Bounds.Wid - 2 * I - 1, Bounds.Hgt - 2 * I - 1);
    {
        QPainter& P = Canvas.Painter();
        P.save();
        P.setRenderHint(QPainter::Antialiasing, false);  // the image keeps 16 colours
        P.setClipRect(Plot);
        P.fillRect(Plot, ToQColor(Sea));
        P.setPen(Qt::NoPen);
        P.setBrush(ToQColor(Land));
        P.drawPolygon(Polygon(Region.Coast, Project));
        P.setBrush(ToQColor(Sea));
        P.drawPolygon(Polygon(Region.Lake, Project));
        P.restore();
    }
    // The grid over sea and land, the map content over the grid.
    DrawMapGrid(Canvas, Bounds);
    QPainter& P = Canvas.Painter();
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    P.setClipRect(Plot);
    if (Detailed) DrawLines(P, Region.Streets, Project, Street, 3);
    DrawLines(P, Region.Roads, Project, Road, Detailed ? 3 : 2);
    DrawLines(P, Region.Rivers, Project, Water, Detailed ? 4 : 2);
    P.setPen(QPen(ToQColor(Water), 1));
    P.setBrush(Qt::NoBrush);
    P.drawPolygon(Polygon(Region.Lake, Project));
    P.setPen(QPen(ToQColor(Ink), Detailed ? 2 : 1));
    P.drawPolygon(Polygon(Region.Coast, Project));
    DrawTowns(P, Region.Towns, Project, Detailed);
    P.restore();
}

std::vector<std::string> BuildAtlas(const std::string& Folder, bool Regenerate) {
    QDir().mkpath(QString::fromStdString(Folder));
    std::vector<std::string> Files;
    TGeoMap Generator;  // never shown
    // The calibration file names its image in lower case; the folder may not be.
    Generator.SetOnMapImageRequest(
        [&](TObject*, std::string& FileName) { FileName = Folder + "/" + StripPath(FileName); });
    for (const TDemoMapSpec& M : Maps) {
        const std::string Xml = QDir(QString::fromStdString(Folder))
                                    .filePath(QString::fromUtf8(M.Stem.data(), qsizetype(M.Stem.size())) + ".xml")
                                    .toStdString();
        Files.push_back(Xml);
        if (!Regenerate && QFileInfo::exists(QString::fromStdString(Xml))) continue;
        const TGeneratedMapBounds B{M.LatLow, M.LongLow, M.LatHigh, M.LongHigh, M.dLat, M.dLong, M.Wid, M.Hgt};
        Generator.CreateAndLoadEmptyMap(Xml, B.LatLow, B.LongLow, B.LatHigh, B.LongHigh, B.dLat, B.dLong, B.Wid, B.Hgt,
                                        [&](TObject*, TCanvas& Canvas, double, double, double, double, int, int) {
                                            DrawRegion(Canvas, Zylland(), NormalizedMapBounds(B));
                                        });
        // A generated map knows no caption or resolution; the atlas chooses by them.
        Generator.SetMapCaption(std::string(M.Caption));
        Generator.SaveCalDataAsXML(Xml, std::string(CalDataID));
    }
    return Files;
}

}  // namespace zylcarto::demo
