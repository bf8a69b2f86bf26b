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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/host_events.h"
#include "zylcarto/geomap/view/image_pyramid.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/geomap/view/map_scene.h"
#include "zylcarto/geomap/view/measure_path.h"
#include "zylcarto/geomap/view/memory_image_source.h"
#include "zylcarto/geomap/view/position_drawing.h"
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
    // A map image as read from a file: a picture held whole, or a pyramid.
    struct TLoadedImage {
        QImage Picture;
        std::shared_ptr<TImagePyramid> Pyramid;
    };
    // GrafBmp (or FPyramid) takes the image after the size check; then name, size,
    // AuxBmp and FTopLeft follow as for a newly loaded image, and the map repaints.
    void TakeMapImage(TLoadedImage Image, const std::string& Name);
    // Where the renderer, printing and saving read the image's pixels.
    const TImageSource& ImageSource() const {
        if (FPyramid) return *FPyramid;
        return FSource;
    }
    // Raises the size message when Width x Height exceeds MaxImagePixels.
    void CheckMapImageSize(int Width, int Height) const {
        zylcarto::CheckMapImageSize(Width, Height, q_func()->Name(), FMaxImagePixels);
    }

    // ---- files (geomap_images.cpp, geomap_calfiles.cpp, geomap_landmarkfiles.cpp, geomap_print.cpp)
    bool ReadCalDataIntern(TXmlSource& Source, const std::string& DataID, const std::string& CalFileName);
    // Whole, or as a pyramid above ImageMemoryMegabytes.
    TLoadedImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName);
    // The image file Value names once OnMapImageRequest had its say; Found false
    // when no such file exists. False when a handler deleted the map. Raises as
    // DecodeMapImageFile.
    bool ReadMapImageFile(const std::string& Value, TLoadedImage& Image, bool& Found);
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
    void XorRectangles(std::initializer_list<TRect> Rects, TPenStyle Style);
    void XorLines(std::initializer_list<TRect> Lines);  // Left, Top to Right, Bottom
    static void XorLine(TCanvas& Canvas, const TRect& Line);

    // One object per mouse action, in the manner of QgsMapTool: it holds its own
    // anchors and shape, sees the presses, moves, releases and keys while it is
    // the current tool, and is deactivated when another takes over. Made current
    // is made active: a tool starts with nothing pressed.
    class TMouseTool {
    public:
        explicit TMouseTool(TGeoMapPrivate& Map) : M(Map) {}
        virtual ~TMouseTool() = default;
        TMouseTool(const TMouseTool&) = delete;
        TMouseTool& operator=(const TMouseTool&) = delete;
        // The tool of Action; one that does nothing for maNone and the reserved values.
        static std::shared_ptr<TMouseTool> Make(TMouseActMode Action, TGeoMapPrivate& Map);

        virtual void Press(TMouseButton, TShiftState, int /*X*/, int /*Y*/, TPoint /*ImagePt*/) {}
        virtual void Move(TShiftState, int /*X*/, int /*Y*/) {}
        virtual void Release(TMouseButton, int /*X*/, int /*Y*/) {}
        // A key without modifiers that the map does not use; true when the tool took it.
        virtual bool Key(int /*Key*/) { return false; }
        // A drag of this tool is in progress.
        virtual bool Dragging() const { return false; }
        // Puts the tool's shape back onto a picture a Paint has renewed.
        virtual void RedrawShape(TCanvas&) const {}
        // Before another tool takes over: erases the shape and ends what is pending.
        // Called while the tool is still current; may be called again.
        virtual void Deactivate() {}

    protected:
        TGeoMap* Control() const { return M.q_func(); }

        TGeoMapPrivate& M;
    };
    // A MouseBox request while it waits: its progress and box, and the loop that waits.
    struct TBoxRequest {
        TMouseBoxState State = mbsWaiting;
        TRect Box;  // anchor, then the corner
        QEventLoop* Loop = nullptr;
    };
    // Makes the tool of Action current unless it already is.
    void ChooseMouseAction(TMouseActMode Action);
    // Deactivates the current tool, then makes Tool current as that of Action.
    // False when a handler deleted the map meanwhile.
    bool SetTool(TMouseActMode Action, std::shared_ptr<TMouseTool> Tool);

    // ---- measuring (geomap_measure.cpp)
    static std::shared_ptr<TMouseTool> MakeMeasureTool(TGeoMapPrivate& Map);
    // Runs Change on the measured path; when it says it changed something, repaints
    // and tells the host. False when a handler deleted the map.
    bool ChangeMeasure(const std::function<bool(TMeasurePath&)>& Change);

    // ---- wheel, pinch and keys (geomap_keys.cpp)
    void AddZoomUnits(double Units, QPointF At);
    // Steps > 0 zoom in, < 0 out; the image point under control point At stays there.
    void ZoomStepsAt(int Steps, QPointF At);
    void PanByKey(double Right, double Down);  // fractions of the control
    bool GoBackInZoomHistory();
    void RestartZoomRest();
    void StoreRestedView();
    void DrawFocusFrame(QPainter& P);

    // ---- live position (geomap_position.cpp)
    // Pans so that the position is in the middle part of the control, when it has left it.
    void KeepPositionInView();
    // The user moved the view: following stops until asked again. False when a
    // handler deleted the map.
    bool UserPanned();

    // Emits the signals of what changed since the host was last told: every
    // change once, whoever made it, and nothing for a set that changed nothing.
    void TellChanges();

    // The state, grouped by concern. Tests reach it through TGeoMapTestAccess.
    // Where the pointer was last pressed and moved, in image pixels.
    struct TPointerState {
        TPoint LastClick, LastMove;
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
    std::string FFormFolder;  // where relative file names of the properties are found
    bool FConfinePan = true;
    TMouseActMode FMouseAction = maPan;
    // Image, cache and composed picture (ViewImageFormat).
    QImage AuxBmp;
    mutable TViewCache FCache;  // filled by composing, which changes nothing else
    double FCacheMagLimit = TGeoMap::DefaultCacheMagLimit;
    std::string FMapImgName;
    int FMapImgWidth = 0, FMapImgHeight = 0;
    // Calibration and landmarks, owned here.
    TMapCalibration FCalib;  // model, data, fits, restore state, calibration file name
    TLandMarkStore FLandMarks;
    int FLandMarksSkipped = 0;
    TTrackStore FTracks;
    mutable TTrackLines FTrackLines;  // placed and thinned by composing, invalidated by every change of FTracks
    // Interaction.
    TPointerState FPointer;
    // The current mouse tool, that of FMouseAction (maNone while a MouseBox
    // request waits). Shared with the call in progress, so that a handler that
    // changes the mouse action does not destroy the tool under its own call.
    std::shared_ptr<TMouseTool> FTool;
    TBoxRequest* FBoxRequest = nullptr;  // while MouseBox waits
    TMeasurePath FMeasure;                // kept while the measure tool is current
    TNotifyEvent FOnMeasure;
    TTraceState FTrace;
    TZoomHistoryState FZoom;
    TKeyState FKeys;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnClick, FOnDblClick;
    bool FClickPending = false;
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
    struct TPositionState {
        TPositionDisplay Display;
        int TrailLength = TGeoMap::DefaultTrailLength;
        bool Follow = false;
        TNotifyEvent OnFollowStopped;
    };
    TPositionState FPosition;
    TMapImgRequestEvent FOnMapImgRequest;
    QImage GrafBmp;  // the map image at full resolution, in ViewImageFormat
    TMemoryImageSource FSource{GrafBmp};  // how the renderer reads GrafBmp
    // A map image too large to hold, in place of GrafBmp; shared by Assign.
    std::shared_ptr<TImagePyramid> FPyramid;
    long long FMaxImagePixels = MapImagePixelLimit;
    int FImageMemoryMB = 256;
    std::string FImageTileFolder;
    // The view and model the host was last told of.
    TMapViewport FToldView;
    TCalibModel FToldModel = cmUndefined;

private:
    TMapViewport FView;  // read through Viewport(), written through SetView()
};

}  // namespace zylcarto
