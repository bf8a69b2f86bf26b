#pragma once
// TGeoAtlas: a map view under a command panel (pointer and zoom mode buttons, a
// map selector) over a table of registered maps. In zoom mode a click on the map
// switches to the registered map of the next finer (left button) or coarser
// (other buttons) resolution that covers the clicked position, keeping that
// position under the pointer; without such a map it beeps and signals ZoomLimitReached.
// The map's zoom steps (wheel, pinch, + and -) go from map to map at the same
// scale on screen, keeping the place under the pointer.
#include <QFrame>
#include <QPointer>
#include <string>

#include "zylcarto/geoatlas/cursor_table.h"
#include "zylcarto/geoatlas/map_registry.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/mouse_types.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

class QComboBox;
class QToolButton;

namespace zylcarto {

class ZYLCARTO_EXPORT TGeoAtlas : public QFrame, public TObject {
    Q_OBJECT
    // What a form designer shows and stores, each with its reset to the default
    // so that only changed values go into the form; the colour is $00BBGGRR.
    Q_PROPERTY(bool CmdPanelVisible READ CmdPanelVisible WRITE SetCmdPanelVisible RESET ResetCmdPanelVisible
                   DESIGNABLE true STORED true)
    Q_PROPERTY(uint MapOutlineColor READ MapOutlineColor WRITE SetMapOutlineColor RESET ResetMapOutlineColor
                   DESIGNABLE true STORED true)
    Q_PROPERTY(bool MapOutlineVisible READ MapOutlineVisible WRITE SetMapOutlineVisible RESET ResetMapOutlineVisible
                   DESIGNABLE true STORED true)
    Q_PROPERTY(double MinResDiff READ MinResDiff WRITE SetMinResDiff RESET ResetMinResDiff DESIGNABLE true STORED true)

public:
    static constexpr int MaxRegMaps = TMapRegistry::Capacity;
    static constexpr TColor DefaultMapOutlineColor = 0xFF0000;
    static constexpr double DefaultMinResDiff = 10.0;

    explicit TGeoAtlas(QWidget* AOwner = nullptr);
    ~TGeoAtlas() override;

    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& Value) { setObjectName(QString::fromStdString(Value)); }

    // --- the registry
    // Reads the calibration file's caption, resolution and corners and enters the
    // map (again under its old number when the name is already registered, in any
    // letter case). False when the file cannot be read or the table is full.
    bool RegisterMap(const std::string& MapFName);
    void UnregisterMap(int index);
    // Loads map Index into the view; false when out of range or not loadable,
    // or when a host's handler of the load deleted the atlas or its map.
    bool SelectMap(int Index);
    bool ZoomIn(double CurrentLat, double CurrentLong, double CurrentResolution);
    bool ZoomOut(double CurrentLat, double CurrentLong, double CurrentResolution);
signals:
    // A zoom click found no finer (Finer) or coarser map at the clicked place;
    // the atlas has beeped and shows the same map.
    void ZoomLimitReached(bool Finer);

public:
    TMapDefinition Maps(int ix) const { return FRegistry.Maps(ix); }
    int NumRegMaps() const { return FRegistry.NumRegMaps(); }
    // The map last chosen for display, 0 for none.
    int CurrentMapIdx() const { return FRegistry.CurrentMapIdx(); }
    double MinResDiff() const { return FMinResDiff; }
    void SetMinResDiff(double Value) { FMinResDiff = Value; }

    // --- the control surface
    TGeoMap* CurrentMap() const { return FGeoMap; }
    QFrame* CmdPanel() const { return FCPanel; }
    QToolButton* ZoomButton() const { return FSBZoom; }
    QToolButton* PointerButton() const { return FSBPoint; }
    QComboBox* MapSelector() const { return FCboxMaps; }
    bool CmdPanelVisible() const;
    void SetCmdPanelVisible(bool Value);
    TColor MapOutlineColor() const { return FMapOLColor; }
    void SetMapOutlineColor(TColor Value);
    bool MapOutlineVisible() const { return FMapOLVisible; }
    void SetMapOutlineVisible(bool Value);
    // The cursor by its number in the application's cursor table.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    // --- form designers and form loaders: the view's state (see TGeoMap). In a
    // designer the panel's controls take no input either, so that a click
    // anywhere selects the atlas.
    bool Designing() const { return FGeoMap->Designing(); }
    void SetDesigning(bool Value);
    void BeginLoading() { FGeoMap->BeginLoading(); }
    void Loaded() { FGeoMap->Loaded(); }

    // --- events
    // Each has a handler property (run only when assigned, with the atlas as
    // Sender) and a Qt signal named after it; the property runs first, then the
    // signal. A handler or a slot may delete the atlas (or deleteLater it): the
    // atlas then touches nothing of itself after it. The atlas follows its map
    // through signal connections of its own, so a host may set the map's
    // handler properties as well.
    void SetOnMouseDown(TMouseEvent Handler) { FOnMouseDown = std::move(Handler); }
    void SetOnMouseUp(TMouseEvent Handler) { FOnMouseUp = std::move(Handler); }
    void SetOnMouseMove(TMouseMoveEvent Handler) { FOnMouseMove = std::move(Handler); }
    void SetOnClick(TNotifyEvent Handler) { FOnClick = std::move(Handler); }
    void SetOnDblClick(TNotifyEvent Handler) { FOnDblClick = std::move(Handler); }
    void SetOnZoomButClick(TNotifyEvent Handler) { FOnZoomButClick = std::move(Handler); }
    void SetOnPointerButClick(TNotifyEvent Handler) { FOnPoiButClick = std::move(Handler); }
    void SetOnCBoxMapsChange(TNotifyEvent Handler) { FOnCBxMapsChg = std::move(Handler); }

Q_SIGNALS:
    void mouseDown(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    void mouseUp(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    void mouseMove(zylcarto::TShiftState Shift, int X, int Y);
    void click();
    void dblClick();
    void zoomButClick();
    void pointerButClick();
    void cBoxMapsChange();

private:
    void ResetCmdPanelVisible() { SetCmdPanelVisible(true); }
    void ResetMapOutlineColor() { SetMapOutlineColor(DefaultMapOutlineColor); }
    void ResetMapOutlineVisible() { SetMapOutlineVisible(true); }
    void ResetMinResDiff() { SetMinResDiff(DefaultMinResDiff); }
    void RebuildMapSelector();
    int SelectedListPosition() const;  // 1-based, 0 for none
    template <typename Signal>
    void ModeButtonClicked(const TNotifyEvent& ButtonEvent, Signal ButtonSignal);
    void MapSelectorChosen(int ListIndex);
    void ViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void DrawMapOutlines(TCanvas& Canvas) const;
    void LocateMapImage(std::string& FileName) const;
    // The map's handlers run while it loads and may delete the atlas or the map:
    // false when either is gone, Loaded telling otherwise whether the load succeeded.
    bool LoadIntoView(int Number, bool& Loaded);
    // SelectMap, then centring on the position unless a handler deleted something.
    void ShowZoomedMap(int Number, double Lat, double Long);
    // The map's zoom step to Magnify around At, when it changes maps.
    bool ZoomStepAcrossMaps(double Magnify, QPointF At);

    // Registry (the table and the current map number live in FRegistry).
    QPointer<TGeoMap> FGeoMap;  // a host may delete it from one of its handlers
    double FMinResDiff = DefaultMinResDiff;
    TMapRegistry FRegistry;
    // Control surface.
    QFrame* FCPanel = nullptr;
    QToolButton* FSBZoom = nullptr;
    QToolButton* FSBPoint = nullptr;
    QComboBox* FCboxMaps = nullptr;
    TColor FMapOLColor = DefaultMapOutlineColor;
    bool FMapOLVisible = true;
    TCursor FCursor = crDefault;
    TNotifyEvent FOnZoomButClick, FOnPoiButClick, FOnCBxMapsChg;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnClick, FOnDblClick;
};

}  // namespace zylcarto
