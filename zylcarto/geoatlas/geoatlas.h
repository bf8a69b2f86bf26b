#pragma once
/// @file
/// TGeoAtlas: a map view under a command panel (pointer and zoom mode buttons, a
/// map selector) over a table of registered maps. In zoom mode a click on the map
/// switches to the registered map of the next finer (left button) or coarser
/// (other buttons) resolution that covers the clicked position, keeping that
/// position under the pointer; without such a map it beeps and fires OnZoomLimitReached.
/// The map's zoom steps (wheel, pinch, + and -) go from map to map at the same
/// scale on screen, to the finer map as soon as the coarser one would be
/// enlarged beyond 1:1. A change of map keeps the place under the pointer also
/// near the new map's edges, which may then leave part of the window empty
/// even where the map's ConfinePanToMapImage is on. Backspace goes back through the zoom
/// history of the map shown, then to the map shown before and its view.
#include <QFrame>
#include <functional>
#include <memory>
#include <string>

#include "zylcarto/geoatlas/cursor_table.h"
#include "zylcarto/geoatlas/map_definition.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/mouse_types.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

class QComboBox;
class QToolButton;

namespace zylcarto {

class TGeoAtlasPrivate;

/// A map of the atlas that the user asked for and that could not be loaded:
/// MapNumber is its number, Message says why (naming the file where known).
using TMapLoadFailedEvent = std::function<void(TObject* Sender, int MapNumber, const std::string& Message)>;
/// The current map changed to MapNumber (0 for none).
using TCurrentMapEvent = std::function<void(TObject* Sender, int MapNumber)>;
/// A zoom click found no finer (Finer) or coarser map at the clicked place.
using TZoomLimitEvent = std::function<void(TObject* Sender, bool Finer)>;

/// The atlas control. A widget owned by its Qt parent; it owns its map view, its
/// panel and their controls, and the table of registered maps. Use it from the
/// GUI thread. Map numbers count from 1; resolutions are metres per image pixel,
/// positions degrees.
///
/// Each event has a handler property (run only when assigned, with the atlas as
/// Sender) and a Qt signal named after it; the property runs first, then the
/// signal. A handler or a slot may delete the atlas (or deleteLater it): the
/// atlas then touches nothing of itself after it. The atlas follows its map
/// through signal connections of its own, so a host may set the map's handler
/// properties as well.
class ZYLCARTO_EXPORT TGeoAtlas : public QFrame, public TObject {
    Q_OBJECT
    // What a form designer shows and stores, each with its reset to the default
    // so that only changed values go into the form.
    /// Whether the command panel shows; reset: true.
    Q_PROPERTY(bool CmdPanelVisible READ CmdPanelVisible WRITE SetCmdPanelVisible RESET ResetCmdPanelVisible)
    /// MapOutlineColor as $00BBGGRR; reset: DefaultMapOutlineColor.
    Q_PROPERTY(uint MapOutlineColor READ MapOutlineColor WRITE SetMapOutlineColor RESET ResetMapOutlineColor)
    /// Whether the other maps' outlines are drawn; reset: true.
    Q_PROPERTY(bool MapOutlineVisible READ MapOutlineVisible WRITE SetMapOutlineVisible RESET ResetMapOutlineVisible)
    /// The zoom-in step in percent; reset: DefaultMinResDiff.
    Q_PROPERTY(double MinResDiff READ MinResDiff WRITE SetMinResDiff RESET ResetMinResDiff)
    /// The number of the map shown, for a host to watch; a form does not store it,
    /// as the maps are registered at run time.
    Q_PROPERTY(int CurrentMapIdx READ CurrentMapIdx NOTIFY currentMapChanged STORED false)
    /// Whether the atlas changes maps to follow the position its map shows; reset: false.
    Q_PROPERTY(bool FollowTraveller READ FollowTraveller WRITE SetFollowTraveller RESET ResetFollowTraveller)

public:
    /// The most maps an atlas holds; RegisterMap refuses more.
    static constexpr int MaxRegMaps = 200;
    /// MapOutlineColor after construction: pure blue, as $00BBGGRR.
    static constexpr TColor DefaultMapOutlineColor = 0xFF0000;
    /// MinResDiff after construction, in percent.
    static constexpr double DefaultMinResDiff = 10.0;
    /// How far inside a map, as a fraction of its extent, a traveller must be for
    /// FollowTraveller to change to it; leaving takes crossing its edge.
    static constexpr double TravellerEdgeBand = 0.05;

    /// An atlas of 480 x 320 pixels at (100, 50) with no maps, in pointer mode,
    /// its view showing "TGeoAtlas: Empty"; a child of AOwner when given. Enters
    /// the map cursors in the application's cursor table.
    explicit TGeoAtlas(QWidget* AOwner = nullptr);
    /// Deletes the view, the panel and its controls; the view first, as its last
    /// paint may still call back into the atlas.
    ~TGeoAtlas() override;

    /// The Qt object name.
    std::string Name() const { return objectName().toStdString(); }
    /// Sets the Qt object name; any text is accepted.
    void SetName(const std::string& Value) { setObjectName(QString::fromStdString(Value)); }

    // --- the registry
    /// Reads the calibration file's caption, resolution and corners and enters the
    /// map (again under its old number when the name is already registered, in any
    /// letter case), then refills the map selector, which goes on showing the
    /// current map; loads no map. False when the file cannot be opened or holds no calibration data, or
    /// the table is full: the table is then unchanged. Raises EZYLGeoMapError for
    /// malformed content, also with the table unchanged.
    bool RegisterMap(const std::string& MapFName);
    /// Removes map index (1..NumRegMaps; nothing otherwise) and numbers the maps
    /// above it one lower, then refills the map selector. When the removed map
    /// was shown, the map now under its number is shown instead (the one before
    /// it when it was the last), and the view is emptied when there is none or
    /// it does not load, CurrentMapIdx then 0 and the selector without a
    /// selection; OnCurrentMapChange follows either way. Raises as SelectMap.
    void UnregisterMap(int index);
    /// Makes map Index (1..NumRegMaps) current and loads its calibration file and
    /// image into the view, then selects it in the map selector, which fires no
    /// cBoxMapsChange. The map starts a zoom history of its own, and Backspace
    /// comes back to the map shown before. False when Index is out of range
    /// (nothing changes) or the load fails (the map is current all the same, the
    /// selector unchanged). False too when a host's handler of the load deleted
    /// the atlas or its map. Raises what the view's LoadCalDataFromXML raises.
    bool SelectMap(int Index);
    /// @{
    /// Selects the registered map covering (CurrentLat, CurrentLong) that comes
    /// next in resolution: for ZoomIn the coarsest finer than CurrentResolution by
    /// more than MinResDiff percent, for ZoomOut the finest coarser one, the lower
    /// number among equals; once it is loaded, centres the view on the position
    /// as far as the image allows and starts the map's zoom history there. True when a map was found, even if it failed to load; false,
    /// with nothing changed, when none was (ZoomIn also for a CurrentResolution
    /// not above 0). Raises as SelectMap.
    bool ZoomIn(double CurrentLat, double CurrentLong, double CurrentResolution);
    bool ZoomOut(double CurrentLat, double CurrentLong, double CurrentResolution);
    /// @}
    /// A copy of map ix (1..MaxRegMaps, also above NumRegMaps, where it may hold a
    /// removed map's data); an empty definition outside.
    TMapDefinition Maps(int ix) const;
    /// Number of registered maps, 0..MaxRegMaps.
    int NumRegMaps() const;
    /// The map last chosen for display, 0 for none; follows the renumbering of
    /// UnregisterMap. Map images are looked for beside its calibration file.
    int CurrentMapIdx() const;
    /// How much finer, in percent of the current resolution, a map must be for
    /// zooming in to choose it.
    double MinResDiff() const;
    /// Sets MinResDiff; a value that is not finite or outside 0 up to (not
    /// including) 100 is refused and leaves it unchanged: 100 % finer is no map.
    void SetMinResDiff(double Value);

    /// @{
    /// While on, each position the map shows (TGeoMap::ShowPosition) may change
    /// the map: when the position has left the map shown, or a registered map
    /// finer by more than MinResDiff percent holds it, the atlas shows the finest
    /// registered map holding it (see TravellerEdgeBand: no flapping along an
    /// edge), with the position where it was on screen (in the middle when it was
    /// off it) and the metres per control pixel kept as far as the
    /// magnification's range allows, then fires OnCurrentMapChange and
    /// OnTravellerMapChange. A map that does not load is reported by
    /// OnMapLoadFailed and the map shown stays.
    bool FollowTraveller() const;
    void SetFollowTraveller(bool Value);
    /// @}

    // --- the control surface
    /// The map view, owned by the atlas; a host may set its properties and handlers.
    /// Its ConfinePanToMapImage is off in an atlas: with it on, the view keeps to
    /// the image of the map shown, except right after a change of map.
    TGeoMap* CurrentMap() const;
    /// @{
    /// The command panel, its zoom and pointer mode buttons (exactly one of which
    /// is down) and the map selector (list position k is map k), owned by the atlas.
    QFrame* CmdPanel() const;
    QToolButton* ZoomButton() const;
    QToolButton* PointerButton() const;
    QComboBox* MapSelector() const;
    /// @}
    /// False once the panel was hidden; true also before the atlas is first shown.
    bool CmdPanelVisible() const;
    /// Shows or hides the command panel; without it the view fills the atlas.
    void SetCmdPanelVisible(bool Value);
    /// Colour of the other maps' outlines, $00BBGGRR.
    TColor MapOutlineColor() const;
    /// Sets MapOutlineColor and repaints the view.
    void SetMapOutlineColor(TColor Value);
    /// Whether the outlines of the registered maps other than the one selected
    /// in the list are drawn over the map.
    bool MapOutlineVisible() const;
    /// Sets MapOutlineVisible and repaints the view.
    void SetMapOutlineVisible(bool Value);
    /// The cursor by its number in the application's cursor table.
    TCursor Cursor() const;
    /// Sets the atlas's cursor; a number nobody entered shows the default arrow.
    /// The mode buttons set crGeoZoom (zoom) and crHandPoint (pointer).
    void SetCursor(TCursor Value);

    // --- form designers and form loaders: the view's state (see TGeoMap)
    /// The view's designing state.
    bool Designing() const;
    /// Sets the view's designing state. In a designer the panel's controls take
    /// no input either, so that a click anywhere selects the atlas.
    void SetDesigning(bool Value);
    /// Starts the view's loading state.
    void BeginLoading();
    /// Ends the view's loading state; raises what the view's Loaded raises.
    void Loaded();

    // --- events
    /// The view's mouse-down, in its control pixels; in zoom mode the zoom click
    /// follows it.
    void SetOnMouseDown(TMouseEvent Handler);
    /// @{
    /// The view's mouse-up and mouse moves, in its control pixels.
    void SetOnMouseUp(TMouseEvent Handler);
    void SetOnMouseMove(TMouseMoveEvent Handler);
    /// @}
    /// The view's click, and each click on a mode button, before that button's event.
    void SetOnClick(TNotifyEvent Handler);
    /// The view's double click.
    void SetOnDblClick(TNotifyEvent Handler);
    /// @{
    /// A click on the zoom (pointer) mode button, after the cursor and the view's
    /// panning were switched and OnClick ran.
    void SetOnZoomButClick(TNotifyEvent Handler);
    void SetOnPointerButClick(TNotifyEvent Handler);
    /// @}
    /// The user's choice in the map selector, after the chosen map was made
    /// current and loaded, or its failure was reported by OnMapLoadFailed.
    void SetOnCBoxMapsChange(TNotifyEvent Handler);
    /// A map that a zoom click, the map selector or a zoom step of the map (wheel,
    /// pinch, keys) chose could not be loaded: its calibration file cannot be read,
    /// holds no data set or is malformed, or its map image is missing or broken.
    /// The atlas then keeps the map shown, with its number as the current one and
    /// its place in the selector, and raises nothing out of the user's event; a
    /// zoom step goes on on the map shown.
    void SetOnMapLoadFailed(TMapLoadFailedEvent Handler);
    /// CurrentMapIdx changed, after the operation that changed it is done
    /// (selecting, zooming, unregistering); a map that failed to load changes nothing.
    void SetOnCurrentMapChange(TCurrentMapEvent Handler);
    /// A zoom click found no finer (Finer) or coarser map at the clicked place;
    /// the atlas has beeped and shows the same map. ZoomIn and ZoomOut do not fire it.
    void SetOnZoomLimitReached(TZoomLimitEvent Handler);
    /// FollowTraveller changed the map to MapNumber, after OnCurrentMapChange.
    void SetOnTravellerMapChange(TCurrentMapEvent Handler);

Q_SIGNALS:
    /// @{
    /// As OnMouseDown, OnMouseUp and OnMouseMove, after the handler property.
    void mouseDown(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    void mouseUp(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    void mouseMove(zylcarto::TShiftState Shift, int X, int Y);
    /// @}
    /// @{
    /// As OnClick, OnDblClick, OnZoomButClick, OnPointerButClick and
    /// OnCBoxMapsChange, after the handler property.
    void click();
    void dblClick();
    void zoomButClick();
    void pointerButClick();
    void cBoxMapsChange();
    /// @}
    /// As OnMapLoadFailed, after the handler property.
    void mapLoadFailed(int MapNumber, const std::string& Message);
    /// As OnCurrentMapChange, after the handler property: CurrentMapIdx's notification.
    void currentMapChanged(int MapNumber);
    /// As OnZoomLimitReached, after the handler property.
    void zoomLimitReached(bool Finer);
    /// As OnTravellerMapChange, after the handler property.
    void travellerMapChanged(int MapNumber);

private:
    void ResetCmdPanelVisible();
    void ResetMapOutlineColor();
    void ResetMapOutlineVisible();
    void ResetMinResDiff();
    void ResetFollowTraveller();

    friend class TGeoAtlasPrivate;
    const std::unique_ptr<TGeoAtlasPrivate> d;
};

}  // namespace zylcarto
