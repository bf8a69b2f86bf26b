#include "zylcarto/geomap/view/geomap_p.h"

#include <QPainter>
#include <QResizeEvent>
#include <cmath>
#include <utility>

#include "zylcarto/support/numeric.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {

static_assert(TGeoMap::MaxMapImagePixels == MapImagePixelLimit);

TGeoMapPrivate::TGeoMapPrivate(TGeoMap* Map) : q_ptr(Map), FCalib(""), FLandMarks(Map, [Map] { return Map->Name(); }) {
    FTrace.Points.resize(TGeoMap::MaxMouseTracePoints);
    FCache.SetLimit(std::int64_t(TGeoMap::DefaultViewCacheMegabytes) << 20);
    AuxBmp = QImage(0, 0, ViewImageFormat);
    FLandMarks.SetOnRepaint([Map] { Map->Paint(); });
    FLandMarks.SetOnLandMarkAction([this](TObject*, bool& Allowed, TLandMarkAction Action, const TLandMark& LM) {
        FireHostEvent(q_ptr, FOnLandMarkAction, &TGeoMap::landMarkAction, Allowed, Action, LM);
    });
    FRelayHooks.OnBeforeRenderData = [this](TObject*, TCanvas& C, const TMapViewport& View) {
        FireHostEvent(q_ptr, FHooks.OnBeforeRenderData, &TGeoMap::beforeRenderData, C, View);
    };
    FRelayHooks.OnDataRendered = [this](TObject*, TCanvas& C, const TMapViewport& View) {
        FireHostEvent(q_ptr, FHooks.OnDataRendered, &TGeoMap::dataRendered, C, View);
    };
    FRelayHooksPlain = FRelayHooks;
    FRelayHooks.OnDrawLandmark = [this](TObject*, bool& Handled, TCanvas& C, const TPoint& P, const TLandMark& LM) {
        FireHostEvent(q_ptr, FHooks.OnDrawLandmark, &TGeoMap::drawLandmark, Handled, C, P, LM);
    };
    FCalib.SetRepaintHandler([Map] { Map->Paint(); });
    FTool = TMouseTool::Make(FMouseAction, *this);
    FTracks.SetOnRepaint([this, Map] {
        FTrackLines.Invalidate();
        Map->Paint();
    });
}

TGeoMap::TGeoMap(QWidget* AOwner) : QWidget(AOwner), d_ptr(std::make_unique<TGeoMapPrivate>(this)) {
    resize(500, 400);
    setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent covers every pixel; no background fill before it
    setMouseTracking(true);                 // moves without a button report the position too
    setFocusPolicy(Qt::WheelFocus);         // keys pan and zoom; a click, Tab or the wheel give focus
    ClearZoomHistory();
    d_func()->FToldView = d_func()->Viewport();
    connect(this, &QObject::objectNameChanged, this, [this] { d_func()->FCalib.SetName(Name()); });
}

TGeoMap::~TGeoMap() = default;

void TGeoMap::Assign(const TGeoMap& Source) {
    Q_D(TGeoMap);
    if (&Source == this) return;
    const TGeoMapPrivate* s = Source.d_func();
    // Copied first, so that running out of memory for either leaves the map as it was.
    TTrackStore Tracks;
    Tracks.Assign(s->FTracks);
    d->FLandMarks.Assign(s->FLandMarks);
    d->FTracks.Swap(Tracks);
    d->FTrackLines.Invalidate();
    d->AuxBmp = s->AuxBmp;
    d->FCache.Clear();
    d->GrafBmp = s->GrafBmp;
    d->FPyramid = s->FPyramid;
    d->FLook = s->FLook;
    d->FCacheMagLimit = s->FCacheMagLimit;
    d->FGridCRS = s->FGridCRS;
    d->FPointer = s->FPointer;
    d->FMapImgName = s->FMapImgName;
    d->FMapImgWidth = s->FMapImgWidth;
    d->FMapImgHeight = s->FMapImgHeight;
    d->SetView(s->FView);
    d->FCalib.Assign(s->FCalib);
    d->FCalib.SetMapImageSize(d->FMapImgWidth, d->FMapImgHeight);
    d->FSuppressPaint = s->FSuppressPaint;
    d->FConfinePan = s->FConfinePan;
    d->ChooseMouseAction(s->FMouseAction);
    d->FZoom = s->FZoom;
    d->FKeys.WheelZoom = s->FKeys.WheelZoom;
}

// ---- getters and the setters that only store

bool TGeoMap::Designing() const { return d_func()->FState.Designing(); }
bool TGeoMap::Loading() const { return d_func()->FState.Loading(); }
void TGeoMap::BeginLoading() { d_func()->FState.BeginLoading(); }
const QImage& TGeoMap::AuxBitmap() const { return d_func()->AuxBmp; }
double TGeoMap::Magnification() const { return d_func()->Viewport().Magnify(); }
TPoint TGeoMap::TopLeft() const { return d_func()->Viewport().TopLeft(); }
bool TGeoMap::AntiAlias() const { return d_func()->FLook.AntiAlias; }
TColor TGeoMap::ColorBackGnd() const { return d_func()->FLook.ColorBakGnd; }
TColor TGeoMap::ColorFrame() const { return d_func()->FLook.FrameColor; }
TColor TGeoMap::ColorGraticule() const { return d_func()->FLook.ColorGratLine; }
TColor TGeoMap::ColorCalibPoints() const { return d_func()->FLook.ColorGratPoints; }
const std::string& TGeoMap::EmptyMsg() const { return d_func()->FLook.EmptyMsg; }
TShowGrat TGeoMap::ShowGraticule() const { return d_func()->FLook.ShowGrat; }
TFrameStyle TGeoMap::FrameStyle() const { return d_func()->FLook.FrameStyle; }
double TGeoMap::GratLineDist() const { return d_func()->FLook.GratLineDist; }
int TGeoMap::UTMGridDist() const { return d_func()->FLook.UTMGridDist; }
const std::string& TGeoMap::GridCRS() const { return d_func()->FGridCRS; }
bool TGeoMap::ShowScaleBar() const { return d_func()->FLook.ShowScaleBar; }
bool TGeoMap::ShowNorthArrow() const { return d_func()->FLook.ShowNorthArrow; }
double TGeoMap::CacheMagLimit() const { return d_func()->FCacheMagLimit; }
int TGeoMap::ViewCacheMegabytes() const { return int(d_func()->FCache.Limit() >> 20); }
bool TGeoMap::ShowResiduals() const { return d_func()->FLook.ShowResiduals; }
double TGeoMap::ResidualScale() const { return d_func()->FLook.ResidualScale; }
TColor TGeoMap::ColorResidualOutliers() const { return d_func()->FLook.ColorResidualOutliers; }
bool TGeoMap::SuppressPaint() const { return d_func()->FSuppressPaint; }
bool TGeoMap::ConfinePanToMapImage() const { return d_func()->FConfinePan; }
bool TGeoMap::GetAllowPan() const { return d_func()->FMouseAction == maPan; }
void TGeoMap::SetAllowPan(bool Value) { d_func()->ChooseMouseAction(Value ? maPan : maNone); }
TMouseActMode TGeoMap::MouseAction() const { return d_func()->FMouseAction; }
void TGeoMap::SetMouseAction(TMouseActMode Value) { d_func()->ChooseMouseAction(Value); }
TColor TGeoMap::MouseTraceColor() const { return d_func()->FTrace.Color; }
void TGeoMap::SetMouseTraceColor(TColor Value) { d_func()->FTrace.Color = Value; }
bool TGeoMap::MouseTraceInvert() const { return d_func()->FTrace.Invert; }
void TGeoMap::SetMouseTraceInvert(bool Value) { d_func()->FTrace.Invert = Value; }
std::string TGeoMap::GetMapCaption() const { return d_func()->FCalib.CalibData().Caption; }
void TGeoMap::SetMapCaption(const std::string& S) { d_func()->FCalib.CalibData().Caption = S; }
TZoomState TGeoMap::ZoomState() const {
    Q_D(const TGeoMap);
    return d->FMouseAction == maZoomBox && d->FTool->Dragging() ? zsBoxDragging : zsIdle;
}
const std::string& TGeoMap::MapImgFile() const { return d_func()->FMapImgName; }
const QImage& TGeoMap::MapBitmap() const { return d_func()->GrafBmp; }
int TGeoMap::MapImgWidth() const { return d_func()->FMapImgWidth; }
int TGeoMap::MapImgHeight() const { return d_func()->FMapImgHeight; }
int TGeoMap::LastClickPosX() const { return d_func()->FPointer.LastClick.X; }
int TGeoMap::LastClickPosY() const { return d_func()->FPointer.LastClick.Y; }
int TGeoMap::LastMousePosX() const { return d_func()->FPointer.LastMove.X; }
int TGeoMap::LastMousePosY() const { return d_func()->FPointer.LastMove.Y; }
int TGeoMap::NumMTracePoints() const { return d_func()->FTrace.Count; }
TMapCalibration& TGeoMap::Calibration() { return d_func()->FCalib; }
const TMapCalibration& TGeoMap::Calibration() const { return d_func()->FCalib; }
TLandMarkStore& TGeoMap::LandMarks() { return d_func()->FLandMarks; }
const TLandMarkStore& TGeoMap::LandMarks() const { return d_func()->FLandMarks; }
TTrackStore& TGeoMap::Tracks() { return d_func()->FTracks; }
const TTrackStore& TGeoMap::Tracks() const { return d_func()->FTracks; }
void TGeoMap::ClearMouseTrace() { d_func()->FTrace.Count = 0; }
void TGeoMap::SetOnZoomPan(TZoomPanEvent Handler) { d_func()->FOnZoomPan = std::move(Handler); }
void TGeoMap::SetOnSelectRect(TSelectRectEvent Handler) { d_func()->FOnSelectRect = std::move(Handler); }
void TGeoMap::SetOnBeginRubberBand(TOnRubberBandActionEvent Handler) {
    d_func()->FOnBeginRubberBand = std::move(Handler);
}
void TGeoMap::SetOnContinueRubberBand(TOnRubberBandActionEvent Handler) {
    d_func()->FOnContRubberBand = std::move(Handler);
}
void TGeoMap::SetOnEndRubberBand(TOnRubberBandActionEvent Handler) { d_func()->FOnEndRubberBand = std::move(Handler); }
void TGeoMap::SetOnDataLoading(TImageProgressEvent Handler) { d_func()->FOnDataLoading = std::move(Handler); }
void TGeoMap::SetOnBeforeRenderData(TRenderEvent Handler) { d_func()->FHooks.OnBeforeRenderData = std::move(Handler); }
void TGeoMap::SetOnDataRendered(TRenderEvent Handler) { d_func()->FHooks.OnDataRendered = std::move(Handler); }
void TGeoMap::SetOnDrawLandmark(TDrawLandMarkEvent Handler) { d_func()->FHooks.OnDrawLandmark = std::move(Handler); }
void TGeoMap::SetOnMapImageRequest(TMapImgRequestEvent Handler) { d_func()->FOnMapImgRequest = std::move(Handler); }
void TGeoMap::SetOnLandMarkAction(TLandMarkActionEvent Handler) { d_func()->FOnLandMarkAction = std::move(Handler); }
int TGeoMap::LandMarksSkipped() const { return d_func()->FLandMarksSkipped; }
void TGeoMap::SetOnMouseDown(TMouseEvent Handler) { d_func()->FOnMouseDown = std::move(Handler); }
void TGeoMap::SetOnMouseMove(TMouseMoveEvent Handler) { d_func()->FOnMouseMove = std::move(Handler); }
void TGeoMap::SetOnMouseUp(TMouseEvent Handler) { d_func()->FOnMouseUp = std::move(Handler); }
void TGeoMap::SetOnClick(TNotifyEvent Handler) { d_func()->FOnClick = std::move(Handler); }
void TGeoMap::SetOnDblClick(TNotifyEvent Handler) { d_func()->FOnDblClick = std::move(Handler); }
long long TGeoMap::MaxImagePixels() const { return d_func()->FMaxImagePixels; }
void TGeoMap::SetMaxImagePixels(long long Value) { d_func()->FMaxImagePixels = std::max(0LL, Value); }
int TGeoMap::ImageMemoryMegabytes() const { return d_func()->FImageMemoryMB; }
void TGeoMap::SetImageMemoryMegabytes(int Value) { d_func()->FImageMemoryMB = std::max(1, Value); }
const std::string& TGeoMap::ImageTileFolder() const { return d_func()->FImageTileFolder; }
void TGeoMap::SetImageTileFolder(const std::string& Folder) { d_func()->FImageTileFolder = Folder; }
bool TGeoMap::WheelZoom() const { return d_func()->FKeys.WheelZoom; }
void TGeoMap::SetWheelZoom(bool Value) { d_func()->FKeys.WheelZoom = Value; }
void TGeoMap::SetZoomStepHook(TZoomStepHook Hook) { d_func()->FKeys.StepHook = std::move(Hook); }
int TGeoMap::FrameStyleOrdinal() const { return static_cast<int>(d_func()->FLook.FrameStyle); }
int TGeoMap::MouseActionOrdinal() const { return static_cast<int>(d_func()->FMouseAction); }
int TGeoMap::ShowGraticuleOrdinal() const { return static_cast<int>(d_func()->FLook.ShowGrat); }
QString TGeoMap::EmptyMsgQ() const { return QString::fromStdString(d_func()->FLook.EmptyMsg); }
QString TGeoMap::MapImgFileQ() const { return QString::fromStdString(d_func()->FMapImgName); }
void TGeoMap::ResetMouseAction() { d_func()->ChooseMouseAction(maPan); }
void TGeoMap::ResetMouseTraceColor() { d_func()->FTrace.Color = TGeoMapPrivate::TTraceState{}.Color; }
void TGeoMap::ResetMouseTraceInvert() { d_func()->FTrace.Invert = TGeoMapPrivate::TTraceState{}.Invert; }

// ---- view setters

void TGeoMap::SetMagnification(double Value) {
    Q_D(TGeoMap);
    TMapViewport V = d->Viewport();
    if (!V.SetMagnify(Value)) return;
    d->SetView(V);
    Paint();
}

void TGeoMap::SetTopLeft(const TPoint& P) {
    Q_D(TGeoMap);
    TMapViewport V = d->Viewport();
    V.SetTopLeft(P);
    d->SetView(V);
    if (d->FConfinePan) PanMapToFillWindow();
    Paint();
}

void TGeoMap::SetAntiAlias(bool Value) {
    Q_D(TGeoMap);
    d->FLook.AntiAlias = Value;
    Paint();
}

void TGeoMap::SetColorBakGnd(TColor Value) {
    Q_D(TGeoMap);
    d->FLook.ColorBakGnd = Value;
    Paint();
}

void TGeoMap::SetColorFrame(TColor Value) {
    Q_D(TGeoMap);
    d->FLook.FrameColor = Value;
    Paint();
}

void TGeoMap::SetColorGratLine(TColor Value) {
    Q_D(TGeoMap);
    d->FLook.ColorGratLine = Value;
    Paint();
}

void TGeoMap::SetColorGratPoints(TColor Value) {
    Q_D(TGeoMap);
    d->FLook.ColorGratPoints = Value;
    Paint();
}

void TGeoMap::SetEmptyMsg(const std::string& Value) {
    Q_D(TGeoMap);
    d->FLook.EmptyMsg = Value;
    Paint();
}

void TGeoMap::SetShowGrat(TShowGrat Value) {
    Q_D(TGeoMap);
    if (Value == d->FLook.ShowGrat) return;
    d->FLook.ShowGrat = Value;
    Q_EMIT showGraticuleChanged(static_cast<int>(Value));
    Paint();
}

void TGeoMap::SetFrameStyle(TFrameStyle Value) {
    Q_D(TGeoMap);
    if (Value == d->FLook.FrameStyle) return;
    d->FLook.FrameStyle = Value;
    Paint();
}

void TGeoMap::SetGratLineDist(double Value) {
    Q_D(TGeoMap);
    d->FLook.GratLineDist = std::isnan(Value) ? 0 : std::clamp(Value, 0.0, 60.0);
    Paint();
}

void TGeoMap::SetUTMGridDist(int Value) {
    Q_D(TGeoMap);
    d->FLook.UTMGridDist = std::clamp(Value, 0, 10000000);
    Paint();
}

void TGeoMap::SetGridCRS(const std::string& Value) {
    Q_D(TGeoMap);
    std::shared_ptr<const TCRSConverter> Crs;
    if (!Value.empty()) {
        Crs = std::make_shared<const TCRSConverter>(Value);
        if (!Crs->Valid())
            throw EZYLGeoMapError(
                ComponentMessage(Name(), "Cannot draw the grid of \"" + Value + "\": " + Crs->Error()));
    }
    d->FGridCRS = Value;
    d->FLook.GridCrs = std::move(Crs);
    Paint();
}

void TGeoMap::SetCacheMagLimit(double Value) {
    Q_D(TGeoMap);
    d->FCacheMagLimit = std::isnan(Value) ? DefaultCacheMagLimit : std::clamp(Value, 0.0, DefaultCacheMagLimit);
    if (d->Viewport().Magnify() < DefaultCacheMagLimit) Paint();
}

void TGeoMap::SetViewCacheMegabytes(int Value) {
    d_func()->FCache.SetLimit(std::int64_t(std::clamp(Value, 0, MaxViewCacheMegabytes)) << 20);
}

void TGeoMap::SetShowScaleBar(bool Value) {
    Q_D(TGeoMap);
    d->FLook.ShowScaleBar = Value;
    Paint();
}

void TGeoMap::SetShowNorthArrow(bool Value) {
    Q_D(TGeoMap);
    d->FLook.ShowNorthArrow = Value;
    Paint();
}

void TGeoMap::SetShowResiduals(bool Value) {
    Q_D(TGeoMap);
    d->FLook.ShowResiduals = Value;
    Paint();
}

void TGeoMap::SetResidualScale(double Value) {
    Q_D(TGeoMap);
    if (std::isnan(Value)) return;
    d->FLook.ResidualScale = std::clamp(Value, 1.0, 10000.0);
    Paint();
}

void TGeoMap::SetColorResidualOutliers(TColor Value) {
    Q_D(TGeoMap);
    d->FLook.ColorResidualOutliers = Value;
    Paint();
}

void TGeoMap::SetSuppressPaint(bool Value) {
    Q_D(TGeoMap);
    if (Value == d->FSuppressPaint) return;
    d->FSuppressPaint = Value;
    if (!d->FSuppressPaint) Paint();
}

void TGeoMap::SetConfinePan(bool Value) {
    Q_D(TGeoMap);
    d->FConfinePan = Value;
    if (d->FConfinePan) PanMapToFillWindow();
}

void TGeoMap::SetFrameStyleOrdinal(int Value) {
    if (Value >= 0 && Value <= static_cast<int>(fsEngraved)) SetFrameStyle(static_cast<TFrameStyle>(Value));
}

void TGeoMap::SetMouseActionOrdinal(int Value) {
    Q_D(TGeoMap);
    if (Value >= 0 && Value <= static_cast<int>(maMeasure)) d->ChooseMouseAction(static_cast<TMouseActMode>(Value));
}

void TGeoMap::SetShowGraticuleOrdinal(int Value) {
    if (Value >= 0 && Value <= static_cast<int>(sgPointsAndUTMGrid)) SetShowGrat(static_cast<TShowGrat>(Value));
}

// ---- conversions and view operations

TMapViewport TGeoMapPrivate::Viewport() const {
    Q_Q(const TGeoMap);
    TMapViewport V = FView;
    V.SetSize(q->width(), q->height());
    return V;
}

void TGeoMapPrivate::SetView(TMapViewport View) {
    Q_Q(const TGeoMap);
    View.SetMagnify(TMapViewport::Clamped(View.Magnify()));
    View.SetSize(q->width(), q->height());
    FView = View;
}

TPoint TGeoMap::ControlToMapImage(const TPoint& P) const {
    Q_D(const TGeoMap);
    return d->Viewport().ControlToImage(P);
}

TPoint TGeoMap::MapImageToControl(const TPoint& P) const {
    Q_D(const TGeoMap);
    return d->Viewport().ImageToControl(P);
}

void TGeoMap::PanMapToFillWindow() {
    Q_D(TGeoMap);
    TMapViewport V = d->Viewport();
    V.Confine(d->FMapImgWidth, d->FMapImgHeight);
    d->SetView(V);
    d->TellChanges();
}

void TGeoMap::BringMapPixelToCenter(const TPoint& P) {
    Q_D(TGeoMap);
    TMapViewport V = d->Viewport();
    V.CenterOn(P);
    V.Confine(d->FMapImgWidth, d->FMapImgHeight);
    d->SetView(V);
    Paint();
}

void TGeoMap::BringLocationToCenter(double Latitude, double Longitude) {
    Q_D(TGeoMap);
    int x = 0, y = 0;
    if (!d->FCalib.CalcPixelCoords(Latitude, Longitude, x, y)) return;
    if (x < 0 || y < 0 || x > d->FMapImgWidth || y > d->FMapImgHeight) return;
    TMapViewport V = d->Viewport();
    V.CenterOnWithin({x, y}, d->FMapImgWidth, d->FMapImgHeight);
    d->SetView(V);
    Paint();
}

bool TGeoMap::BringLocationToPoint(double Latitude, double Longitude, const TPoint& At) {
    Q_D(TGeoMap);
    // Unrounded, so that a magnified view is off by half an image pixel at most, not one.
    double x = 0, y = 0;
    if (!d->FCalib.CalcPixelCoordsFrac(Latitude, Longitude, x, y)) return false;
    TMapViewport V = d->Viewport();
    V.PlaceAt(x, y, At);
    if (d->FConfinePan) V.Confine(d->FMapImgWidth, d->FMapImgHeight);
    d->SetView(V);
    Paint();
    // Placing rounds to whole image pixels: half of one is no miss.
    const double Mag = d->FView.Magnify(), Slack = std::max(1.0, Mag / 2);
    const TPoint Shown = d->FView.TopLeft();
    return std::abs((x - Shown.X) * Mag - At.X) <= Slack && std::abs((y - Shown.Y) * Mag - At.Y) <= Slack;
}

void TGeoMap::SetView(const TPoint& TopLeft, double Magnify) {
    Q_D(TGeoMap);
    TMapViewport V = d->Viewport();
    if (!V.SetMagnify(Magnify)) return;
    V.SetTopLeft(TopLeft);
    if (d->FConfinePan) V.Confine(d->FMapImgWidth, d->FMapImgHeight);
    d->SetView(V);
    Paint();
}

void TGeoMap::ZoomFitPage() {
    Q_D(TGeoMap);
    if (d->FMapImgWidth <= 0 || d->FMapImgHeight <= 0) return;
    d->FitView();
    Paint();
}

void TGeoMapPrivate::FitView() {
    Q_Q(TGeoMap);
    TMapViewport V = Viewport();
    const double Fit = V.FitMagnification(FMapImgWidth, FMapImgHeight);
    if (Fit > 0) V.SetMagnify(TMapViewport::Clamped(Fit));
    V.SetTopLeft({0, 0});
    V.Confine(FMapImgWidth, FMapImgHeight);
    SetView(V);
    // A hidden control has not been laid out: its size is not yet the one it is shown with.
    if (q->isVisible())
        FPendingFit.reset();
    else
        FPendingFit = FView;
}

void TGeoMap::ResizeMap(double Magnification) {
    Q_D(TGeoMap);
    if (d->GrafBmp.isNull() || !std::isfinite(Magnification) || Magnification <= 0) return;
    const int NewW = RoundToInt(d->GrafBmp.width() * Magnification);
    const int NewH = RoundToInt(d->GrafBmp.height() * Magnification);
    if (NewW < 1 || NewH < 1) return;
    d->CheckMapImageSize(NewW, NewH);
    d->FCache.Clear();
    d->GrafBmp = d->GrafBmp
                     .scaled(NewW, NewH, Qt::IgnoreAspectRatio,
                             d->FLook.AntiAlias ? Qt::SmoothTransformation : Qt::FastTransformation)
                     .convertToFormat(ViewImageFormat);
    TCalibData& D = d->FCalib.CalibData();
    for (int i = 1; i <= UsedCalLines(D); ++i) {
        TCalibLine& Line = D.CalLines[i];
        for (int k = 1; k <= UsedPoints(Line); ++k) {
            Line.CalPoints[k].X = RoundToInt(Magnification * Line.CalPoints[k].X);
            Line.CalPoints[k].Y = RoundToInt(Magnification * Line.CalPoints[k].Y);
        }
    }
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        D.CalQuads[i].MapX = RoundToInt(Magnification * D.CalQuads[i].MapX);
        D.CalQuads[i].MapY = RoundToInt(Magnification * D.CalQuads[i].MapY);
    }
    // The fit reads the image size (conic search, extents), so it follows the new size.
    d->FMapImgWidth = NewW;
    d->FMapImgHeight = NewH;
    d->FCalib.SetMapImageSize(NewW, NewH);
    TMapViewport V = d->Viewport();
    V.SetTopLeft({0, 0});
    d->SetView(V);
    if (d->FConfinePan) PanMapToFillWindow();
    {
        const TGeoMapPrivate::TPaintSuppression Hold(*this);  // one repaint at the end, not one from the refit as well
        d->FCalib.RecalcCalibration();
    }
    Paint();
}

void TGeoMap::ResizeMap(int LongerEdgeLength) {
    Q_D(TGeoMap);
    if (d->FMapImgWidth <= 0 || d->FMapImgHeight <= 0) return;
    ResizeMap(double(LongerEdgeLength) / std::max(d->FMapImgWidth, d->FMapImgHeight));
}

// ---- landmarks by their place on screen

int TGeoMap::RemoveLandMarksNear(const TPoint& At, int ClassFlag, double Radius) {
    Q_D(TGeoMap);
    // Measured where the symbols are drawn, so the radius is round on screen
    // whatever the map's degrees of longitude and latitude measure.
    const TMapViewport View = d->Viewport();
    return d->FLandMarks.RemoveLandMarksWhere(ClassFlag, [&](const TLandMark& LM) {
        int x = 0, y = 0;
        if (!d->FCalib.CalcPixelCoords(LM.Latitude, LM.Longitude, x, y)) return false;
        const TPoint P = View.ImageToControl({x, y});
        return std::hypot(double(P.X) - At.X, double(P.Y) - At.Y) < Radius;
    });
}

// ---- zoom history

int TGeoMapPrivate::ZoomSlot(int Index) const {
    int s = FZoom.Next + Index - 1;
    if (s < 1) s += TGeoMap::ZoomStackSize;
    return s;
}

void TGeoMap::ZoomStateOnStack() {
    Q_D(TGeoMap);
    const TMapViewport V = d->Viewport();
    d->FZoom.Slots[static_cast<std::size_t>(d->FZoom.Next - 1)] = {V.TopLeft().X, V.TopLeft().Y, V.Magnify()};
    d->FZoom.Next = d->FZoom.Next % ZoomStackSize + 1;
}

void TGeoMap::ZoomHistory(int Index) {
    Q_D(TGeoMap);
    if (Index < -(ZoomStackSize - 1) || Index > 0) return;
    const TgmZoomStackEntry& E = d->FZoom.Slots[static_cast<std::size_t>(d->ZoomSlot(Index) - 1)];
    if (E.Empty()) return;
    TMapViewport V = d->Viewport();
    if (!V.SetMagnify(E.MagF)) return;
    V.SetTopLeft({E.Left, E.Top});
    d->SetView(V);
    Paint();
}

TgmZoomStackEntry TGeoMap::GetZoomStackEntry(int StackIx) const {
    Q_D(const TGeoMap);
    if (StackIx < -(ZoomStackSize - 1) || StackIx > 0) return {};
    return d->FZoom.Slots[static_cast<std::size_t>(d->ZoomSlot(StackIx) - 1)];
}

void TGeoMap::ClearZoomHistory() {
    Q_D(TGeoMap);
    d->FZoom.Slots.fill({});
    d->FZoom.Next = 1;
    ZoomStateOnStack();
}

// ---- last click and events

double TGeoMap::GetLastMClickLatitude() const {
    Q_D(const TGeoMap);
    bool valid = false;
    const double v = d->FCalib.CalcLatitude(d->FPointer.LastClick, valid);
    return valid ? v : 0;
}

double TGeoMap::GetLastMClickLongitude() const {
    Q_D(const TGeoMap);
    bool valid = false;
    const double v = d->FCalib.CalcLongitude(d->FPointer.LastClick, valid);
    return valid ? v : 0;
}

void TGeoMap::DoZoomPanEvent() {
    Q_D(TGeoMap);
    if (!d->FState.Designing()) FireHostEvent(this, d->FOnZoomPan, &TGeoMap::zoomPan);
}

void TGeoMap::DoSelectRectEvent(int Kind, double V1, double V2, double V3, double V4) {
    Q_D(TGeoMap);
    if (!d->FState.Designing()) FireHostEvent(this, d->FOnSelectRect, &TGeoMap::selectRect, Kind, V1, V2, V3, V4);
}

// ---- map image in memory

void TGeoMapPrivate::TakeMapImage(TLoadedImage Image, const std::string& Name) {
    Q_Q(TGeoMap);
    const QSize size = Image.Pyramid ? Image.Pyramid->Size() : Image.Picture.size();
    // Checked before taking the picture, so a refused image leaves the map as it was.
    CheckMapImageSize(size.width(), size.height());
    FCache.Clear();
    GrafBmp = Image.Pyramid ? QImage() : Image.Picture.convertToFormat(ViewImageFormat);
    FPyramid = std::move(Image.Pyramid);
    FMapImgName = Name;
    FMapImgWidth = size.width();
    FMapImgHeight = size.height();
    FCalib.SetMapImageSize(FMapImgWidth, FMapImgHeight);
    TMapViewport V = Viewport();
    V.SetTopLeft({0, 0});
    SetView(V);
    if (FConfinePan) q->PanMapToFillWindow();
    q->ClearZoomHistory();
    q->Paint();
}

void TGeoMap::SetMapBitMap(const QImage& Value) {
    Q_D(TGeoMap);
    d->TakeMapImage({Value, nullptr}, "$unknown$");
}

void TGeoMap::Clear() {
    Q_D(TGeoMap);
    {
        const TGeoMapPrivate::TPaintSuppression Hold(*this);  // one repaint at the end
        d->FCalib.Clear();
    }
    ClearMouseTrace();
    d->FMapImgName.clear();
    d->FMapImgWidth = d->FMapImgHeight = 0;
    d->FCalib.SetMapImageSize(0, 0);
    Paint();
}

// ---- widget plumbing

void TGeoMapPrivate::TellChanges() {
    Q_Q(TGeoMap);
    const TMapViewport Was = std::exchange(FToldView, Viewport());
    const TMapViewport& Now = FToldView;
    const TCalibModel Model = FCalib.CalibModel();
    const bool ModelChanged = std::exchange(FToldModel, Model) != Model;
    if (Now.Magnify() != Was.Magnify()) Q_EMIT q->magnificationChanged(Now.Magnify());
    if (Now.TopLeft() != Was.TopLeft()) Q_EMIT q->topLeftChanged(QPoint(Now.TopLeft().X, Now.TopLeft().Y));
    if (!(Now == Was)) Q_EMIT q->viewChanged();
    if (ModelChanged) Q_EMIT q->calibModelChanged(static_cast<int>(Model));
}

bool TGeoMapPrivate::IsShownState() const {
    Q_Q(const TGeoMap);
    // Visible in the component sense: not hidden on purpose, shown on screen or not.
    return !(q->isHidden() && q->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void TGeoMap::paintEvent(QPaintEvent*) {
    Q_D(TGeoMap);
    const QImage& Picture = d->ScreenPicture();
    QPainter P(this);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    const double Ratio = Picture.devicePixelRatio();
    P.drawImage(QRectF(rect()), Picture, QRectF(0, 0, width() * Ratio, height() * Ratio));
    // A control grown while painting was suppressed shows its background beyond the picture.
    for (const QRect& R :
         QRegion(rect()).subtracted(QRegion(QRect(QPoint(), Picture.deviceIndependentSize().toSize()))))
        P.fillRect(R, ToQColor(d->FLook.ColorBakGnd));
    if (hasFocus()) d->DrawFocusFrame(P);
}

namespace {

// True while the view is still the one a fit left for a control not yet shown.
bool FitPending(const std::optional<TMapViewport>& Fit, const TMapViewport& View) {
    return Fit && Fit->TopLeft() == View.TopLeft() && Fit->Magnify() == View.Magnify();
}

}  // namespace

void TGeoMap::resizeEvent(QResizeEvent* Event) {
    Q_D(TGeoMap);
    QWidget::resizeEvent(Event);
    if (FitPending(d->FPendingFit, d->Viewport())) {
        d->FitView();
    } else {
        d->FPendingFit.reset();
        // Resizes of a hidden control arrive at its show without an old size:
        // the view was set for the new size already.
        if (Event->oldSize().isValid()) {
            TMapViewport V = d->Viewport();
            V.SetSize(Event->oldSize().width(), Event->oldSize().height());
            V.Resize(width(), height());
            d->SetView(V);
        }
        if (d->FConfinePan) PanMapToFillWindow();
    }
    d->TellChanges();
    if (!d->PaintHeld()) ConstructInternalMapImg();
}

void TGeoMap::showEvent(QShowEvent* Event) {
    Q_D(TGeoMap);
    QWidget::showEvent(Event);
    if (FitPending(d->FPendingFit, d->Viewport())) d->FitView();
    d->FPendingFit.reset();
    d->TellChanges();
    if (!d->PaintHeld()) ConstructInternalMapImg();
}

}  // namespace zylcarto
