#pragma once
/// @file
/// TGeoMap, the map control: a raster map image shown at a magnification and
/// scrolled to a top-left image pixel, with its calibration, its landmarks, its
/// tracks and routes, the overlays drawn over it and a ring of the last 16 view states.
/// Every visible change ends in Paint, which composes the client area into
/// AuxBmp at once and puts it on the screen; paintEvent only copies AuxBmp.
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QPainter;
class QPrinter;

#include "zylcarto/geodesy/geodesic.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/landmarks/landmark_store.h"
#include "zylcarto/geomap/position/position_fix.h"
#include "zylcarto/geomap/tracks/track_store.h"
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/geomap_types.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/geomap/view/mouse_types.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// A stored view: FTopLeft and FMagnify. All zero means empty.
struct TgmZoomStackEntry {
    /// @{
    /// The image pixel at the control's top-left corner.
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    /// @}
    /// Magnification, control pixels per image pixel.
    double MagF = 0;
    /// True when all three fields are zero.
    bool Empty() const { return Left == 0 && Top == 0 && MagF == 0; }
    /// Equal when every field is.
    friend bool operator==(const TgmZoomStackEntry&, const TgmZoomStackEntry&) = default;
};

/// How PrintMap lays the map out on a page.
struct TPrintLayout {
    /// The part of the map printed.
    enum class TArea : std::uint8_t {
        paView,     ///< what the control shows (the image's part of it)
        paWholeMap  ///< the whole map image
    };
    /// The part printed; at a scale, the centre of the page.
    TArea Area = TArea::paView;
    /// Printed at 1:Scale, the page then filled around the area's centre; 0
    /// fits the area to the page.
    int Scale = 0;
};

/// Asked before a map image file is loaded; the handler may replace FileName,
/// the file then looked for.
using TMapImgRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;
/// Progress of decoding a map image, 0..100.
using TImageProgressEvent = std::function<void(TObject* Sender, int PercentDone)>;
/// Lets a host draw onto a generated map before it is stored: MapCanvas covers
/// the Wid x Hgt picture, whose bounds are given in degrees.
using TOnDrawMapDataEvent = std::function<void(TObject* Sender, TCanvas& MapCanvas, double LatLow, double LongLow,
                                               double LatHigh, double LongHigh, int Wid, int Hgt)>;

class TGeoMapPrivate;
namespace test {
class TGeoMapTestAccess;
}

/// The map control: shows a map image with its calibration, landmarks, overlays
/// and mouse tools, and loads, saves, prints and exports it. A QWidget, owned by
/// its parent widget (the host deletes one without a parent) and used from the
/// GUI thread only; it owns its map image, calibration, landmarks and tracks.
///
/// Units: positions are degrees, UTM coordinates metres. Image pixels are those
/// of the full-resolution map image, control pixels the widget's logical pixels;
/// control pixel (X, Y) shows image pixel TopLeft() + (X, Y) / Magnification().
/// Landmark and trace point indexes run from 1. Colours are $00BBGGRR.
/// Failures raise EZYLGeoMapError, its message prefixed with the object name,
/// or EInOutError for file input and output; conversions report by result or flag.
///
/// The properties are what a form designer shows and stores: every property
/// with its reset to the default, so that only changed values go into the form.
/// Enumerations are their ordinals (TCalibModel, TFrameStyle, THemisphere,
/// TMouseActMode, TShowGrat), and an ordinal outside the enumeration is
/// ignored; colours are $00BBGGRR. The files come first, so that a form restored
/// in this order refines what they load, as one in the loading state does in
/// any order.
///
/// Each event has a handler property (run only when assigned) and a Qt signal
/// of the same name in Qt style; the property runs first, then the signal.
/// A handler or a slot may delete the map (or deleteLater it): the map then
/// touches nothing of itself after it. The render events (OnBeforeRenderData,
/// OnDataRendered, OnDrawLandmark and their signals) run while the picture is
/// composed and must use deleteLater instead. Signals with arguments by
/// reference (Allowed, FileName, Handled, Canvas) need direct connections.
///
/// Printing and export: map windows and top-left points are image pixels;
/// Scale is a map scale denominator (1:Scale, using the calibration's metres
/// per pixel); printed sizes and page positions (PosHoriz, PosVert, Width,
/// Height of the printer forms) are tenths of a millimetre from the painter's
/// top-left. Printing draws grid, landmarks, captions and frame as vectors
/// through the painter, a control pixel 1/96 inch large (times ScaleF), and the
/// map image from its own pixels; nothing of the screen's grey background is
/// printed.
class ZYLCARTO_EXPORT TGeoMap : public QWidget, public TObject {
    Q_OBJECT
    friend class test::TGeoMapTestAccess;
    /// The calibration file, loaded when set (SetCalDatName); in a form designer only its name is kept.
    Q_PROPERTY(QString CalibDataFile READ CalibDataFileQ WRITE SetCalibDataFileQ RESET ResetCalibDataFile)
    /// The map image file, loaded when set (SetMapImgName); in a form designer only its name is kept.
    Q_PROPERTY(QString MapImgFile READ MapImgFileQ WRITE SetMapImgFileQ RESET ResetMapImgFile)
    /// The folder of the form the map was read from (SetFormFolder); not stored in the form.
    Q_PROPERTY(QString FormFolder READ FormFolderQ WRITE SetFormFolderQ DESIGNABLE false STORED false)
    /// True while the mouse action is maPan; setting it chooses maPan or maNone.
    Q_PROPERTY(bool AllowPan READ GetAllowPan WRITE SetAllowPan RESET ResetAllowPan)
    /// Smooth scaling of the map image.
    Q_PROPERTY(bool AntiAlias READ AntiAlias WRITE SetAntiAlias RESET ResetAntiAlias)
    /// The calibration model, as the ordinal of TCalibModel.
    Q_PROPERTY(
        int CalibModel READ CalibModelOrdinal WRITE SetCalibModelOrdinal RESET ResetCalibModel NOTIFY calibModelChanged)
    /// Kept from the whole-image cache the tiled view cache replaced; no longer changes the picture.
    Q_PROPERTY(double CacheMagLimit READ CacheMagLimit WRITE SetCacheMagLimit RESET ResetCacheMagLimit)
    /// Memory for the scaled tiles of the map image, in megabytes; 0 keeps none.
    Q_PROPERTY(int ViewCacheMegabytes READ ViewCacheMegabytes WRITE SetViewCacheMegabytes RESET ResetViewCacheMegabytes)
    /// Colour around the map image and of an empty map.
    Q_PROPERTY(uint ColorBackGnd READ ColorBackGnd WRITE SetColorBakGnd RESET ResetColorBackGnd)
    /// Colour of the graticule and UTM grid lines.
    Q_PROPERTY(uint ColorGraticule READ ColorGraticule WRITE SetColorGratLine RESET ResetColorGraticule)
    /// Colour of the calibration point marks.
    Q_PROPERTY(uint ColorCalibPoints READ ColorCalibPoints WRITE SetColorGratPoints RESET ResetColorCalibPoints)
    /// Colour of the text on an empty map.
    Q_PROPERTY(uint ColorFrame READ ColorFrame WRITE SetColorFrame RESET ResetColorFrame)
    /// Keeps the view on the map image.
    Q_PROPERTY(bool ConfinePanToMapImage READ ConfinePanToMapImage WRITE SetConfinePan RESET ResetConfinePan)
    /// The text shown without a map.
    Q_PROPERTY(QString EmptyMsg READ EmptyMsgQ WRITE SetEmptyMsgQ RESET ResetEmptyMsg)
    /// The frame around the client area, as the ordinal of TFrameStyle.
    Q_PROPERTY(int FrameStyle READ FrameStyleOrdinal WRITE SetFrameStyleOrdinal RESET ResetFrameStyle)
    /// Degrees between graticule lines, 0 automatic.
    Q_PROPERTY(double GratLineDist READ GratLineDist WRITE SetGratLineDist RESET ResetGratLineDist)
    /// Metres between UTM grid lines, 0 automatic.
    Q_PROPERTY(int UTMGridDist READ UTMGridDist WRITE SetUTMGridDist RESET ResetUTMGridDist)
    /// The UTM zone of the calibration. No reset: the setter takes zones 1..60
    /// only, and 0 (none) is where a map starts.
    Q_PROPERTY(int UTMZone READ GetUTMZone WRITE SetUTMZoneProperty)
    /// The hemisphere of the UTM points, as the ordinal of THemisphere.
    Q_PROPERTY(int UTMHemisphere READ UTMHemisphereOrdinal WRITE SetUTMHemisphereOrdinal RESET ResetUTMHemisphere)
    /// What a left drag does, as the ordinal of TMouseActMode.
    Q_PROPERTY(int MouseAction READ MouseActionOrdinal WRITE SetMouseActionOrdinal RESET ResetMouseAction)
    /// Colour of the mouse trace points recorded next.
    Q_PROPERTY(uint MouseTraceColor READ MouseTraceColor WRITE SetMouseTraceColor RESET ResetMouseTraceColor)
    /// The mouse trace points recorded next are drawn with XOR.
    Q_PROPERTY(bool MouseTraceInvert READ MouseTraceInvert WRITE SetMouseTraceInvert RESET ResetMouseTraceInvert)
    /// The overlay drawn over the map, as the ordinal of TShowGrat.
    Q_PROPERTY(int ShowGraticule READ ShowGraticuleOrdinal WRITE SetShowGraticuleOrdinal RESET ResetShowGraticule NOTIFY
                   showGraticuleChanged)
    /// Control pixels per image pixel. A state of the running map, not a setting.
    Q_PROPERTY(double Magnification READ Magnification WRITE SetMagnification NOTIFY magnificationChanged
                   DESIGNABLE false STORED false)
    /// The image pixel at the control's top-left corner. A state of the running map, not a setting.
    Q_PROPERTY(QPoint TopLeft READ TopLeftQ WRITE SetTopLeftQ NOTIFY topLeftChanged DESIGNABLE false STORED false)
    /// Above this many landmarks only a random share of them is drawn.
    Q_PROPERTY(
        int LMRandomDisplayThreshold READ LMRandomDisplayThreshold WRITE SetRandSampleLimit RESET ResetRandSampleLimit)
    /// The highlighted landmark, 0 for none. A state of the running map, not a setting.
    Q_PROPERTY(int HighLightLandMark READ HighLightLandMark WRITE SetHighLM DESIGNABLE false STORED false)
    /// A scale bar at the bottom left.
    Q_PROPERTY(bool ShowScaleBar READ ShowScaleBar WRITE SetShowScaleBar RESET ResetShowScaleBar)
    /// A north arrow at the top right.
    Q_PROPERTY(bool ShowNorthArrow READ ShowNorthArrow WRITE SetShowNorthArrow RESET ResetShowNorthArrow)
    /// Arrows from the reference points to where the fit puts them.
    Q_PROPERTY(bool ShowResiduals READ ShowResiduals WRITE SetShowResiduals RESET ResetShowResiduals)
    /// How many times longer the residual arrows are drawn than the residuals.
    Q_PROPERTY(double ResidualScale READ ResidualScale WRITE SetResidualScale RESET ResetResidualScale)
    /// Colour of the residual arrows of the reference points judged outliers.
    Q_PROPERTY(uint ColorResidualOutliers READ ColorResidualOutliers WRITE SetColorResidualOutliers RESET
                   ResetColorResidualOutliers)
    /// The wheel and the touchpad pinch zoom the map.
    Q_PROPERTY(bool WheelZoom READ WheelZoom WRITE SetWheelZoom RESET ResetWheelZoom)
    /// Keeps the live position in view; a pan by the user turns it off.
    Q_PROPERTY(bool FollowPosition READ FollowPosition WRITE SetFollowPosition RESET ResetFollowPosition NOTIFY
                   followPositionChanged)
    /// How many of the last fixes the position's trail shows.
    Q_PROPERTY(int TrailLength READ TrailLength WRITE SetTrailLength RESET ResetTrailLength)
    /// The largest map image in pixels; 0 for any size.
    Q_PROPERTY(qlonglong MaxImagePixels READ MaxImagePixels WRITE SetMaxImagePixels)
    /// Megabytes a map image may take held whole.
    Q_PROPERTY(int ImageMemoryMegabytes READ ImageMemoryMegabytes WRITE SetImageMemoryMegabytes)

public:
    /// The CacheMagLimit of a new map, and its largest value.
    static constexpr double DefaultCacheMagLimit = 2.0 / 3.0;
    /// @{
    /// The ViewCacheMegabytes of a new map, and the largest value taken (1 TB).
    static constexpr int DefaultViewCacheMegabytes = 64;
    static constexpr int MaxViewCacheMegabytes = 1 << 20;
    /// @}
    /// @{
    /// SetMagnification keeps the magnification within this range (1/1024 to 1024).
    static constexpr double MinMagnification = TMapViewport::MinMagnify;
    static constexpr double MaxMagnification = TMapViewport::MaxMagnify;
    /// @}
    /// Views the zoom history holds.
    static constexpr int ZoomStackSize = 16;
    /// Points the mouse trace holds; moves beyond them are not recorded.
    static constexpr int MaxMouseTracePoints = 5000;
    /// The largest map image, width times height in pixels.
    static constexpr int MaxMapImagePixels = 3000000;

    /// A 500 x 400 control without a map, panning by mouse drags, under AOwner.
    explicit TGeoMap(QWidget* AOwner = nullptr);
    /// Destroys the control with its image, calibration and landmarks.
    ~TGeoMap() override;

    /// @{
    /// The object name, which prefixes the messages of the map's exceptions.
    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& Value) { setObjectName(QString::fromStdString(Value)); }
    /// @}

    /// Copies the state of another map, but not its mouse trace or event handlers; no repaint.
    /// Nor its name, designing or loading state. Raises EZYLGeoMapError (for the
    /// landmarks) or std::bad_alloc (for the tracks), nothing copied, when memory runs out.
    void Assign(const TGeoMap& Source);
    /// Dest.Assign(*this) when Dest is a TGeoMap.
    void AssignTo(TGeoMap& Dest) const { Dest.Assign(*this); }

    // --- form designers and form loaders (geomap_state.cpp)
    /// @{
    /// Inside a form designer the map draws a placeholder for its picture,
    /// loads no files (it only keeps their names), fires no host events and
    /// leaves mouse, wheel and key input to the designer. Setting repaints.
    bool Designing() const;
    void SetDesigning(bool Value);
    /// @}
    /// @{
    /// While loading, restored properties are taken without painting, and the
    /// files and the properties that refine them wait for Loaded(): the
    /// calibration file is loaded first, then the map image file, then the
    /// calibration model, zone and hemisphere are set, whatever the order in
    /// which they were restored. The first polish (before the map is first
    /// shown) ends loading too.
    bool Loading() const;
    void BeginLoading();
    /// @}
    /// @{
    /// The folder relative CalibDataFile and MapImgFile property values are
    /// found in, as a form loader's working directory (zylcarto/designer/form_loader.h
    /// sets it when it makes the map); "" (the default): the process's current
    /// folder. Taken when the file is loaded, so it may be set after the names.
    /// While loading, a CalibDataFile that is not found there makes Loaded()
    /// raise EZYLGeoMapError naming the file.
    const std::string& FormFolder() const;
    void SetFormFolder(const std::string& Value);
    /// @}
    /// Ends loading and repaints; nothing when not loading. Raises what a file
    /// load raises, leaving the rest undone.
    void Loaded();

    // --- rendering
    /// Composes AuxBmp and shows it at once; nothing while SuppressPaint is on or while loading.
    virtual void Paint();
    /// Composes the client area into AuxBmp, in the screen's device pixels,
    /// without showing it; nothing for a control of size 0.
    void ConstructInternalMapImg();
    /// The composed picture (AuxBmp), in device pixels with the screen's pixel
    /// ratio; at least as large as the client area.
    const QImage& AuxBitmap() const;

    // --- view state
    /// Control pixels per image pixel.
    double Magnification() const;
    /// Non-finite or non-positive values are refused; others are clamped to
    /// MinMagnification..MaxMagnification. The top-left pixel stays; repaints.
    void SetMagnification(double Value);
    /// The image pixel at the control's top-left corner.
    TPoint TopLeft() const;
    /// Kept within the image when ConfinePanToMapImage is on, as a pan is; repaints.
    void SetTopLeft(const TPoint& P);
    /// @{
    /// Smooth scaling of the map image on screen and by ResizeMap; setting repaints.
    bool AntiAlias() const;
    void SetAntiAlias(bool Value);
    /// @}
    /// @{
    /// Colour around the map image and of an empty map; setting repaints.
    TColor ColorBackGnd() const;
    void SetColorBakGnd(TColor Value);
    /// @}
    /// @{
    /// Colour of the text on an empty map and on the designer's placeholder; setting repaints.
    TColor ColorFrame() const;
    void SetColorFrame(TColor Value);
    /// @}
    /// @{
    /// Colour of the graticule and UTM grid lines; setting repaints.
    TColor ColorGraticule() const;
    void SetColorGratLine(TColor Value);
    /// @}
    /// @{
    /// Colour of the calibration point marks; setting repaints.
    TColor ColorCalibPoints() const;
    void SetColorGratPoints(TColor Value);
    /// @}
    /// @{
    /// The text shown at the top left without a map; setting repaints.
    const std::string& EmptyMsg() const;
    void SetEmptyMsg(const std::string& Value);
    /// @}
    /// @{
    /// The overlay drawn over the map: calibration points, graticule lines or
    /// UTM grid; setting repaints when it changes.
    TShowGrat ShowGraticule() const;
    void SetShowGrat(TShowGrat Value);
    /// @}
    /// @{
    /// The frame around the client area; setting repaints when it changes.
    TFrameStyle FrameStyle() const;
    void SetFrameStyle(TFrameStyle Value);
    /// @}
    /// @{
    /// Degrees between graticule lines, 0 automatic; set values are clamped to
    /// 0..60, NaN counts as 0. Setting repaints.
    double GratLineDist() const;
    void SetGratLineDist(double Value);
    /// @}
    /// @{
    /// Metres between UTM grid lines, 0 automatic; set values are clamped to
    /// 0..10000000. Setting repaints.
    int UTMGridDist() const;
    void SetUTMGridDist(int Value);
    /// @}
    /// @{
    /// The coordinate reference system of the grid the UTM grid overlay draws; ""
    /// (the default) draws the UTM grid. Any CRS PROJ takes ("EPSG:27700", a PROJ
    /// string, WKT) draws its lines of constant easting and northing instead,
    /// labelled with their values, spaced 1, 2 or 5 times a power of ten so that
    /// about ten northing lines span the control's height at any magnification
    /// (UTMGridDist does not apply). A definition PROJ refuses raises
    /// EZYLGeoMapError saying why and keeps the previous one; setting repaints.
    const std::string& GridCRS() const;
    void SetGridCRS(const std::string& Value);
    /// @}
    /// @{
    /// A scale bar at the bottom left and a north arrow at the top right, from the
    /// calibration at the view's centre; both off by default. Setting repaints.
    bool ShowScaleBar() const;
    void SetShowScaleBar(bool Value);
    bool ShowNorthArrow() const;
    void SetShowNorthArrow(bool Value);
    /// @}
    /// @{
    /// Residual arrows, off by default: for each reference point of a point model,
    /// an arrow in the calibration points' colour from the point's pixel to where
    /// the fit puts its position (or grid coordinates), ResidualScale times the
    /// way there, so that a point the fit does not follow shows at a glance.
    /// Setting repaints.
    bool ShowResiduals() const;
    void SetShowResiduals(bool Value);
    /// @}
    /// @{
    /// The colour of the residual arrows of the points ReviewCalibPoints judges
    /// outliers (by the fit of the other points), and of a ring around each;
    /// magenta ($FF00FF) by default. Setting repaints.
    TColor ColorResidualOutliers() const;
    void SetColorResidualOutliers(TColor Value);
    /// @}
    /// @{
    /// How many times longer the residual arrows are drawn than the residuals (10
    /// by default); set values are clamped to 1..10000, anything not a number is
    /// refused. Setting repaints.
    double ResidualScale() const;
    void SetResidualScale(double Value);
    /// @}
    /// @{
    /// The magnification below which the map once kept a scaled copy of the
    /// whole image. The tiled view cache (ViewCacheMegabytes) now serves every
    /// magnification, so the value no longer changes the picture or its speed;
    /// it is kept, with its range and repaint, for the forms and hosts that set
    /// it. Set values are clamped to 0..DefaultCacheMagLimit, NaN counts as the
    /// default; repaints when the magnification is below DefaultCacheMagLimit.
    double CacheMagLimit() const;
    void SetCacheMagLimit(double Value);
    /// @}
    /// @{
    /// Memory, in megabytes, for the map image scaled for the screen: tiles of
    /// 256 x 256 device pixels kept per magnification, anti-alias setting and
    /// device pixel ratio, made for the visible part and, while panning, a strip
    /// ahead, so that a pan scales only what comes into view. Beyond the limit
    /// the least recently used tiles are dropped. 0 keeps none: every paint
    /// scales the visible part of the image. Set values are clamped to
    /// 0..MaxViewCacheMegabytes; the picture does not change, so nothing is repainted.
    int ViewCacheMegabytes() const;
    void SetViewCacheMegabytes(int Value);
    /// @}
    /// @{
    /// While on, Paint does nothing; turning it off repaints.
    bool SuppressPaint() const;
    void SetSuppressPaint(bool Value);
    /// @}
    /// @{
    /// Keeps the view on the image, centred along a side where the image is
    /// smaller than the control; turning it on confines the view at once, without repainting.
    bool ConfinePanToMapImage() const;
    void SetConfinePan(bool Value);
    /// @}
    /// @{
    /// True while MouseAction is maPan; setting chooses maPan or maNone.
    bool GetAllowPan() const;
    void SetAllowPan(bool Value);
    /// @}
    /// @{
    /// What a left drag does; the reserved values do nothing. Choosing another
    /// action ends what the current one has in progress and erases its shape; the
    /// new one ignores the moves and the release of a press it did not see.
    TMouseActMode MouseAction() const;
    void SetMouseAction(TMouseActMode Value);
    /// @}
    /// @{
    /// Colour of the mouse trace points recorded next.
    TColor MouseTraceColor() const;
    void SetMouseTraceColor(TColor Value);
    /// @}
    /// @{
    /// The mouse trace points recorded next are drawn with XOR (else in their colour).
    bool MouseTraceInvert() const;
    void SetMouseTraceInvert(bool Value);
    /// @}
    /// @{
    /// The map's caption in the calibration data; no repaint.
    std::string GetMapCaption() const;
    void SetMapCaption(const std::string& S);
    /// @}
    /// zsBoxDragging while a zoom box (maZoomBox) is dragged.
    TZoomState ZoomState() const;
    /// The map image's name as given to SetMapImgName; "$unknown$" for a picture
    /// set in memory, "" without a map.
    const std::string& MapImgFile() const;
    /// The map image at full resolution, in ViewImageFormat.
    const QImage& MapBitmap() const;
    /// @{
    /// Size of the map image in pixels; 0 without a map.
    int MapImgWidth() const;
    int MapImgHeight() const;
    /// @}
    /// @{
    /// The image pixel of the last mouse press, of any button.
    int LastClickPosX() const;
    int LastClickPosY() const;
    /// @}
    /// @{
    /// The image pixel of the last mouse move.
    int LastMousePosX() const;
    int LastMousePosY() const;
    /// @}
    /// Latitude in degrees of the last mouse press; 0 when the calibration cannot tell.
    double GetLastMClickLatitude() const;
    /// Longitude in degrees of the last mouse press; 0 when the calibration cannot tell.
    double GetLastMClickLongitude() const;
    /// Points in the mouse trace, 0..MaxMouseTracePoints.
    int NumMTracePoints() const;

    /// The image pixel (rounded) shown at control pixel P; not limited to the image.
    TPoint ControlToMapImage(const TPoint& P) const;
    /// The control pixel (rounded) showing image pixel P; not limited to the control.
    TPoint MapImageToControl(const TPoint& P) const;
    /// Confines the view to the image as ConfinePanToMapImage does, without
    /// repainting; nothing without a map image.
    void PanMapToFillWindow();
    /// Puts image pixel P at the control's centre, then confines the view to the
    /// image whatever ConfinePanToMapImage; repaints.
    void BringMapPixelToCenter(const TPoint& P);
    /// Centres the position (degrees), keeping the view inside the image where
    /// it can; repaints. Nothing for a position that has no pixel (beyond a pole or
    /// a whole turn of longitude, or the model gives none) or whose pixel lies off
    /// the map image.
    void BringLocationToCenter(double Latitude, double Longitude);
    /// Shows the position (degrees) at control pixel At, as far as ConfinePanToMapImage
    /// allows, and repaints. False, nothing changed, when the calibration cannot
    /// place it; false too when the confinement kept it more than a control pixel
    /// from At (the view then shows it as near to At as it may).
    bool BringLocationToPoint(double Latitude, double Longitude, const TPoint& At);
    /// Shows image pixel TopLeft at the control's top-left at Magnify (kept within
    /// MinMagnification..MaxMagnification), confined as ConfinePanToMapImage says,
    /// and repaints once: one viewChanged for both. Nothing for a Magnify that is
    /// not finite and positive.
    void SetView(const TPoint& TopLeft, double Magnify);
    /// The whole image, centred, and repaints; nothing without a map image. Called before the
    /// control is shown, it fits again to the size the control is shown with.
    void ZoomFitPage();
    /// Resamples the map image and the pixel positions of the calibration by a
    /// factor, refits and repaints, the view at the top left; nothing without a
    /// map image, for a factor that is not finite and positive, or for a side
    /// below 1 pixel. Raises EZYLGeoMapError, nothing changed, for a result above
    /// MaxMapImagePixels. Smoothed when AntiAlias is on.
    void ResizeMap(double Magnification);
    /// ResizeMap to LongerEdgeLength pixels along the image's longer side;
    /// nothing without a map image.
    void ResizeMap(int LongerEdgeLength);

    /// Stores the current view as the newest zoom history entry, in place of the oldest.
    void ZoomStateOnStack();
    /// Goes to the view of GetZoomStackEntry(Index) and repaints, without
    /// confining it and without OnZoomPan; nothing for an empty entry.
    void ZoomHistory(int Index);
    /// Index -15..0 (0 = stored last); an empty entry for any other index.
    TgmZoomStackEntry GetZoomStackEntry(int StackIx) const;
    /// Empties the zoom history, then stores the current view in it. Loading a
    /// map image (or a calibration file naming one) does this too: older views
    /// are of another image.
    void ClearZoomHistory();
    /// Goes back to the newest view in the zoom history that differs from the
    /// one shown, as Backspace does, and fires OnZoomPan; false, nothing changed,
    /// when there is none. Again goes on to the one before.
    bool GoBackInZoomHistory();

    /// Fires OnZoomPan, then zoomPan; nothing while designing.
    void DoZoomPanEvent();
    /// Fires OnSelectRect, then selectRect, with these values (see
    /// TSelectRectEvent); nothing while designing.
    void DoSelectRectEvent(int Kind, double V1, double V2, double V3, double V4);

    // --- map image (in memory; files are below)
    /// Takes a copy of the picture; raises EZYLGeoMapError above MaxMapImagePixels.
    /// The copy is converted to ViewImageFormat, MapImgFile becomes "$unknown$",
    /// the view goes to the top left (confined as set) and the map repaints; the calibration is not
    /// refitted. A refused picture leaves the map as it was.
    void SetMapBitMap(const QImage& Value);

    // --- calibration (forwarded; the changes repaint)
    /// @{
    /// The calibration, for what the calls below do not cover; its changes repaint the map.
    TMapCalibration& Calibration();
    const TMapCalibration& Calibration() const;
    /// @}
    /// @{
    /// The calibration model; setting it refits from the existing points and repaints.
    TCalibModel CalibModel() const { return Calibration().CalibModel(); }
    void SetCalibModel(TCalibModel Value) { Calibration().SetCalibModel(Value); }
    /// @}
    /// @{
    /// The UTM zone of the reference data, -1 after ClearCalibData; the setter
    /// stores zones 1..60 and ignores anything else. No refit.
    int GetUTMZone() const { return Calibration().GetUTMZone(); }
    void SetUTMZone(int Value) { Calibration().SetUTMZone(Value); }
    /// @}
    /// @{
    /// The hemisphere of the UTM points. No refit.
    THemisphere GetUTMHemisphere() const { return Calibration().GetUTMHemisphere(); }
    void SetUTMHemisphere(THemisphere Value) { Calibration().SetUTMHemisphere(Value); }
    /// @}
    /// @{
    /// The reference data, without refit: a caller that writes it calls RecalcCalibration.
    const TCalibData& CalibData() const { return Calibration().CalibData(); }
    void SetCalibData(const TCalibData& Value) { Calibration().SetCalibData(Value); }
    /// @}
    /// The calibration file last loaded (in a form designer: named), "" before.
    const std::string& CalibDataFile() const { return Calibration().CalibDataFile(); }
    /// \copydoc TMapCalibration::ClearCalibData()
    void ClearCalibData() { Calibration().ClearCalibData(); }
    /// ClearCalibData, model undefined, names emptied, mouse trace and map image emptied; repaint.
    void Clear();
    /// \copydoc TMapCalibration::RecalcCalibration()
    void RecalcCalibration() { Calibration().RecalcCalibration(); }
    /// \copydoc TMapCalibration::CalcLatitude(int,int,bool&) const
    double CalcLatitude(int x, int y, bool& valid) const { return Calibration().CalcLatitude(x, y, valid); }
    /// \copydoc TMapCalibration::CalcLatitude(TPoint,bool&) const
    double CalcLatitude(TPoint APoint, bool& valid) const { return Calibration().CalcLatitude(APoint, valid); }
    /// \copydoc TMapCalibration::CalcLongitude(int,int,bool&) const
    double CalcLongitude(int x, int y, bool& valid) const { return Calibration().CalcLongitude(x, y, valid); }
    /// \copydoc TMapCalibration::CalcLongitude(TPoint,bool&) const
    double CalcLongitude(TPoint APoint, bool& valid) const { return Calibration().CalcLongitude(APoint, valid); }
    /// \copydoc TMapCalibration::CalcPixelCoords(double,double,int&,int&) const
    bool CalcPixelCoords(double Lat, double Long, int& x, int& y) const {
        return Calibration().CalcPixelCoords(Lat, Long, x, y);
    }
    /// \copydoc TMapCalibration::CalcPixelCoordsUTM
    bool CalcPixelCoordsUTM(double Northing, double Easting, int& x, int& y) const {
        return Calibration().CalcPixelCoordsUTM(Northing, Easting, x, y);
    }
    /// \copydoc TMapCalibration::CalcUTMyFromNorthingX
    int CalcUTMyFromNorthingX(double Northing, int x) const { return Calibration().CalcUTMyFromNorthingX(Northing, x); }
    /// \copydoc TMapCalibration::CalcUTMxFromEastingY
    int CalcUTMxFromEastingY(double Easting, int y) const { return Calibration().CalcUTMxFromEastingY(Easting, y); }
    /// \copydoc TMapCalibration::IsPositionWithinMap
    bool IsPositionWithinMap(double Latit, double Longit) const {
        return Calibration().IsPositionWithinMap(Latit, Longit);
    }
    /// \copydoc TMapCalibration::CalcExtentsAndResolution
    void CalcExtentsAndResolution() { Calibration().CalcExtentsAndResolution(); }
    /// \copydoc TMapCalibration::AddCalibPoint(TGratLineKind,double,int,int)
    bool AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY) {
        return Calibration().AddCalibPoint(GratLineKind, LineValue, PixPosX, PixPosY);
    }
    /// \copydoc TMapCalibration::AddCalibPoint(double,double,int,int)
    bool AddCalibPoint(double Latit, double Longit, int PixPosX, int PixPosY) {
        return Calibration().AddCalibPoint(Latit, Longit, PixPosX, PixPosY);
    }
    /// \copydoc TMapCalibration::AddCalibPoint(double,double,int,THemisphere,int,int)
    bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int PixPosX, int PixPosY) {
        return Calibration().AddCalibPoint(Northing, Easting, Zone, Hemisphere, PixPosX, PixPosY);
    }
    /// \copydoc TMapCalibration::RemoveCalibPoint(TGratLineKind,double,int,int)
    bool RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY) {
        return Calibration().RemoveCalibPoint(GratLineKind, LineValue, PixPosX, PixPosY);
    }
    /// \copydoc TMapCalibration::RemoveCalibPoint(int,int)
    bool RemoveCalibPoint(int PixPosX, int PixPosY) { return Calibration().RemoveCalibPoint(PixPosX, PixPosY); }
    /// \copydoc TMapCalibration::RestoreLastDeletedCalPoint
    void RestoreLastDeletedCalPoint() { Calibration().RestoreLastDeletedCalPoint(); }
    /// \copydoc TMapCalibration::CalibQuality
    void CalibQuality(double& QualX, double& QualY) const { Calibration().CalibQuality(QualX, QualY); }

    // --- landmarks (forwarded; the changes repaint)
    /// @{
    /// The landmarks, for what the calls below do not cover; their changes repaint the map.
    TLandMarkStore& LandMarks();
    const TLandMarkStore& LandMarks() const;
    /// @}
    /// Number of landmarks, N; indexes run 1..N.
    int NumLandMarks() const { return LandMarks().NumLandMarks(); }
    /// Adds a landmark as TLandMarkStore::AddLandMark does (position in degrees),
    /// unless OnLandMarkAction vetoes it; then repaints.
    template <typename... Args>
    void AddLandMark(Args&&... args) {
        LandMarks().AddLandMark(std::forward<Args>(args)...);
    }
    /// Index of the landmark of the class (-1: every class) nearest to (Lat, Long)
    /// in degrees; 0 when none.
    int FindLandMark(double Lat, double Long, int ClassFlag) const {
        return LandMarks().FindLandMark(Lat, Long, ClassFlag);
    }
    /// Removes landmarks as TLandMarkStore::RemoveLandMark does (the nearest,
    /// those within a radius in degrees or a rectangle, or one by index), each
    /// unless OnLandMarkAction vetoes it; returns what that returns.
    template <typename... Args>
    int RemoveLandMark(Args&&... args) {
        return LandMarks().RemoveLandMark(std::forward<Args>(args)...);
    }
    /// Removes landmark N unless vetoed.
    void RemoveLastLandMark() { LandMarks().RemoveLastLandMark(); }
    /// Removes every landmark of the class drawn closer than Radius control pixels
    /// to control pixel At; returns the number removed.
    int RemoveLandMarksNear(const TPoint& At, int ClassFlag, double Radius);
    /// Removes every landmark of exactly that class that OnLandMarkAction allows.
    void RemoveAllLandMarks(std::uint8_t ClassFlag) { LandMarks().RemoveAllLandMarks(ClassFlag); }
    /// Empties the list without asking OnLandMarkAction; the highlight index stays.
    void RemoveAllLandMarks() { LandMarks().RemoveAllLandMarks(); }
    /// A copy of landmark Index; an empty landmark for an index outside 1..N.
    TLandMark GetLandMarkData(int Index) const { return LandMarks().GetLandMarkData(Index); }
    /// Replaces landmark Index and repaints; nothing outside 1..N. No veto.
    void SetLandMarkData(int Index, const TLandMark& LandMark) { LandMarks().SetLandMarkData(Index, LandMark); }
    /// The template of AddLandMark, changed in place.
    TLandMark& LandMarkDefault() { return LandMarks().LandMarkDefault(); }
    /// @{
    /// Whether landmarks of Class are drawn (all are at first); setting repaints.
    bool GetClassVisibility(std::uint8_t Class) const { return LandMarks().GetClassVisibility(Class); }
    void SetClassVisibility(std::uint8_t Class, bool Value) { LandMarks().SetClassVisibility(Class, Value); }
    /// @}
    /// @{
    /// Index of the highlighted landmark, 0 for none; setting an index outside
    /// 0..N highlights none, and repaints when it changes.
    int HighLightLandMark() const { return LandMarks().HighLightLandMark(); }
    void SetHighLM(int Index) { LandMarks().SetHighLM(Index); }
    /// @}
    /// Sets the highlight's line and fill colours and whether it is drawn without fill; repaints.
    void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent) {
        LandMarks().SetHighLightProperties(ColorFG, ColorBG, Transparent);
    }
    /// @{
    /// Above this many landmarks only a random share of them is drawn; the
    /// setter ignores values up to 1000 and repaints when it changes.
    int LMRandomDisplayThreshold() const { return LandMarks().LMRandomDisplayThreshold(); }
    void SetRandSampleLimit(int Value) { LandMarks().SetRandSampleLimit(Value); }
    /// @}

    // --- tracks and routes (forwarded; the changes repaint)
    /// @{
    /// The tracks and routes drawn over the map, beneath the landmarks: each a
    /// polyline in its colour and width (routes with a circle at each point and
    /// its name beside it where names do not crowd), left out of the picture where
    /// the calibration gives no pixel. Drawn with fewer vertices the smaller the
    /// magnification (none left out strays half a control pixel from the line),
    /// which the map works out again only when the tracks, the fit or the
    /// magnification change: a pan over 100 000 fixes costs little more than the
    /// map image. Their changes repaint the map.
    TTrackStore& Tracks();
    const TTrackStore& Tracks() const;
    /// @}
    /// Adds a track as TTrackStore::AddTrack does and repaints; its index, 0 when refused.
    int AddTrack(TTrack Track) { return Tracks().AddTrack(std::move(Track)); }
    /// Adds a route as TTrackStore::AddRoute does and repaints; its index, 0 when refused.
    int AddRoute(TRoute Route) { return Tracks().AddRoute(std::move(Route)); }

    // --- mouse trace
    /// Empties the mouse trace; no repaint.
    void ClearMouseTrace();
    /// Draws the trace segments onto a canvas in the current view, restoring its pen and brush.
    void DrawMouseTrace(TCanvas& Canvas) const;

    // --- events
    /// After each zoom or pan by mouse, wheel, pinch or key.
    void SetOnZoomPan(TZoomPanEvent Handler);
    /// When a selection rectangle (maSelectRect) is released.
    void SetOnSelectRect(TSelectRectEvent Handler);
    /// At the left press that starts a rubber band or a selection rectangle.
    void SetOnBeginRubberBand(TOnRubberBandActionEvent Handler);
    /// At a left press with Ctrl that continues the rubber band from there.
    void SetOnContinueRubberBand(TOnRubberBandActionEvent Handler);
    /// At the left press that ends the rubber band.
    void SetOnEndRubberBand(TOnRubberBandActionEvent Handler);
    /// Progress of decoding a map image file, and of writing one in SaveMap.
    void SetOnDataLoading(TImageProgressEvent Handler);
    /// While composing, after the map image and before the overlays and landmarks,
    /// in the view composed (the control's own, or that of an export or print).
    void SetOnBeforeRenderData(TRenderEvent Handler);
    /// While composing, after the landmarks and before highlight, scale bar and north arrow.
    void SetOnDataRendered(TRenderEvent Handler);
    /// While composing, for each landmark to draw; Handled true draws nothing of the map's own.
    void SetOnDrawLandmark(TDrawLandMarkEvent Handler);
    /// Before a map image file is loaded; it may replace the name.
    void SetOnMapImageRequest(TMapImgRequestEvent Handler);
    /// Before a landmark is added or removed; leaving Allowed false vetoes it.
    void SetOnLandMarkAction(TLandMarkActionEvent Handler);

Q_SIGNALS:
    /// After OnZoomPan.
    void zoomPan();
    /// The view (top-left pixel, magnification or control size) changed, whoever
    /// changed it: code, keys, mouse, wheel, pinch or a resize; once per change,
    /// not for a set that changes nothing. Emitted while the change is shown, so
    /// a slot deletes the map with deleteLater. So are the four below.
    void viewChanged();
    /// The magnification changed (with viewChanged).
    void magnificationChanged(double Magnification);
    /// The top-left image pixel changed (with viewChanged).
    void topLeftChanged(QPoint TopLeft);
    /// The calibration model changed, as the ordinal of TCalibModel.
    void calibModelChanged(int CalibModel);
    /// ShowGraticule changed, as the ordinal of TShowGrat.
    void showGraticuleChanged(int ShowGraticule);
    /// After OnSelectRect, with its values.
    void selectRect(int Kind, double V1, double V2, double V3, double V4);
    /// After OnBeginRubberBand; Point in image pixels.
    void beginRubberBand(zylcarto::TPoint Point);
    /// After OnContinueRubberBand; Point in image pixels.
    void continueRubberBand(zylcarto::TPoint Point);
    /// After OnEndRubberBand; Point in image pixels.
    void endRubberBand(zylcarto::TPoint Point);
    /// After OnDataLoading, PercentDone 0..100.
    void dataLoading(int PercentDone);
    /// After OnBeforeRenderData, with the view composed; by reference, so direct connections only.
    void beforeRenderData(zylcarto::TCanvas& Canvas, const zylcarto::TMapViewport& View);
    /// After OnDataRendered, with the view composed; by reference, so direct connections only.
    void dataRendered(zylcarto::TCanvas& Canvas, const zylcarto::TMapViewport& View);
    /// After OnDrawLandmark, APoint in control pixels; by reference, so direct connections only.
    void drawLandmark(bool& Handled, zylcarto::TCanvas& Canvas, const zylcarto::TPoint& APoint,
                      const zylcarto::TLandMark& LandMarkData);
    /// After OnMapImageRequest; by reference, so direct connections only.
    void mapImageRequest(std::string& FileName);
    /// After OnLandMarkAction; by reference, so direct connections only.
    void landMarkAction(bool& Allowed, zylcarto::TLandMarkAction Action, const zylcarto::TLandMark& LandMarkData);
    /// After OnMouseDown; X, Y in control pixels.
    void mouseDown(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    /// After OnMouseMove; X, Y in control pixels.
    void mouseMove(zylcarto::TShiftState Shift, int X, int Y);
    /// After OnMouseUp; X, Y in control pixels.
    void mouseUp(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    /// After OnClick.
    void click();
    /// After OnDblClick.
    void dblClick();
    /// After OnMeasure.
    void measureChanged();
    /// FollowPosition changed.
    void followPositionChanged(bool FollowPosition);
    /// ShowPosition showed Fix, after following it.
    void positionChanged(const zylcarto::TPositionFix& Fix);
    /// After OnFollowStopped.
    void followStopped();

public:
    // ==== map images and files ==========================================
    // (loading JPEG/BMP, saving, generating maps, calibration and landmark
    // files, clipboard and printing; implemented in their own source files)

    // --- map image files (geomap_images.cpp)
    /// Loads a JPEG (.jpg, .jpeg) or BMP file, any case of the extension, after
    /// OnMapImageRequest may have replaced the name; MapImgFile keeps Value. A
    /// name that differs from an existing file only in case finds that file. An
    /// empty Value empties the map. A missing file, a file that is not a valid
    /// image of its kind, or of another kind, raises EZYLGeoMapError naming
    /// Value and leaves the picture and the name as they were; so does a picture
    /// above MaxMapImagePixels. The view goes to the top left; repaints. No refit.
    void SetMapImgName(const std::string& Value);
    /// Saves the picture as name.jpg and the calibration as name.xml in the
    /// folder of FileName, whatever its extension, the image first; MapImgFile
    /// becomes name.jpg once both are written. DataID names the data set. Raises
    /// EZYLGeoMapError without a map image, EInOutError when a file cannot be
    /// written, the map's names then unchanged.
    void SaveMap(const std::string& FileName, const std::string& DataID);
    /// Renames the image file within its folder, keeping its extension; the file
    /// name of Name is reduced to an 8.3 name. False, nothing changed, when the
    /// map has no image file, nothing of Name is left or another file has that name.
    bool RenameMapImg(const std::string& Name);
    /// A blank map with an optional labelled grid, calibrated (cmEquiRect), shown
    /// and repainted. Bounds in degrees are put in order, steps dLat and dLong
    /// of 0 or less count as 1 degree, Wid and Hgt (pixels) as at least 100;
    /// OnDrawMapData draws onto the picture first. Raises EZYLGeoMapError,
    /// nothing changed, above MaxMapImagePixels and for bounds no map can have
    /// (NaN, latitudes beyond the poles, see PossibleMapBounds).
    void CreateEmptyMapInMemory(double LatLow, double LongLow, double LatHigh, double LongHigh, double dLat,
                                double dLong, int Wid, int Hgt, bool ShowGrid,
                                const TOnDrawMapDataEvent& OnDrawMapData = {});
    /// Writes FName.bmp (4 bits per pixel, with the grid) and FName.xml, then loads them.
    /// Arguments as for CreateEmptyMapInMemory. Raises EZYLGeoMapError above
    /// MaxMapImagePixels before writing, EInOutError when a file cannot be written.
    void CreateAndLoadEmptyMap(const std::string& FName, double LatLow, double LongLow, double LatHigh, double LongHigh,
                               double dLat, double dLong, int Wid, int Hgt,
                               const TOnDrawMapDataEvent& OnDrawMapData = {});

    // --- calibration files (geomap_calfiles.cpp)
    /// Writes the calibration as data set DataID at the current position of a
    /// text file open for writing, the image named MapImgFile, after recomputing
    /// corners and resolution; WriteHeader puts the xml declaration first.
    /// Failures raise EInOutError.
    void WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID);
    /// Creates or overwrites FileName with that data set; raises EInOutError when it cannot be written.
    void SaveCalDataAsXML(const std::string& FileName, const std::string& DataID);
    /// The same data set at the stream's position, always with the xml declaration.
    void SaveCalDataAsXML(TMemoryStream& OutStream, const std::string& DataID);
    /// Reads the data set DataID (any case; empty: the first) from the file's
    /// current position, as LoadCalDataFromXML does; false, the map unchanged,
    /// when the file holds no such set.
    bool ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& DataID);
    /// Reads the data set DataID (any case; empty: the first) in place of the
    /// calibration, loads the map image it names (SetMapImgName), fits the model
    /// and repaints; raises what reading the set or loading the image raises.
    /// True when the data set was found and read with its image; false when the
    /// file cannot be opened, holds no such data set, or names a map image that
    /// does not exist. When it raises or returns false the map keeps its
    /// calibration and image. A data set naming no image, or "$unknown$" (a
    /// picture set in memory), is taken for the picture shown. A map image
    /// named without a folder is also looked for beside the calibration file
    /// when no OnMapImageRequest handler is assigned.
    bool LoadCalDataFromXML(const std::string& FName, const std::string& DataID);
    /// The same from a stream's position; the image name is used as written.
    bool LoadCalDataFromXML(TMemoryStream& InStream, const std::string& DataID);
    /// Loads the calibration file when it exists (its first data set); else empties the map image.
    /// Repaints; raises as LoadCalDataFromXML.
    void SetCalDatName(const std::string& Value);

    // --- landmark files (geomap_landmarkfiles.cpp)
    /// Replaces the landmarks by the set read, without OnLandMarkAction and without repainting.
    /// The set DataID (any case; empty: the first) from the file's current
    /// position; false, landmarks unchanged, when there is no such set.
    bool ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& DataID);
    /// Opens FName, reads as ReadLandMarksFromOpenXMLFile and repaints; false when
    /// the file cannot be opened or holds no such set.
    bool LoadLandMarks(const std::string& FName, const std::string& DataID);
    /// How many landmarks of the set read last were passed over because they
    /// cannot be (see ReadLandMarkSet): a position that is not a number or
    /// lies beyond the poles, a class outside 0..255. 0 before any read.
    int LandMarksSkipped() const;
    /// Writes the landmarks as set DataID at the current position of a text file
    /// open for writing; WriteHeader puts the xml declaration first. Failures
    /// raise EInOutError.
    void WriteLandMarksToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID);
    /// Creates or overwrites FileName with that set; raises EInOutError when it cannot be written.
    void SaveLandmarks(const std::string& FileName, const std::string& DataID);

    // --- clipboard, printing and export (geomap_print.cpp)
    /// The shown picture with a thin black outline, as a bitmap on the clipboard
    /// (in the screen's device pixels).
    void CopyToClipboard();
    /// The whole map image with graticule and landmarks at magnification 1;
    /// nothing without a map image.
    void CopyEntireMapToClipboard();
    /// Prints the current view on the default printer, ScaleF times its size on
    /// a 96 dpi screen; raises EZYLGeoMapError when no printer can be opened.
    /// A ScaleF that is not finite and positive draws nothing.
    void PrintIt(double ScaleF);
    /// The same on a printer the caller set up (a PDF file, for instance).
    void PrintIt(double ScaleF, QPrinter& Printer);
    /// Draws the current view with its top-left corner at (x, y) device pixels,
    /// ScaleF times its 96 dpi size, clipped to it; y is advanced below the picture.
    /// Nothing, x and y unchanged, for a ScaleF that is not finite and positive.
    void CopyToOpenPrinter(QPainter& Printer, int& x, int& y, double ScaleF);
    /// Draws the map window at the scale, its top-left at (PosHoriz, PosVert).
    /// Only the part on the page is drawn; raises EZYLGeoMapError when nothing
    /// of it falls on the page or the scale puts an image pixel further than
    /// some 10^9 control pixels out (these apply to the next form too).
    /// Nothing for an empty window, a scale that is not positive or a map without
    /// resolution; raises as CalcExtentsOfPrint.
    void CopyToOpenPrinter(QPainter& Printer, const TRect& MapWindow, int Scale, int PosHoriz, int PosVert);
    /// Draws the part of the map starting at TopLeft that fills Width x Height at the scale.
    /// Nothing when Width, Height or Scale are not positive or the map has no resolution.
    void CopyToOpenPrinter(QPainter& Printer, const TPoint& TopLeft, int Scale, int PosHoriz, int PosVert, int Width,
                           int Height);
    /// Prints the layout's area on the page of an open printer, centred
    /// across it from its top, with the scale written below the map ("Scale
    /// 1:25 000"). The image goes to the printer at its own resolution and without
    /// lossy compression; grid, landmarks and captions as vectors at the size they
    /// have on a 96 dpi screen. Returns the scale printed, rounded; 0 when the map has no
    /// resolution (a fitted area is then printed without a scale, one at a scale not
    /// at all), no image, or the page no room. Raises as CopyToOpenPrinter.
    int PrintMap(QPainter& Printer, const TPrintLayout& Layout);
    /// The printed size of a map window at a scale; 0 x 0 when the map has no
    /// resolution or the scale is not positive; raises EZYLGeoMapError when a
    /// side exceeds the int range.
    void CalcExtentsOfPrint(const TRect& MapWindow, int Scale, int& Width, int& Height);
    /// Renders Width x Height pixels of the map (with overlays) from image pixel
    /// TopLeft at magnification MagFact into DestBmp at (PosHoriz, PosVert).
    /// Without frame or mouse trace; nothing for a null DestBmp, an empty size
    /// or a MagFact that is not finite and positive.
    void CopyToBMP(QImage& DestBmp, const TPoint& TopLeft, double MagFact, int PosHoriz, int PosVert, int Width,
                   int Height);
    /// The map with its overlays as a window of W x H control pixels from image
    /// pixel TopLeft at magnification Mag, without frame; the view stays as it is.
    /// A null image for an empty size, a Mag that is not finite and positive,
    /// or when memory runs out.
    QImage RenderMapWindow(const TPoint& TopLeft, double Mag, int W, int H) const;

public:
    // ==== end of map images and files ====================================

    // ==== mouse interaction (geomap_mouse.cpp) ============================
    /// Waits, running the event loop, until the user has dragged a box (true,
    /// corners in control pixels, ordered) or a right button or MouseBoxAbort
    /// ended the wait (false); the mouse action is restored afterwards. The
    /// mouse action is maNone while it waits; choosing another ends the wait with
    /// false and keeps that one. False at once, corners unchanged, while another
    /// request waits; false when the map is destroyed meanwhile.
    bool MouseBox(int& xLo, int& yLo, int& xHi, int& yHi);
    /// Ends a waiting MouseBox with false.
    void MouseBoxAbort();
    /// How far a MouseBox request has come.
    TMouseBoxState MouseBoxState() const;
    /// The 1-based trace point as longitude (X) and latitude (Y); Flags all set
    /// when the index is out of range or the point cannot be converted.
    TColoredPoint GetMTracePoint(int Index) const;
    /// GetMTracePoint(Index).
    TColoredPoint MouseTrace(int Index) const { return GetMTracePoint(Index); }
    /// The host's press handler, run after the control's own work.
    void SetOnMouseDown(TMouseEvent Handler);
    /// The host's move handler, run after the control's own work.
    void SetOnMouseMove(TMouseMoveEvent Handler);
    /// The host's release handler, run before the control's own work.
    void SetOnMouseUp(TMouseEvent Handler);
    /// At a left release inside the control that ends a single press, before OnMouseUp.
    void SetOnClick(TNotifyEvent Handler);
    /// At the second press of a left double click, before OnMouseDown (with ssDouble).
    void SetOnDblClick(TNotifyEvent Handler);

    // --- measuring (geomap_measure.cpp)
    // With MouseAction maMeasure, left clicks add the positions the calibration
    // gives for them (a click where it gives none adds nothing) to a path of
    // geodesics on WGS 84; a click within 4 control pixels of the first of three
    // or more closes it; a double click or Enter finishes it, and the next click
    // starts another; Escape or a right click clears it, and so does choosing
    // another mouse action. The path is drawn with its length (and area) until cleared.
    /// Positions in the measured path, N; indexes run 1..N.
    int MeasurePointCount() const;
    /// Position Index of the measured path, degrees; NaN for both outside 1..N.
    TLatLong MeasurePoint(int Index) const;
    /// Length of the measured path in metres along geodesics on WGS 84, the
    /// closing leg included; 0 for fewer than two positions.
    double MeasuredLength() const;
    /// Area the closed path encloses on WGS 84, square metres; NaN while it is
    /// not closed (also when empty).
    double MeasuredArea() const;
    /// The path was closed by a click on its first position.
    bool MeasureClosed() const;
    /// Legs of the measured path: N - 1, or N once closed (the closing leg last).
    int MeasureLegCount() const;
    /// Bearing at the start of leg Index (1-based, from position Index), degrees
    /// clockwise from north, -180..180; NaN for an index outside 1..MeasureLegCount().
    double MeasureLegBearing(int Index) const;
    /// Empties the measured path and repaints; nothing when it is empty.
    void ClearMeasure();
    /// After each change of the measured path (a position added, the path closed
    /// or cleared), once it is drawn.
    void SetOnMeasure(TNotifyEvent Handler);

protected:
    /// A press at X, Y in control pixels: records the last click, serves a
    /// MouseBox request, does the mouse action's work, then fires OnMouseDown.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    /// A move: records the last position, draws a MouseBox box, does the mouse
    /// action's work, then fires OnMouseMove.
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    /// A release: fires OnMouseUp, then completes a MouseBox box and the mouse action's work.
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    /// @{
    /// Qt's mouse events as MouseDown, MouseMove and MouseUp with OnClick and
    /// OnDblClick; buttons other than left, right and middle go to QWidget.
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    /// @}

public:
    // ==== end of mouse interaction ======================================

    // ==== wheel, pinch and keys (geomap_keys.cpp) ========================
    // Each step repaints and fires OnZoomPan; the view goes into the zoom
    // history once the steps have rested for ZoomRestMs.

public:
    /// One wheel notch (120 units of angle delta, or 120 pixels of a touchpad
    /// scroll) zooms by this factor around the pointer; a pinch to twice the
    /// size is two steps. Partial notches add up.
    static constexpr double WheelZoomFactor = 1.4142135623730951;
    /// Milliseconds without a step after which the view goes into the zoom history.
    static constexpr int ZoomRestMs = 400;
    /// @{
    /// The largest map image accepted, width times height in pixels, MaxMapImagePixels
    /// by default; 0 accepts any size. A larger image is refused with the size message
    /// and leaves the map as it was. A negative value counts as 0.
    long long MaxImagePixels() const;
    void SetMaxImagePixels(long long Value);
    /// @}
    /// @{
    /// Megabytes (at 4 bytes a pixel) a map image file may take held whole, 256 by
    /// default. A larger JPEG or uncompressed BMP is read as a pyramid of tiles: the
    /// reduced views at once, the full-size pixels a band of rows at a time when
    /// first shown, the tiles kept within this much memory and, with
    /// ImageTileFolder set, in a temporary file there. Such a map has no
    /// MapBitmap, ResizeMap and CopyEntireMapToClipboard do nothing; the rest,
    /// printing and SaveMap included, works as for any map. Values below 1 count as 1.
    int ImageMemoryMegabytes() const;
    void SetImageMemoryMegabytes(int Value);
    /// @}
    /// @{
    /// Folder for the temporary tile file of an image read as tiles; empty (the
    /// default) keeps tiles in memory only and decodes evicted ones again.
    /// Takes effect at the next image loaded.
    const std::string& ImageTileFolder() const;
    void SetImageTileFolder(const std::string& Folder);
    /// @}
    /// @{
    /// Wheel and pinch zoom the map (on by default). Off: wheel and pinch are left to the parent widget.
    bool WheelZoom() const;
    void SetWheelZoom(bool Value);
    /// @}

    // --- live position (geomap_position.cpp)
    static constexpr int DefaultTrailLength = 60;  ///< TrailLength of a new map.
    static constexpr int MaxTrailLength = 100000;  ///< The largest TrailLength.
    /// The middle part of the control, as a fraction of its width and height,
    /// that FollowPosition keeps the position in.
    static constexpr double FollowMiddle = 0.5;
    /// Shows the traveller at Fix: a marker turned to the course (a dot without
    /// one), the accuracy circle in metres at the map's scale, and a trail of the
    /// last TrailLength fixes fading into the past; the marker is current again.
    /// A fix without a usable position (TPositionFix::HasPosition) changes
    /// nothing: the marker never jumps. Follows FollowPosition, repaints, then
    /// emits positionChanged. A host connects a TPositionSource's positionUpdated here
    /// and its fixStateChanged to SetPositionCurrent.
    void ShowPosition(const TPositionFix& Fix);
    /// @{
    /// False greys the marker (no fix now, or a stale one); setting repaints.
    bool PositionCurrent() const;
    void SetPositionCurrent(bool Value);
    /// @}
    /// The position shown; no position (NaN) before the first.
    const TPositionFix& ShownPosition() const;
    /// Removes the marker and the trail; repaints.
    void ClearPosition();
    /// @{
    /// While on, a fix that leaves the middle part of the control (FollowMiddle)
    /// pans the map to centre it, as far as ConfinePanToMapImage allows; fixes
    /// inside it move only the marker. Turning it on brings the position shown
    /// into the middle at once. A pan by mouse or keys turns it off and fires
    /// OnFollowStopped; zooming keeps it.
    bool FollowPosition() const;
    void SetFollowPosition(bool Value);
    /// @}
    /// @{
    /// Fixes in the trail, 0..MaxTrailLength (values outside are clamped); setting repaints.
    int TrailLength() const;
    void SetTrailLength(int Value);
    /// @}
    /// Following stopped because the user panned.
    void SetOnFollowStopped(TNotifyEvent Handler);

    /// The zoom step hook, for the control that holds the map (an atlas changes maps
    /// here), not a host event: asked before each zoom step of the wheel, a pinch or a
    /// key with the magnification the step goes to and the control point it keeps.
    /// True when it has shown the step itself; the map then goes on as after a step of
    /// its own (zoom history, OnZoomPan). It may delete the map.
    using TZoomStepHook = std::function<bool(double Magnify, QPointF At)>;
    /// Sets the zoom step hook; an empty function removes it.
    void SetZoomStepHook(TZoomStepHook Hook);

protected:
    /// The touchpad pinch, which has no handler of its own; true when it took the event.
    /// Zooms around the pinch as the wheel does, only while WheelZoom is on.
    bool PinchEvent(QEvent* Event);
    /// Zooms around the pointer while WheelZoom is on; swallowed while a button is held.
    void wheelEvent(QWheelEvent* Event) override;
    /// Arrows pan by an eighth of the control (with Shift a half), + or = and -
    /// zoom around the centre, Home fits the map, Backspace walks back through
    /// the zoom history. Keys with Ctrl, Alt or Meta are left to the host.
    void keyPressEvent(QKeyEvent* Event) override;
    /// Stores the view in the zoom history once the steps have rested.
    void timerEvent(QTimerEvent* Event) override;

public:
    // ==== end of wheel, pinch and keys ==================================

protected:
    /// Ends loading at the first polish (a file that fails to load then leaves
    /// the map as it is, unreported), keeps input from the map while designing,
    /// and takes the pinch.
    bool event(QEvent* Event) override;
    /// Copies AuxBmp (with the rubber shapes) to the screen, the background
    /// beyond it, and the focus frame.
    void paintEvent(QPaintEvent* Event) override;
    /// Keeps the image pixel at the centre (or fits again after a ZoomFitPage
    /// before the show), confines the view as set, and composes AuxBmp unless
    /// painting is held.
    void resizeEvent(QResizeEvent* Event) override;
    /// Fits again after a ZoomFitPage before the show, and composes AuxBmp
    /// unless painting is held.
    void showEvent(QShowEvent* Event) override;

private:
    Q_DECLARE_PRIVATE(TGeoMap)
    // Integer and string forms of properties for form designers and loaders.
    int CalibModelOrdinal() const;
    void SetCalibModelOrdinal(int Value);
    int FrameStyleOrdinal() const;
    void SetFrameStyleOrdinal(int Value);
    int UTMHemisphereOrdinal() const;
    void SetUTMHemisphereOrdinal(int Value);
    int MouseActionOrdinal() const;
    void SetMouseActionOrdinal(int Value);
    int ShowGraticuleOrdinal() const;
    void SetShowGraticuleOrdinal(int Value);
    QPoint TopLeftQ() const;
    void SetTopLeftQ(const QPoint& Value);
    QString EmptyMsgQ() const;
    void SetEmptyMsgQ(const QString& Value);
    // The property side of the state (geomap_state.cpp): what a restored value does depends on it.
    QString CalibDataFileQ() const;
    void SetCalibDataFileQ(const QString& Value);
    QString MapImgFileQ() const;
    void SetMapImgFileQ(const QString& Value);
    QString FormFolderQ() const;
    void SetFormFolderQ(const QString& Value);
    void SetUTMZoneProperty(int Value);
    // The values of a newly made map, for the properties' resets.
    void ResetCalibDataFile();
    void ResetMapImgFile();
    void ResetAllowPan();
    void ResetAntiAlias();
    void ResetCalibModel();
    void ResetCacheMagLimit();
    void ResetViewCacheMegabytes();
    void ResetColorBackGnd();
    void ResetColorGraticule();
    void ResetColorCalibPoints();
    void ResetColorFrame();
    void ResetConfinePan();
    void ResetEmptyMsg();
    void ResetFrameStyle();
    void ResetGratLineDist();
    void ResetUTMGridDist();
    void ResetUTMHemisphere();
    void ResetMouseAction();
    void ResetMouseTraceColor();
    void ResetMouseTraceInvert();
    void ResetShowGraticule();
    void ResetRandSampleLimit();
    void ResetShowScaleBar();
    void ResetShowNorthArrow();
    void ResetShowResiduals();
    void ResetResidualScale();
    void ResetColorResidualOutliers();
    void ResetWheelZoom();
    void ResetFollowPosition();
    void ResetTrailLength();

    const std::unique_ptr<TGeoMapPrivate> d_ptr;
};

}  // namespace zylcarto
