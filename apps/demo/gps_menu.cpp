#include "gps_menu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <cmath>

#include "region_data.h"
#include "zylcarto/exchange/nmea.h"
#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geodesy/geodesic.h"
#include "zylcarto/geomap/position/position_source.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::demo {

namespace {

constexpr double DriveSpeed = 20;  // metres per second
constexpr int FixSeconds = 10;     // as a logger set to save its memory records
constexpr double ReplaySpeed = 25;
constexpr int RecentFixes = 60;

}  // namespace

TTrack ZyllandJourney() {
    TTrack T;
    T.Name = "Journey over Zylland";
    T.Segments.emplace_back();
    std::vector<TTrackPoint>& P = T.Segments.back().Points;
    TDateTime Time = EncodeDateTime(2024, 6, 1, 9, 0, 0);
    const auto Towns = Zylland().Towns;
    for (std::size_t i = 0; i + 1 < Towns.size(); ++i) {
        const TGeoPoint A = Towns[i].Position, B = Towns[i + 1].Position;
        const double Metres = GeodesicInverse({A.Lat, A.Long}, {B.Lat, B.Long}).Distance;
        const int Steps = std::max(1, static_cast<int>(Metres / DriveSpeed / FixSeconds));
        for (int s = 0; s < Steps; ++s) {
            const double f = static_cast<double>(s) / Steps;
            TTrackPoint Fix;
            Fix.Latitude = A.Lat + (B.Lat - A.Lat) * f;
            Fix.Longitude = A.Long + (B.Long - A.Long) * f;
            Fix.Elevation = 20 + 15 * std::sin(static_cast<double>(P.size()) / 9);
            Fix.Speed = DriveSpeed;
            Fix.Time = Time;
            Time += FixSeconds / 86400.0;
            P.push_back(Fix);
        }
    }
    return T;
}

TGpsMenu::TGpsMenu(QMainWindow& Window, TGeoAtlas& Atlas, std::string Folder)
    : QObject(&Window), FWindow(Window), FAtlas(Atlas), FFolder(std::move(Folder)), FSource(new TPositionSource(this)) {
    TGeoMap& Map = *Atlas.CurrentMap();
    connect(FSource, &TPositionSource::positionUpdated, &Map, &TGeoMap::ShowPosition);
    connect(FSource, &TPositionSource::fixStateChanged, &Map, [this, &Map](int State) {
        Map.SetPositionCurrent(State == fsFix);
        if (State != fsFix)
            FWindow.statusBar()->showMessage(State == fsStale ? tr("GPS: the last fix is stale") : tr("GPS: no fix"),
                                             5000);
    });
    FMenu = Window.menuBar()->addMenu(tr("&GPS"));
    QMenu* Menu = FMenu;
    connect(Menu->addAction(tr("&Replay a journey over Zylland")), &QAction::triggered, this,
            [this] { ReplayJourney(ReplaySpeed); });
    connect(Menu->addAction(tr("S&top")), &QAction::triggered, FSource, [this] { FSource->Stop(); });
    Menu->addSeparator();
    FFollow = Menu->addAction(tr("&Follow the position"));
    FFollow->setCheckable(true);
    connect(FFollow, &QAction::toggled, this, &TGpsMenu::SetFollow);
    // A pan by the user ends following; the menu says so.
    connect(&Map, &TGeoMap::followPositionChanged, FFollow, &QAction::setChecked);
    FWhole = Menu->addAction(tr("Show the whole &track"));
    FWhole->setCheckable(true);
    connect(FWhole, &QAction::toggled, this, &TGpsMenu::SetWholeTrack);
    connect(Menu->addAction(tr("&Save the track as GPX...")), &QAction::triggered, this, &TGpsMenu::SaveTrack);
    Map.SetTrailLength(RecentFixes);
}

bool TGpsMenu::ReplayJourney(double Speed) {
    QDir().mkpath(QString::fromStdString(FFolder));
    const QString Log = QDir(QString::fromStdString(FFolder)).filePath(QStringLiteral("journey.nmea"));
    QFile F(Log);
    const std::string Bytes = WriteNmea(ZyllandJourney());
    if (!F.open(QIODevice::WriteOnly) || F.write(Bytes.data(), static_cast<qint64>(Bytes.size())) < 0) return false;
    F.close();
    FSource->ClearRecordedTrack();
    FSource->SetRecording(true);
    return FSource->ReplayNmeaFile(Log.toStdString(), Speed);
}

void TGpsMenu::SetFollow(bool Value) {
    FAtlas.SetFollowTraveller(Value);
    FAtlas.CurrentMap()->SetFollowPosition(Value);
    FFollow->setChecked(Value);
}

void TGpsMenu::SetWholeTrack(bool Value) {
    FAtlas.CurrentMap()->SetTrailLength(Value ? TGeoMap::MaxTrailLength : RecentFixes);
    FWhole->setChecked(Value);
}

void TGpsMenu::SaveTrack() {
    const QString Name = QFileDialog::getSaveFileName(&FWindow, tr("Save the track"), {}, tr("GPX files (*.gpx)"));
    if (Name.isEmpty()) return;
    if (!FSource->SaveRecordedTrack(Name.toStdString()))
        QMessageBox::warning(&FWindow, tr("Save the track"), tr("Cannot write %1").arg(Name));
}

}  // namespace zylcarto::demo
