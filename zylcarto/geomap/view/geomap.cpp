#include "zylcarto/geomap/view/geomap.h"

#include <QPainter>
#include <QResizeEvent>
#include <cmath>

#include "zylcarto/support/numeric.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {

TGeoMap::TGeoMap(QWidget* AOwner) : QWidget(AOwner), FCalib(""), FLandMarks(this, [this] { return Name(); }) {
    resize(500, 400);
    setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent covers every pixel; no background fill before it
    setMouseTracking(true);                 // moves without a button report the position too
    setFocusPolicy(Qt::WheelFocus);         // keys pan and zoom; a click, Tab or the wheel give focus
    FTrace.Points.resize(MaxMouseTracePoints);
    ClearZoomHistory();
    FCache.AntiAlias = FLook.AntiAlias;
    AuxBmp = QImage(0, 0, ViewImageFormat);
    FCache.Image = QImage(0, 0, ViewImageFormat);
    FLandMarks.SetOnRepaint([this] { Paint(); });
    FLandMarks.SetOnLandMarkAction([this](TObject*, bool& Allowed, TLandMarkAction Action, const TLandMark& LM) {
        FireHostEvent(this, FOnLandMarkAction, &TGeoMap::landMarkAction, Allowed, Action, LM);
    });
    FRelayHooks.OnBeforeRenderData = [this](TObject*, TCanvas& C, const TMapViewport& View) {
        FireHostEvent(this, FHooks.OnBeforeRenderData, &TGeoMap::beforeRenderData, C, View);
    };
    FRelayHooks.OnDataRendered = [this](TObject*, TCanvas& C, const TMapViewport& View) {
        FireHostEvent(this, FHooks.OnDataRendered, &TGeoMap::dataRendered, C, View);
    };
    FRelayHooksPlain = FRelayHooks;
    FRelayHooks.OnDrawLandmark = [this](TObject*, bool& Handled, TCanvas& C, const TPoint& P, const TLandMark& LM) {
        FireHostEvent(this, FHooks.OnDrawLandmark, &TGeoMap::drawLandmark, Handled, C, P, LM);
    };
    FCalib.SetRepaintHandler([this] { Paint(); });
    connect(this, &QObject::objectNameChanged, this, [this] { FCalib.SetName(Name()); });
}

TGeoMap::~TGeoMap() = default;

void TGeoMap::Assign(const TGeoMap& Source) {
    if (&Source == this) return;
    FLandMarks.Assign(Source.FLandMarks);  // the one step that can fail; nothing changed before it
    AuxBmp = Source.AuxBmp;
    FCache = Source.FCache;
    GrafBmp = Source.GrafBmp;
    FLook = Source.FLook;
    FGridCRS = Source.FGridCRS;
    FDrag = Source.FDrag;
    FMapImgName = Source.FMapImgName;
    FMapImgWidth = Source.FMapImgWidth;
    FMapImgHeight = Source.FMapImgHeight;
    FView = Source.FView;
    FCalib.Assign(Source.FCalib);
    FCalib.SetMapImageSize(FMapImgWidth, FMapImgHeight);
    FSuppressPaint = Source.FSuppressPaint;
    FConfinePan = Source.FConfinePan;
    FMouseAction = Source.FMouseAction;
    FZoom = Source.FZoom;
    FKeys.WheelZoom = Source.FKeys.WheelZoom;
}

// ---- view setters

void TGeoMap::SetMagnification(double Value) {
    if (!std::isfinite(Value) || Value <= 0) return;
    FView.Magnify = TMapViewport::Clamped(Value);
    Paint();
}

void TGeoMap::SetTopLeft(const TPoint& P) {
    FView.TopLeft = P;
    if (FConfinePan) PanMapToFillWindow();
    Paint();
}

void TGeoMap::SetAntiAlias(bool Value) {
    FLook.AntiAlias = Value;
    Paint();
}

void TGeoMap::SetColorBakGnd(TColor Value) {
    FLook.ColorBakGnd = Value;
    Paint();
}

void TGeoMap::SetColorFrame(TColor Value) {
    FLook.FrameColor = Value;
    Paint();
}

void TGeoMap::SetColorGratLine(TColor Value) {
    FLook.ColorGratLine = Value;
    Paint();
}

void TGeoMap::SetColorGratPoints(TColor Value) {
    FLook.ColorGratPoints = Value;
    Paint();
}

void TGeoMap::SetEmptyMsg(const std::string& Value) {
    FLook.EmptyMsg = Value;
    Paint();
}

void TGeoMap::SetShowGrat(TShowGrat Value) {
    if (Value == FLook.ShowGrat) return;
    FLook.ShowGrat = Value;
    Paint();
}

void TGeoMap::SetFrameStyle(TFrameStyle Value) {
    if (Value == FLook.FrameStyle) return;
    FLook.FrameStyle = Value;
    Paint();
}

void TGeoMap::SetGratLineDist(double Value) {
    FLook.GratLineDist = std::isnan(Value) ? 0 : std::clamp(Value, 0.0, 60.0);
    Paint();
}

void TGeoMap::SetUTMGridDist(int Value) {
    FLook.UTMGridDist = std::clamp(Value, 0, 10000000);
    Paint();
}

void TGeoMap::SetGridCRS(const std::string& Value) {
    std::shared_ptr<const TCRSConverter> Crs;
    if (!Value.empty()) {
        Crs = std::make_shared<const TCRSConverter>(Value);
        if (!Crs->Valid())
            throw EZYLGeoMapError(
                ComponentMessage(Name(), "Cannot draw the grid of \"" + Value + "\": " + Crs->Error()));
    }
    FGridCRS = Value;
    FLook.GridCrs = std::move(Crs);
    Paint();
}

void TGeoMap::SetCacheMagLimit(double Value) {
    FLook.CacheMagLimit = std::isnan(Value) ? DefaultCacheMagLimit : std::clamp(Value, 0.0, DefaultCacheMagLimit);
    if (FView.Magnify < DefaultCacheMagLimit) Paint();
}

void TGeoMap::SetShowScaleBar(bool Value) {
    FLook.ShowScaleBar = Value;
    Paint();
}

void TGeoMap::SetShowNorthArrow(bool Value) {
    FLook.ShowNorthArrow = Value;
    Paint();
}

void TGeoMap::SetSuppressPaint(bool Value) {
    if (Value == FSuppressPaint) return;
    FSuppressPaint = Value;
    if (!FSuppressPaint) Paint();
}

void TGeoMap::SetConfinePan(bool Value) {
    FConfinePan = Value;
    if (FConfinePan) PanMapToFillWindow();
}

void TGeoMap::SetFrameStyleOrdinal(int Value) {
    if (Value >= 0 && Value <= static_cast<int>(fsEngraved)) SetFrameStyle(static_cast<TFrameStyle>(Value));
}

void TGeoMap::SetMouseActionOrdinal(int Value) {
    if (Value >= 0 && Value <= static_cast<int>(maTrace)) FMouseAction = static_cast<TMouseActMode>(Value);
}

void TGeoMap::SetShowGraticuleOrdinal(int Value) {
    if (Value >= 0 && Value <= static_cast<int>(sgPointsAndUTMGrid)) SetShowGrat(static_cast<TShowGrat>(Value));
}

// ---- conversions and view operations

TMapViewport TGeoMap::Viewport() const {
    TMapViewport V = FView;
    V.Width = width();
    V.Height = height();
    return V;
}

TPoint TGeoMap::ControlToMapImage(const TPoint& P) const { return FView.ControlToImage(P); }

TPoint TGeoMap::MapImageToControl(const TPoint& P) const { return FView.ImageToControl(P); }

void TGeoMap::PanMapToFillWindow() {
    FView = Viewport();
    FView.Confine(FMapImgWidth, FMapImgHeight);
}

void TGeoMap::BringMapPixelToCenter(const TPoint& P) {
    FView = Viewport();
    FView.CenterOn(P);
    FView.Confine(FMapImgWidth, FMapImgHeight);
    Paint();
}

void TGeoMap::BringLocationToCenter(double Latitude, double Longitude) {
    int x = 0, y = 0;
    if (!FCalib.CalcPixelCoords(Latitude, Longitude, x, y)) return;
    FView = Viewport();
    FView.CenterOnWithin({x, y}, GrafBmp.width(), GrafBmp.height());
    Paint();
}

bool TGeoMap::BringLocationToPoint(double Latitude, double Longitude, const TPoint& At) {
    // Unrounded, so that a magnified view is off by half an image pixel at most, not one.
    double x = 0, y = 0;
    if (!FCalib.CalcPixelCoordsFrac(Latitude, Longitude, x, y)) return false;
    FView = Viewport();
    FView.PlaceAt(x, y, At);
    if (FConfinePan) FView.Confine(FMapImgWidth, FMapImgHeight);
    Paint();
    return true;
}

void TGeoMap::ZoomFitPage() {
    if (FMapImgWidth <= 0 || FMapImgHeight <= 0) return;
    FitView();
    Paint();
}

void TGeoMap::FitView() {
    FView = Viewport();
    const double Fit = FView.FitMagnification(FMapImgWidth, FMapImgHeight);
    if (Fit > 0) FView.Magnify = TMapViewport::Clamped(Fit);
    FView.TopLeft = {0, 0};
    FView.Confine(FMapImgWidth, FMapImgHeight);
    // A hidden control has not been laid out: its size is not yet the one it is shown with.
    if (isVisible())
        FPendingFit.reset();
    else
        FPendingFit = FView;
}

void TGeoMap::ResizeMap(double Magnification) {
    if (GrafBmp.isNull() || !std::isfinite(Magnification) || Magnification <= 0) return;
    const int NewW = RoundToInt(GrafBmp.width() * Magnification);
    const int NewH = RoundToInt(GrafBmp.height() * Magnification);
    if (NewW < 1 || NewH < 1) return;
    CheckMapImageSize(NewW, NewH);
    FCache.Mag = 0;
    GrafBmp = GrafBmp
                  .scaled(NewW, NewH, Qt::IgnoreAspectRatio,
                          FLook.AntiAlias ? Qt::SmoothTransformation : Qt::FastTransformation)
                  .convertToFormat(ViewImageFormat);
    TCalibData& D = FCalib.CalibData();
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
    FMapImgWidth = NewW;
    FMapImgHeight = NewH;
    FCalib.SetMapImageSize(NewW, NewH);
    FView.TopLeft = {0, 0};
    if (FConfinePan) PanMapToFillWindow();
    {
        const TPaintSuppression Hold(*this);  // one repaint at the end, not one from the refit as well
        FCalib.RecalcCalibration();
    }
    Paint();
}

void TGeoMap::ResizeMap(int LongerEdgeLength) {
    if (FMapImgWidth <= 0 || FMapImgHeight <= 0) return;
    ResizeMap(double(LongerEdgeLength) / std::max(FMapImgWidth, FMapImgHeight));
}

// ---- landmarks by their place on screen

int TGeoMap::RemoveLandMarksNear(const TPoint& At, int ClassFlag, double Radius) {
    // Measured where the symbols are drawn, so the radius is round on screen
    // whatever the map's degrees of longitude and latitude measure.
    const TMapViewport View = Viewport();
    return FLandMarks.RemoveLandMarksWhere(ClassFlag, [&](const TLandMark& LM) {
        int x = 0, y = 0;
        if (!FCalib.CalcPixelCoords(LM.Latitude, LM.Longitude, x, y)) return false;
        const TPoint P = View.ImageToControl({x, y});
        return std::hypot(double(P.X) - At.X, double(P.Y) - At.Y) < Radius;
    });
}

// ---- zoom history

int TGeoMap::ZoomSlot(int Index) const {
    int s = FZoom.Next + Index - 1;
    if (s < 1) s += ZoomStackSize;
    return s;
}

void TGeoMap::ZoomStateOnStack() {
    FZoom.Slots[static_cast<std::size_t>(FZoom.Next - 1)] = {FView.TopLeft.X, FView.TopLeft.Y, FView.Magnify};
    FZoom.Next = FZoom.Next % ZoomStackSize + 1;
}

void TGeoMap::ZoomHistory(int Index) {
    if (Index < -(ZoomStackSize - 1) || Index > 0) return;
    const TgmZoomStackEntry& E = FZoom.Slots[static_cast<std::size_t>(ZoomSlot(Index) - 1)];
    if (E.Empty() || !(E.MagF > 0)) return;
    FView.TopLeft = {E.Left, E.Top};
    FView.Magnify = E.MagF;
    Paint();
}

TgmZoomStackEntry TGeoMap::GetZoomStackEntry(int StackIx) const {
    if (StackIx < -(ZoomStackSize - 1) || StackIx > 0) return {};
    return FZoom.Slots[static_cast<std::size_t>(ZoomSlot(StackIx) - 1)];
}

void TGeoMap::ClearZoomHistory() {
    FZoom.Slots.fill({});
    FZoom.Next = 1;
    ZoomStateOnStack();
}

// ---- last click and events

double TGeoMap::GetLastMClickLatitude() const {
    bool valid = false;
    const double v = FCalib.CalcLatitude(FDrag.LastClickX, FDrag.LastClickY, valid);
    return valid ? v : 0;
}

double TGeoMap::GetLastMClickLongitude() const {
    bool valid = false;
    const double v = FCalib.CalcLongitude(FDrag.LastClickX, FDrag.LastClickY, valid);
    return valid ? v : 0;
}

void TGeoMap::DoZoomPanEvent() {
    if (!FState.Designing()) FireHostEvent(this, FOnZoomPan, &TGeoMap::zoomPan);
}

void TGeoMap::DoSelectRectEvent(int Kind, double V1, double V2, double V3, double V4) {
    if (!FState.Designing()) FireHostEvent(this, FOnSelectRect, &TGeoMap::selectRect, Kind, V1, V2, V3, V4);
}

// ---- map image in memory

void TGeoMap::TakeMapImage(const QImage& Picture, const std::string& Name) {
    // Checked before taking the picture, so a refused image leaves the map as it was.
    CheckMapImageSize(Picture.width(), Picture.height());
    FCache.Mag = 0;
    GrafBmp = Picture.convertToFormat(ViewImageFormat);
    FMapImgName = Name;
    FMapImgWidth = GrafBmp.width();
    FMapImgHeight = GrafBmp.height();
    FCalib.SetMapImageSize(FMapImgWidth, FMapImgHeight);
    FView.TopLeft = {0, 0};
    if (FConfinePan) PanMapToFillWindow();
    Paint();
}

void TGeoMap::SetMapBitMap(const QImage& Value) { TakeMapImage(Value, "$unknown$"); }

void TGeoMap::Clear() {
    {
        const TPaintSuppression Hold(*this);  // one repaint at the end
        FCalib.Clear();
    }
    ClearMouseTrace();
    FMapImgName.clear();
    FMapImgWidth = FMapImgHeight = 0;
    FCalib.SetMapImageSize(0, 0);
    Paint();
}

// ---- widget plumbing

bool TGeoMap::IsShownState() const {
    // Visible in the component sense: not hidden on purpose, shown on screen or not.
    return !(isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void TGeoMap::paintEvent(QPaintEvent*) {
    const QImage& Picture = ScreenPicture();
    QPainter P(this);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    const double Ratio = Picture.devicePixelRatio();
    P.drawImage(QRectF(rect()), Picture, QRectF(0, 0, width() * Ratio, height() * Ratio));
    // A control grown while painting was suppressed shows its background beyond the picture.
    for (const QRect& R :
         QRegion(rect()).subtracted(QRegion(QRect(QPoint(), Picture.deviceIndependentSize().toSize()))))
        P.fillRect(R, ToQColor(FLook.ColorBakGnd));
    if (hasFocus()) DrawFocusFrame(P);
}

namespace {

// True while the view is still the one a fit left for a control not yet shown.
bool FitPending(const std::optional<TMapViewport>& Fit, const TMapViewport& View) {
    return Fit && Fit->TopLeft == View.TopLeft && Fit->Magnify == View.Magnify;
}

}  // namespace

void TGeoMap::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (FitPending(FPendingFit, FView)) {
        FitView();
    } else {
        FPendingFit.reset();
        // Resizes of a hidden control arrive at its show without an old size:
        // the view was set for the new size already.
        if (Event->oldSize().isValid()) {
            FView.Width = Event->oldSize().width();
            FView.Height = Event->oldSize().height();
            FView.Resize(width(), height());
        }
        if (FConfinePan) PanMapToFillWindow();
    }
    if (!PaintHeld()) ConstructInternalMapImg();
}

void TGeoMap::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (FitPending(FPendingFit, FView)) FitView();
    FPendingFit.reset();
    if (!PaintHeld()) ConstructInternalMapImg();
}

}  // namespace zylcarto
