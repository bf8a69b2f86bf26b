#pragma once
// TGeoMap's state and the helpers that work on it: internal, not installed, so
// that the control's fields may change without breaking a host built against it.
#include <QEventLoop>
#include <QImage>
#include <QMetaMethod>
#include <QPointer>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/host_events.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/geomap/view/map_scene.h"
#include "zylcarto/geomap/view/track_drawing.h"

class QPainter;

namespace zylcarto {

class TXmlSource;

class TGeoMapPrivate {
    Q_DECLARE_PUBLIC(TGeoMap)

public:
    explicit TGeoMapPrivate(TGeoMap* Map);

    // Suppresses painting for its lifetime and restores the previous setting on
    // every way out, without repainting.
    class TPaintSuppression {
    public:
        explicit TPaintSuppression(TGeoMap& Map) : FMap(&Map), FWas(Map.d_func()->FSuppressPaint) {
            Map.d_func()->FSuppressPaint = true;
        }
        // A host's handler may have destroyed the map meanwhile.
        ~TPaintSuppression() {
            if (FMap) FMap->d_func()->FSuppressPaint = FWas;
        }
        TPaintSuppression(const TPaintSuppression&) = delete;
        TPaintSuppression& operator=(const TPaintSuppression&) = delete;

    private:
        QPointer<TGeoMap> FMap;
        bool FWas;
    };

    // Whether a property or a connected slot takes the event.
    template <typename Handler, typename Signal>
    bool Handles(const Handler& Property, Signal Sig) const {
        return Property || q_func()->isSignalConnected(QMetaMethod::fromSignal(Sig));
    }

    // ---- painting and the view (geomap.cpp, geomap_render.cpp)
    bool IsShownState() const;
    bool PaintHeld() const { return FSuppressPaint || FState.Loading(); }
    std::string PlaceholderText() const;
    // The view with the control's current size.
    TMapViewport Viewport() const;
    // Every change of the view goes through here: the size becomes the control's
    // and the magnification is kept within MinMagnify..MaxMagnify.
    void SetView(TMapViewport View);
    // The map as the renderer sees it, with the control's own cache use, trace and frame.
    TMapScene Scene() const;
    // The same for a window other than the control's (export and printing).
    TMapScene WindowScene() const;
    int ZoomSlot(int Index) const;
    // Sets the fitting view without painting; remembered while the control is not shown.
    void FitView();
    // GrafBmp takes the picture after the size check; then name, size, AuxBmp and
    // FTopLeft follow as for a newly loaded image, and the map repaints.
    void TakeMapImage(const QImage& Picture, const std::string& Name);
    // Raises the size message when Width x Height exceeds MaxMapImagePixels.
    void CheckMapImageSize(int Width, int Height) const {
        zylcarto::CheckMapImageSize(Width, Height, q_func()->Name());
    }

    // ---- files (geomap_images.cpp, geomap_calfiles.cpp, geomap_landmarkfiles.cpp, geomap_print.cpp)
    bool ReadCalDataIntern(TXmlSource& Source, const std::string& DataID, const std::string& CalFileName);
    QImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName);
    // The picture of the image file Value names once OnMapImageRequest had its
    // say; Found false when no such file exists. False when a handler deleted
    // the map. Raises as DecodeMapImageFile.
    bool ReadMapImageFile(const std::string& Value, QImage& Picture, bool& Found);
    void ReplaceLandMarks(const std::vector<TLandMark>& LandMarks);
    // Metres per image pixel for printing at a scale; 0 when the map has none.
    double PrintResolution();
    // The window of ImagePixelsWide x ImagePixelsHigh image pixels from TopLeft,
    // printed PrintedW x PrintedH tenths of a millimetre large at (PosHoriz, PosVert).
    void DrawMapWindow(QPainter& Printer, const TPoint& TopLeft, double ImagePixelsWide, double ImagePixelsHigh,
                       double PrintedW, double PrintedH, int PosHoriz, int PosVert);

    // ---- mouse (geomap_mouse.cpp)
    // What paintEvent shows: AuxBmp, or its copy with the rubber shapes XOR-drawn
    // on it while no Paint has replaced AuxBmp since.
    const QImage& ScreenPicture() const;
    void DrawFeedback(const std::function<void(TCanvas&)>& Draw);
    void RedrawActiveShapes(TCanvas& Canvas) const;
    void XorRectangles(std::initializer_list<TRect> Rects, TPenStyle Style);
    void XorLines(std::initializer_list<TRect> Lines);  // Left, Top to Right, Bottom
    void SetMouseBoxState(TMouseBoxState Value);
    // One object per mouse action, each with press, move and release.
    class TMouseTool;
    class TDragTool;
    class TRubberBandTool;
    class TZoomBoxTool;
    class TSelectRectTool;
    class TTraceTool;
    // The tool of the current MouseAction; one that does nothing for the others.
    const TMouseTool& MouseTool() const;

    // ---- wheel, pinch and keys (geomap_keys.cpp)
    void AddZoomUnits(double Units, QPointF At);
    // Steps > 0 zoom in, < 0 out; the image point under control point At stays there.
    void ZoomStepsAt(int Steps, QPointF At);
    void PanByKey(double Right, double Down);  // fractions of the control
    void GoBackInZoomHistory();
    void RestartZoomRest();
    void StoreRestedView();
    void DrawFocusFrame(QPainter& P);

    // Emits the signals of what changed since the host was last told: every
    // change once, whoever made it, and nothing for a set that changed nothing.
    void TellChanges();

    // The state, grouped by concern. Tests reach it through TGeoMapTestAccess.
    // Mouse drags and requests: anchors and corners in control pixels, the
    // last press and move in image pixels.
    struct TDragState {
        bool LButtonWasDown = false;
        TZoomState ZoomState = zsIdle;
        TMouseBoxState BoxState = mbsIdle;
        int BoxX1 = 0, BoxX2 = 0, BoxY1 = 0, BoxY2 = 0;
        int OldCornerX = 0, OldCornerY = 0, AnchorX = 0, AnchorY = 0;  // boxes and rectangles
        bool RubberBandOn = false, SelectRectOn = false;
        int BandAnchorX = 0, BandAnchorY = 0, BandOldX = 0, BandOldY = 0;
        int TopLeftXAnchor = 0, TopLeftYAnchor = 0;
        int MouseAnchorX = 0, MouseAnchorY = 0;
        int LastClickX = 0, LastClickY = 0;
        int LastMoveX = 0, LastMoveY = 0;
    };
    struct TTraceState {
        std::vector<TColoredPoint> Points;  // MaxMouseTracePoints entries, Count used
        int Count = 0;
        TColor Color = 0xFFFFFF;
        bool Invert = true;
    };
    struct TZoomHistoryState {
        std::array<TgmZoomStackEntry, TGeoMap::ZoomStackSize> Slots{};  // slot s is Slots[s - 1]
        int Next = 1;
    };
    struct TKeyState {
        bool WheelZoom = true;
        double Units = 0;  // the part of a step not zoomed yet, signed
        // The image point kept under At while the view is still the one the
        // last step made; anything else moving the view drops it.
        QPointF At;
        double AnchorX = 0, AnchorY = 0;
        std::optional<TMapViewport> StepView;
        TGeoMap::TZoomStepHook StepHook;
        int RestTimer = 0;  // while a rest is pending
        int HistoryIx = 0;  // the zoom history entry Backspace went to last
    };

    TGeoMap* const q_ptr;
    // Appearance and view.
    TMapAppearance FLook;
    std::string FGridCRS;  // FLook.GridCrs as it was given
    // The view a ZoomFitPage set before the control was shown; refitted at the show unless changed since.
    std::optional<TMapViewport> FPendingFit;
    bool FSuppressPaint = false;
    TComponentState FState;  // designing, loading
    bool FConfinePan = true;
    TMouseActMode FMouseAction = maPan;
    // Image, cache and composed picture (ViewImageFormat).
    QImage AuxBmp;
    mutable TImageCache FCache;  // rebuilt by composing, which changes nothing else
    std::string FMapImgName;
    int FMapImgWidth = 0, FMapImgHeight = 0;
    // Calibration and landmarks, owned here.
    TMapCalibration FCalib;  // model, data, fits, restore state, calibration file name
    TLandMarkStore FLandMarks;
    int FLandMarksSkipped = 0;
    TTrackStore FTracks;
    mutable TTrackLines FTrackLines;  // placed and thinned by composing, invalidated by every change of FTracks
    // Interaction.
    TDragState FDrag;
    TTraceState FTrace;
    TZoomHistoryState FZoom;
    TKeyState FKeys;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnClick, FOnDblClick;
    bool FClickPending = false;
    QEventLoop* FMouseBoxLoop = nullptr;
    QImage FScreenBmp;
    qint64 FScreenKey = 0;  // AuxBmp.cacheKey() when FScreenBmp was copied from it
    // Event handlers (not copied by Assign).
    TMapHooks FHooks;
    // What the renderer calls: FHooks, then the signals; the plain set lacks the
    // landmark hook, so that the renderer may read ahead when nobody draws landmarks.
    TMapHooks FRelayHooks, FRelayHooksPlain;
    TLandMarkActionEvent FOnLandMarkAction;
    TZoomPanEvent FOnZoomPan;
    TSelectRectEvent FOnSelectRect;
    TOnRubberBandActionEvent FOnBeginRubberBand, FOnContRubberBand, FOnEndRubberBand;
    TImageProgressEvent FOnDataLoading;
    TMapImgRequestEvent FOnMapImgRequest;
    QImage GrafBmp;  // the map image at full resolution, in ViewImageFormat
    // The view and model the host was last told of.
    TMapViewport FToldView;
    TCalibModel FToldModel = cmUndefined;

private:
    TMapViewport FView;  // read through Viewport(), written through SetView()
};

}  // namespace zylcarto
