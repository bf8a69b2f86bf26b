#pragma once
// TGeoAtlas's state and the work behind its interface. Not installed: hosts
// see only the interface, so that this may change without breaking them.
#include <QPointF>
#include <QPointer>
#include <string>

#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geoatlas/map_registry.h"

class QFrame;
class QComboBox;
class QToolButton;

namespace zylcarto {

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
    // SelectMap without telling the host of the new current map.
    bool Select(int Index);
    // Select, then centring on the position unless a handler deleted something;
    // false when the atlas is gone.
    bool ShowZoomedMap(int Number, double Lat, double Long);
    // SelectMap for a user's action, which must not raise: a map that does not
    // load is reported and the map shown stays current. False when the atlas or
    // its map is gone, Loaded telling otherwise whether the map was loaded.
    bool SelectMapForUser(int Number, bool& Loaded);
    // The map's zoom step to Magnify around At, when it changes maps.
    bool ZoomStepAcrossMaps(double Magnify, QPointF At);
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
};

}  // namespace zylcarto
