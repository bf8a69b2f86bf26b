// A map viewer: a main window around a TGeoMap that loads the calibration file
// named on the command line (the map image is found beside it) and shows the
// latitude and longitude under the mouse in the status bar.
//
//     zylcarto_example_map_viewer MAP.xml [DATA-ID] [--quit-after-load]
//
// With --quit-after-load it reports the loaded image size and exits: 0 when the
// map loaded, 1 when it did not.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <cstdio>
#include <string>

#include <zylcarto/geomap/view/geomap.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool quitAfterLoad = args.removeAll(QStringLiteral("--quit-after-load")) > 0;
    if (args.isEmpty() || args.size() > 2) {
        std::fprintf(stderr, "usage: zylcarto_example_map_viewer MAP.xml [DATA-ID] [--quit-after-load]\n");
        return 2;
    }

    QMainWindow window;
    auto* map = new zylcarto::TGeoMap(&window);  // owned by the window
    window.setCentralWidget(map);
    auto* position = new QLabel(&window);
    window.statusBar()->addWidget(position, 1);

    // The map reports mouse moves in control pixels and keeps the image pixel
    // under the mouse; the calibration turns that into a position.
    map->SetOnMouseMove([map, position](zylcarto::TObject*, zylcarto::TShiftState, int, int) {
        bool latValid = false, longValid = false;
        const double lat = map->CalcLatitude(map->LastMousePosX(), map->LastMousePosY(), latValid);
        const double lon = map->CalcLongitude(map->LastMousePosX(), map->LastMousePosY(), longValid);
        if (latValid && longValid)
            position->setText(QStringLiteral("%1  %2").arg(lat, 0, 'f', 5).arg(lon, 0, 'f', 5));
        else
            position->clear();
    });

    const std::string dataId = args.size() > 1 ? args[1].toStdString() : std::string();
    bool loaded = false;
    try {
        loaded = map->LoadCalDataFromXML(args[0].toStdString(), dataId);
    } catch (const std::exception& e) {  // a damaged file or image
        std::fprintf(stderr, "%s\n", e.what());
    }
    if (!loaded || map->MapImgWidth() == 0) {
        std::fprintf(stderr, "%s: no map loaded\n", qPrintable(args[0]));
        if (quitAfterLoad) return 1;
    }
    if (quitAfterLoad) {
        std::printf("loaded %d x %d\n", map->MapImgWidth(), map->MapImgHeight());
        return 0;
    }
    window.resize(1000, 700);
    window.show();
    map->ZoomFitPage();
    return app.exec();
}
