#pragma once
// TGeoAtlas's state and the work behind its interface. Not installed: hosts
// see only the interface, so that this may change without breaking them.
#include <QPointF>
#include <QPointer>
#include <string>
#include <vector>

#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geoatlas/map_registry.h"

class QFrame;
class QComboBox;
class QKeyEvent;
class QToolButton;

namespace zylcarto {

// A map the atlas switched away from and the view it showed, to come back to.
// By name, which outlives the renumbering of UnregisterMap.
struct TMapLeft {
    std::string MapFName;
    TPoint TopLeft;
    double Magnify = 0;
};

class TGeoAtlasPrivate {
public:
    explicit TGeoAtlasPrivate(TGeoAtlas& Atlas) : q(Atlas) {}

    // Builds the panel and the view inside q; called once from q's constructor.
    void Build();
    void RebuildMapSelector();
    int SelectedListPosition() const;  // 1-based, 0 for none
    template <typename Signal>
    void ModeButtonClicked(const TNotifyEvent& ButtonEvent, Signal ButtonSignal);
    void MapSelectorChosen(int ListIndex);
    void ViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void DrawMapOutlines(TCanvas& Canvas, const TMapViewport& View) const;
    void LocateMapImage(std::string& FileName) const;
    // The map's handlers run while it loads and may delete the atlas or the map:
    // false when either is gone, Loaded telling otherwise whether the load succeeded.
    bool LoadIntoView(int Number, bool& Loaded);
    // SelectMap without telling the host of the new current map. A map loaded
    // starts a zoom history of its own; with Remember the map shown before is
    // kept for Backspace.
    bool Select(int Index, bool Remember = true);
    // Select, then centring on the position unless a handler deleted something;
    // false when the atlas is gone.
    bool ShowZoomedMap(int Number, double Lat, double Long);
    // SelectMap for a user's action, which must not raise: a map that does not
    // load is reported and the map shown stays current. False when the atlas or
    // its map is gone, Loaded telling otherwise whether the map was loaded.
    bool SelectMapForUser(int Number, bool& Loaded, bool Remember = true);
    // The map's zoom step to Magnify around At, when it changes maps.
    bool ZoomStepAcrossMaps(double Magnify, QPointF At);
    // Shows the map at exactly this view, not confined to the image, and starts
    // the map's zoom history with it.
    void ShowView(TPoint TopLeft, double Magnify);
    // ShowView with the position at control point At; false when the map cannot place it.
    bool ShowPlaceAt(double Lat, double Long, QPointF At, double Magnify);
    // FollowTraveller's change of map for a position the map showed.
    void TravellerMoved(const TPositionFix& Fix);
    // Backspace: the map goes back in its own history; with nothing older there,
    // the atlas goes back to the map shown before and its view. True when taken.
    bool KeyPressed(QKeyEvent* Event);
    void BackToMapLeft();
    // Fires OnCurrentMapChange when the current map is no longer Before; false
    // when a handler deleted the atlas.
    bool NotifyCurrentMap(int Before);

    TGeoAtlas& q;
    // Registry (the table and the current map number live in Registry).
    QPointer<TGeoMap> GeoMap;  // a host may delete it from one of its handlers
    double MinResDiff = TGeoAtlas::DefaultMinResDiff;
    TMapRegistry Registry;
    // Control surface.
    QFrame* CPanel = nullptr;
    QToolButton* SBZoom = nullptr;
    QToolButton* SBPoint = nullptr;
    QComboBox* CboxMaps = nullptr;
    TColor MapOLColor = TGeoAtlas::DefaultMapOutlineColor;
    bool MapOLVisible = true;
    TCursor Cursor = crDefault;
    TNotifyEvent OnZoomButClick, OnPoiButClick, OnCBxMapsChg;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnClick, OnDblClick;
    TMapLoadFailedEvent OnMapLoadFailed;
    TCurrentMapEvent OnCurrentMapChange;
    TZoomLimitEvent OnZoomLimitReached;
    TCurrentMapEvent OnTravellerMapChange;
    bool FollowTraveller = false;
    std::vector<TMapLeft> MapsLeft;  // the newest last
    bool PassingKey = false;         // while the map takes a key the atlas passed on
};

}  // namespace zylcarto
