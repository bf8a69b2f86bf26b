// zylcarto-demo: an atlas of an invented island built with the zylcarto widgets.
//   zylcarto-demo [--data-dir DIR] [--grid none|graticule|utm] [--regenerate] [--status]
//   zylcarto-demo --snapshot OUT.png [--data-dir DIR] [--grid ...]
// The snapshot zooms in at the capital and shows the start of the GPS journey.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo_window.h"
#include "gps_menu.h"
#include "zylcarto/geomap/position/position_source.h"

using namespace zylcarto;
using namespace zylcarto::demo;

namespace {

struct TOptions {
    std::string Snapshot;
    std::string DataDir;
    bool Regenerate = false;
    bool Status = false;
    int Grid = 0;
};

const char* const Usage =
    "usage: zylcarto-demo [--data-dir DIR] [--grid none|graticule|utm] [--regenerate] [--status]\n"
    "       zylcarto-demo --snapshot OUT.png [--data-dir DIR] [--grid none|graticule|utm]\n"
    "  --data-dir DIR   where the atlas is generated (default: the user's data folder)\n"
    "  --grid KIND      the overlay to start with\n"
    "  --regenerate     draw the maps again even when they exist\n"
    "  --status         report the shown map, where things are and the readout on standard output\n"
    "  --snapshot FILE  run a fixed script without a display and save the window as FILE\n";

bool ParseOptions(int argc, char** argv, TOptions& O) {
    for (int i = 1; i < argc; ++i) {
        const std::string A = argv[i];
        const bool HasValue = i + 1 < argc;
        if (A == "--snapshot" && HasValue)
            O.Snapshot = argv[++i];
        else if (A == "--data-dir" && HasValue)
            O.DataDir = argv[++i];
        else if (A == "--grid" && HasValue) {
            const std::string G = argv[++i];
            if (G == "none")
                O.Grid = 0;
            else if (G == "graticule")
                O.Grid = 1;
            else if (G == "utm")
                O.Grid = 2;
            else
                return false;
        } else if (A == "--regenerate")
            O.Regenerate = true;
        else if (A == "--status")
            O.Status = true;
        else
            return false;
    }
    return true;
}

void Click(QWidget* W, QPoint P, Qt::MouseButton Button) {
    const QPointF Local(P), Global(W->mapToGlobal(P));
    QMouseEvent Press(QEvent::MouseButtonPress, Local, Global, Button, Button, Qt::NoModifier);
    QApplication::sendEvent(W, &Press);
    QMouseEvent Release(QEvent::MouseButtonRelease, Local, Global, Button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Release);
}

void Hover(QWidget* W, QPoint P) {
    QMouseEvent Move(QEvent::MouseMove, QPointF(P), QPointF(W->mapToGlobal(P)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(W, &Move);
}

// The first fixes of the journey, replayed at once: the position, its trail and the track so far.
bool ShowJourneyStart(TDemoWindow& Window, std::size_t Fixes) {
    TTrack Start = ZyllandJourney();
    std::vector<TTrackPoint>& P = Start.Segments.front().Points;
    P.resize(std::min(P.size(), Fixes));
    TGpsMenu& Gps = *Window.Gps();
    Gps.SetWholeTrack(true);
    QEventLoop Wait;
    QObject::connect(&Gps.Source(), &TPositionSource::replayFinished, &Wait, &QEventLoop::quit);
    if (!Gps.Source().ReplayTrack(Start, 1e6)) return false;
    Wait.exec();
    return Window.Atlas()->CurrentMap()->ShownPosition().HasPosition();
}

// Register the maps, show the coarsest, zoom in at the capital, add a landmark,
// drive out of the capital.
int RunSnapshot(TDemoWindow& Window, const std::string& OutFile, const std::string& AtlasFolder) {
    TGeoAtlas& Atlas = *Window.Atlas();
    Window.show();
    QApplication::processEvents();
    Window.FitMap();
    const int Coarsest = Atlas.CurrentMapIdx();
    const TTown& Capital = Zylland().Towns.front();
    QPoint At;
    if (!Window.ViewPosition(Capital.Position, At)) {
        std::fprintf(stderr, "zylcarto-demo: %s is not on the first map\n", std::string(Capital.Name).c_str());
        return 1;
    }
    Atlas.ZoomButton()->click();
    Click(Atlas.CurrentMap(), At, Qt::LeftButton);
    QApplication::processEvents();
    if (Atlas.Maps(Atlas.CurrentMapIdx()).Resolution >= Atlas.Maps(Coarsest).Resolution) {
        std::fprintf(stderr, "zylcarto-demo: zooming in at %s selected no finer map\n",
                     std::string(Capital.Name).c_str());
        return 1;
    }
    Window.AddLandmark({Capital.Position.Lat - 0.006, Capital.Position.Long + 0.016}, "Harbour office");
    if (!ShowJourneyStart(Window, 30)) {
        std::fputs("zylcarto-demo: the journey's replay showed no position\n", stderr);
        return 1;
    }
    if (Window.ViewPosition(Capital.Position, At)) Hover(Atlas.CurrentMap(), At);
    QApplication::processEvents();
    if (!Window.grab().save(QString::fromStdString(OutFile))) {
        std::fprintf(stderr, "zylcarto-demo: cannot write %s\n", OutFile.c_str());
        return 1;
    }
    std::printf("snapshot written to %s (%s; atlas in %s)\n", OutFile.c_str(),
                Atlas.Maps(Atlas.CurrentMapIdx()).Caption.c_str(), AtlasFolder.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TOptions Options;
    if (!ParseOptions(argc, argv, Options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (!Options.Snapshot.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zylcarto-demo"));
    if (Options.DataDir.empty())
        Options.DataDir = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                              .filePath(QStringLiteral("atlas"))
                              .toStdString();

    TDemoWindow Window(Options.DataDir, Options.Status);
    try {
        Window.LoadAtlas(Options.Regenerate);
        Window.SetGrid(Options.Grid);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "zylcarto-demo: %s\n", E.what());
        return 1;
    }
    if (!Options.Snapshot.empty()) return RunSnapshot(Window, Options.Snapshot, Options.DataDir);
    Window.show();
    QApplication::processEvents();
    Window.FitMap();
    if (Options.Status) {
        Window.ReportState();
        std::printf("ready\n");
        std::fflush(stdout);
    }
    std::printf("atlas in %s\n", Options.DataDir.c_str());
    std::fflush(stdout);
    return App.exec();
}
