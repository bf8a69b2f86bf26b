#pragma once
// The demo's GPS menu: a journey over Zylland generated as an NMEA log and
// replayed, the map and the atlas following it, the recorded track shown whole
// and saved as GPX.
#include <QObject>
#include <string>

#include "zylcarto/geomap/tracks/track_types.h"

class QAction;
class QMenu;
class QMainWindow;

namespace zylcarto {
class TGeoAtlas;
class TPositionSource;
}  // namespace zylcarto

namespace zylcarto::demo {

// A drive from town to town at 20 m/s, a fix every 10 seconds.
TTrack ZyllandJourney();

class TGpsMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to Window's menu bar; the log is written to Folder.
    TGpsMenu(QMainWindow& Window, TGeoAtlas& Atlas, std::string Folder);
    TPositionSource& Source() const { return *FSource; }
    QMenu& Menu() const { return *FMenu; }
    // Writes the journey's NMEA log and replays it Speed times as fast, recording it.
    bool ReplayJourney(double Speed);
    // Follows the position with the map and the atlas, or stops.
    void SetFollow(bool Value);
    // The trail shows the whole recorded track, or the last fixes.
    void SetWholeTrack(bool Value);

private:
    void SaveTrack();

    QMainWindow& FWindow;
    TGeoAtlas& FAtlas;
    std::string FFolder;
    TPositionSource* FSource;
    QMenu* FMenu = nullptr;
    QAction* FFollow = nullptr;
    QAction* FWhole = nullptr;
};

}  // namespace zylcarto::demo
