#include "zylcarto/designer/widget_plugins.h"

#include <QIcon>
#include <QPixmap>

#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geomap/view/geomap.h"

namespace zylcarto::designer {

namespace {

QString FormXml(const QString& ClassName, const QString& ObjectName, int Width, int Height) {
    return QStringLiteral(R"(<ui language="c++"><widget class="%1" name="%2">)"
                          R"(<property name="geometry"><rect><x>0</x><y>0</y><width>%3</width>)"
                          R"(<height>%4</height></rect></property></widget></ui>)")
        .arg(ClassName, ObjectName)
        .arg(Width)
        .arg(Height);
}

template <typename TWidget>
QWidget* Create(QWidget* Parent, bool Designing) {
    auto* W = new TWidget(Parent);
    if (Designing)
        W->SetDesigning(true);
    else
        W->BeginLoading();  // ended by the first polish, after the loader has set the properties
    return W;
}

}  // namespace

QIcon TWidgetPlugin::icon() const {
    // The button bitmaps hold the up and the down image side by side.
    const QPixmap Both(FEntry.IconResource);
    return QIcon(Both.copy(0, 0, Both.width() / 2, Both.height()));
}

QWidget* TWidgetPlugin::createWidget(QWidget* Parent) { return FEntry.Create(Parent, FCore != nullptr); }

void TWidgetPlugin::initialize(QDesignerFormEditorInterface* Core) { FCore = Core; }

TWidgetCollection::TWidgetCollection(QObject* Parent) : QObject(Parent) {
    FWidgets.append(new TWidgetPlugin(
        {QStringLiteral("zylcarto::TGeoMap"), QStringLiteral("zylcarto/geomap/view/geomap.h"),
         QStringLiteral(":/zylcarto/POINTR"), QStringLiteral("A calibrated raster map with graticule and landmarks"),
         QStringLiteral("TGeoMap shows a map image tied to latitude and longitude by its calibration file, with a "
                        "graticule or UTM grid, landmarks, zoom and pan. In the form it draws a placeholder; the "
                        "calibration and image files named in its properties are loaded when the form is."),
         FormXml(QStringLiteral("zylcarto::TGeoMap"), QStringLiteral("geoMap"), 500, 400), Create<TGeoMap>},
        this));
    FWidgets.append(new TWidgetPlugin(
        {QStringLiteral("zylcarto::TGeoAtlas"), QStringLiteral("zylcarto/geoatlas/geoatlas.h"),
         QStringLiteral(":/zylcarto/ZOOMIN"), QStringLiteral("A map view that switches between registered maps"),
         QStringLiteral("TGeoAtlas holds a map view under a command panel and a table of registered maps; in zoom "
                        "mode a click shows the map of the next finer or coarser resolution at that position."),
         FormXml(QStringLiteral("zylcarto::TGeoAtlas"), QStringLiteral("geoAtlas"), 480, 320), Create<TGeoAtlas>},
        this));
}

}  // namespace zylcarto::designer
