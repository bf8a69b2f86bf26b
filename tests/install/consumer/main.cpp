// A host of the installed library: geodesy, an exception thrown inside the
// library and caught here by its class, free functions and a class of the
// headers (each must link), and (with the widgets) a map control.
#include <zylcarto/geodb/geodb.h>
#include <zylcarto/geodesy/ellipsoids.h>
#include <zylcarto/geodesy/projections.h>
#include <zylcarto/geomap/calibration/xml_source.h>
#include <zylcarto/support/errors.h>
#include <zylcarto/support/streams.h>
#include <zylcarto/support/tagreader.h>

#include <cmath>
#include <cstdio>

#ifdef ZYLCARTO_HOST_WIDGETS
#include <QApplication>
#include <zylcarto/geomap/view/geomap.h>
#endif

using namespace zylcarto;

int main(int argc, char** argv) {
    int zone = 0;
    double e = 0, n = 0;
    LatLongToUTM(48.2, 16.4, gelWGS84, zone, e, n);
    if (zone != 33) return 1;
    try {
        RecipFlattening(2.0);  // no eccentricity squared is above 1
        return 2;
    } catch (const EZYLGeoBasicsError&) {}
    if (GeoLatitude(-12.5, dfDecimal, 1).find('S') == std::string::npos) return 3;
    TGeoDB db;
    db.SetLockTimeout(250);
    TMemoryStream xml;
    xml.WriteString("<corners a=\"1\"></corners>");
    xml.SetPosition(0);
    std::string attributes, content;
    if (db.IsOpen() || db.LockTimeout() != 250 || ReadNextTagInStream(xml, CalibTagList(), attributes, content) != ctCorners) return 5;
#ifdef ZYLCARTO_HOST_WIDGETS
    QApplication app(argc, argv);
    TGeoMap map;
    int zoomPans = 0;
    map.SetOnZoomPan([&](TObject* Sender) { zoomPans += dynamic_cast<TGeoMap*>(Sender) == &map; });
    map.CreateEmptyMapInMemory(47, 15, 48, 17, 0.5, 0.5, 400, 200, true);
    map.DoZoomPanEvent();
    QWidget* asWidget = &map;
    bool valid = false;
    const double lat = map.CalcLatitude(map.MapImgWidth() / 2, map.MapImgHeight() / 2, valid);
    if (!valid || std::abs(lat - 47.5) > 0.01 || zoomPans != 1 || qobject_cast<TGeoMap*>(asWidget) != &map) return 4;
#else
    (void)argc;
    (void)argv;
#endif
    std::printf("host ok\n");
    return 0;
}
