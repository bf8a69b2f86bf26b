#include "zylcarto/geoatlas/geoatlas.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "zylcarto/geoatlas/geoatlas_p.h"
#include "zylcarto/geoatlas/zoom_step.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/host_events.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {
namespace {

constexpr int PanelHeight = 33;
constexpr int ButtonSize = 26;

// A glyph of two images side by side: the normal one and the disabled one.
QIcon TwoImageGlyph(const char* Resource) {
    const QPixmap Both(QStringLiteral(":/zylcarto/") + QLatin1String(Resource));
    QIcon Icon;
    if (Both.isNull()) return Icon;
    const int W = Both.width() / 2;
    Icon.addPixmap(Both.copy(0, 0, W, Both.height()), QIcon::Normal);
    Icon.addPixmap(Both.copy(W, 0, W, Both.height()), QIcon::Disabled);
    return Icon;
}

QToolButton* ModeButton(QWidget* Panel, int Left, const char* Glyph, const char* Name) {
    auto* B = new QToolButton(Panel);
    B->setObjectName(QLatin1String(Name));
    B->setGeometry(Left, 3, ButtonSize, ButtonSize);
    B->setAutoRaise(true);  // flat
    B->setCheckable(true);
    const QIcon Icon = TwoImageGlyph(Glyph);
    B->setIcon(Icon);
    if (!Icon.isNull()) B->setIconSize(Icon.availableSizes().value(0, QSize(16, 16)));
    return B;
}

}  // namespace

static_assert(TGeoAtlas::MaxRegMaps == TMapRegistry::Capacity);

TGeoAtlas::TGeoAtlas(QWidget* AOwner) : QFrame(AOwner), d(std::make_unique<TGeoAtlasPrivate>(*this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setGeometry(100, 50, 480, 320);
    d->Build();
    RegisterGeoCursors();
}

TGeoAtlas::~TGeoAtlas() {
    // The view first: its last paint may still call back into the atlas. The
    // panel too, while the state its connections reach is still there.
    delete d->GeoMap;
    delete d->CPanel;
}

void TGeoAtlasPrivate::Build() {
    CPanel = new QFrame(&q);
    CPanel->setObjectName(QStringLiteral("CmdPanel"));
    CPanel->setFixedHeight(PanelHeight);

    SBPoint = ModeButton(CPanel, 3, "POINTR", "PointerButton");
    SBPoint->setChecked(true);
    SBZoom = ModeButton(CPanel, SBPoint->x() + SBPoint->width() + 3, "ZOOMIN", "ZoomButton");
    // One group: exactly one of the two is down.
    auto* Group = new QButtonGroup(CPanel);
    Group->setExclusive(true);
    Group->addButton(SBPoint);
    Group->addButton(SBZoom);
    QObject::connect(SBPoint, &QToolButton::clicked, &q,
                     [this] { ModeButtonClicked(OnPoiButClick, &TGeoAtlas::pointerButClick); });
    QObject::connect(SBZoom, &QToolButton::clicked, &q,
                     [this] { ModeButtonClicked(OnZoomButClick, &TGeoAtlas::zoomButClick); });

    CboxMaps = new QComboBox(CPanel);
    CboxMaps->setObjectName(QStringLiteral("MapSelector"));
    CboxMaps->setEditable(false);
    CboxMaps->move(SBZoom->x() + SBZoom->width() + 10, 5);
    CboxMaps->resize(300, CboxMaps->sizeHint().height());
    // activated() comes from the user only: filling or selecting from code stays silent.
    QObject::connect(CboxMaps, &QComboBox::activated, &q, [this](int ListIndex) { MapSelectorChosen(ListIndex); });

    GeoMap = new TGeoMap(&q);
    GeoMap->setObjectName(QStringLiteral("GeoMap"));
    // Connections rather than the map's properties, which stay the host's.
    QObject::connect(GeoMap, &TGeoMap::mouseDown, &q,
                     [this](TMouseButton B, TShiftState S, int X, int Y) { ViewMouseDown(B, S, X, Y); });
    QObject::connect(GeoMap, &TGeoMap::mouseUp, &q, [this](TMouseButton B, TShiftState S, int X, int Y) {
        FireHostEvent(&q, OnMouseUp, &TGeoAtlas::mouseUp, B, S, X, Y);
    });
    QObject::connect(GeoMap, &TGeoMap::mouseMove, &q, [this](TShiftState S, int X, int Y) {
        FireHostEvent(&q, OnMouseMove, &TGeoAtlas::mouseMove, S, X, Y);
    });
    QObject::connect(GeoMap, &TGeoMap::dataRendered, &q,
                     [this](TCanvas& Canvas, const TMapViewport& View) { DrawMapOutlines(Canvas, View); });
    QObject::connect(GeoMap, &TGeoMap::dblClick, &q,
                     [this] { FireHostEvent(&q, OnDblClick, &TGeoAtlas::dblClick); });
    QObject::connect(GeoMap, &TGeoMap::click, &q, [this] { FireHostEvent(&q, OnClick, &TGeoAtlas::click); });
    QObject::connect(GeoMap, &TGeoMap::mapImageRequest, &q,
                     [this](std::string& FileName) { LocateMapImage(FileName); });
    GeoMap->SetZoomStepHook([this](double Magnify, QPointF At) { return ZoomStepAcrossMaps(Magnify, At); });
    GeoMap->SetEmptyMsg("TGeoAtlas: Empty");

    auto* Layout = new QVBoxLayout(&q);
    Layout->setContentsMargins(0, 0, 0, 0);  // inside the frame already
    Layout->setSpacing(0);
    Layout->addWidget(CPanel);
    Layout->addWidget(GeoMap, 1);
}

// ---- registry

bool TGeoAtlas::RegisterMap(const std::string& MapFName) {
    TCalibData CalData;  // a file lacking a tag leaves the empty value
    TCalibModel Model = cmUndefined;
    // The file is opened under the name given: its lower-case form names
    // another file on a case-sensitive file system.
    if (!ParseCalibData(MapFName, "", CalData, Model)) return false;
    if (d->Registry.Store(MapDefinitionFromCalib(MapFName, CalData)) == 0) return false;
    d->RebuildMapSelector();
    return true;
}

void TGeoAtlas::UnregisterMap(int index) {
    if (index < 1 || index > d->Registry.NumRegMaps()) return;
    const int Before = d->Registry.CurrentMapIdx();
    const int Selected = d->SelectedListPosition();
    d->Registry.Remove(index);
    d->RebuildMapSelector();
    if (index == Selected) {
        // The following map now has the number; none when it was the last.
        if (!SurvivesCall(this, [&] { d->Select(index); })) return;
    } else {
        d->GeoMap->Paint();
    }
    d->NotifyCurrentMap(Before);
}

bool TGeoAtlas::SelectMap(int Index) {
    const int Before = d->Registry.CurrentMapIdx();
    bool Loaded = false;
    if (!SurvivesCall(this, [&] { Loaded = d->Select(Index); })) return false;
    return d->NotifyCurrentMap(Before) && Loaded;
}

bool TGeoAtlasPrivate::Select(int Index) {
    if (Index < 1 || Index > Registry.NumRegMaps()) return false;
    Registry.SetCurrentMapIdx(Index);
    bool Loaded = false;
    if (!LoadIntoView(Index, Loaded)) return false;
    if (Loaded) CboxMaps->setCurrentIndex(Index - 1);
    return Loaded;
}

bool TGeoAtlasPrivate::NotifyCurrentMap(int Before) {
    const int Now = Registry.CurrentMapIdx();
    return Now == Before || FireHostEvent(&q, OnCurrentMapChange, &TGeoAtlas::currentMapChanged, Now);
}

bool TGeoAtlasPrivate::LoadIntoView(int Number, bool& Loaded) {
    const std::string FileName = Registry.Maps(Number).FileName;
    return SurvivesCall(&q, [&] { Loaded = GeoMap->LoadCalDataFromXML(FileName, ""); }) && GeoMap;
}

bool TGeoAtlasPrivate::ShowZoomedMap(int Number, double Lat, double Long) {
    const int Before = Registry.CurrentMapIdx();
    if (!SurvivesCall(&q, [&] { Select(Number); })) return false;
    if (GeoMap) GeoMap->BringLocationToCenter(Lat, Long);
    return NotifyCurrentMap(Before);
}

bool TGeoAtlasPrivate::SelectMapForUser(int Number, bool& Loaded) {
    const int Shown = Registry.CurrentMapIdx();
    const std::string FileName = Registry.Maps(Number).FileName;
    const QPointer<TGeoAtlas> Self(&q);
    Loaded = false;
    std::string Message;
    try {
        Loaded = Select(Number);
    } catch (const std::exception& E) {
        Message = E.what();
    }
    if (!Self || !GeoMap) return false;
    if (Loaded) return true;
    // The view kept the map it showed; the atlas follows it.
    Registry.SetCurrentMapIdx(Shown);
    if (Message.empty())
        Message = ComponentMessage(q.Name(), "Cannot load map \"" + FileName +
                                                 "\": the file cannot be read, holds no calibration data or names "
                                                 "a map image that does not exist");
    return FireHostEvent(&q, OnMapLoadFailed, &TGeoAtlas::mapLoadFailed, Number, Message) && GeoMap;
}

bool TGeoAtlas::ZoomIn(double CurrentLat, double CurrentLong, double CurrentResolution) {
    const int Best = d->Registry.FindFinerMap(CurrentLat, CurrentLong, CurrentResolution, d->MinResDiff);
    if (Best == 0) return false;
    d->ShowZoomedMap(Best, CurrentLat, CurrentLong);
    return true;
}

bool TGeoAtlas::ZoomOut(double CurrentLat, double CurrentLong, double CurrentResolution) {
    const int Best = d->Registry.FindCoarserMap(CurrentLat, CurrentLong, CurrentResolution);
    if (Best == 0) return false;
    d->ShowZoomedMap(Best, CurrentLat, CurrentLong);
    return true;
}

bool TGeoAtlasPrivate::ZoomStepAcrossMaps(double Magnify, QPointF At) {
    TGeoMap& View = *GeoMap;
    const double From = View.Magnification();
    double Lat = 0, Long = 0;
    if (!View.Calibration().CalcPositionFrac(View.TopLeft().X + At.x() / From, View.TopLeft().Y + At.y() / From, Lat,
                                             Long))
        return false;
    const TMapChange Change =
        ZoomStepMapChange(Registry, Lat, Long, View.CalibData().Resolution, From, Magnify, MinResDiff);
    if (Change.Map == 0) return false;
    const int Before = Registry.CurrentMapIdx();
    // One picture, of the new map at its scale and place, instead of one per change.
    const bool Held = View.SuppressPaint();
    View.SetSuppressPaint(true);
    bool Loaded = false;
    if (!SelectMapForUser(Change.Map, Loaded)) return true;
    if (Loaded) {
        View.SetMagnification(Change.Magnify);
        View.BringLocationToPoint(Lat, Long, {RoundToInt(At.x()), RoundToInt(At.y())});
    }
    View.SetSuppressPaint(Held);
    NotifyCurrentMap(Before);
    return Loaded;  // a map that failed to load leaves the step to the one shown
}

TMapDefinition TGeoAtlas::Maps(int ix) const { return d->Registry.Maps(ix); }

int TGeoAtlas::NumRegMaps() const { return d->Registry.NumRegMaps(); }

int TGeoAtlas::CurrentMapIdx() const { return d->Registry.CurrentMapIdx(); }

double TGeoAtlas::MinResDiff() const { return d->MinResDiff; }

void TGeoAtlas::SetMinResDiff(double Value) {
    if (std::isfinite(Value) && Value >= 0 && Value < 100) d->MinResDiff = Value;
}

void TGeoAtlas::ResetMinResDiff() { SetMinResDiff(DefaultMinResDiff); }

void TGeoAtlasPrivate::RebuildMapSelector() {
    CboxMaps->clear();
    for (const std::string& Item : Registry.SelectorItems()) CboxMaps->addItem(QString::fromStdString(Item));
    CboxMaps->setCurrentIndex(-1);
}

int TGeoAtlasPrivate::SelectedListPosition() const { return CboxMaps->currentIndex() + 1; }

void TGeoAtlasPrivate::LocateMapImage(std::string& FileName) const {
    FileName = Registry.MapImageLocation(FileName);
}

// ---- control surface

TGeoMap* TGeoAtlas::CurrentMap() const { return d->GeoMap; }

QFrame* TGeoAtlas::CmdPanel() const { return d->CPanel; }

QToolButton* TGeoAtlas::ZoomButton() const { return d->SBZoom; }

QToolButton* TGeoAtlas::PointerButton() const { return d->SBPoint; }

QComboBox* TGeoAtlas::MapSelector() const { return d->CboxMaps; }

bool TGeoAtlas::CmdPanelVisible() const { return !d->CPanel->isHidden(); }

void TGeoAtlas::SetCmdPanelVisible(bool Value) { d->CPanel->setVisible(Value); }

void TGeoAtlas::ResetCmdPanelVisible() { SetCmdPanelVisible(true); }

bool TGeoAtlas::Designing() const { return d->GeoMap->Designing(); }

void TGeoAtlas::SetDesigning(bool Value) {
    d->GeoMap->SetDesigning(Value);
    for (QWidget* Child : d->CPanel->findChildren<QWidget*>())
        Child->setAttribute(Qt::WA_TransparentForMouseEvents, Value);
}

void TGeoAtlas::BeginLoading() { d->GeoMap->BeginLoading(); }

void TGeoAtlas::Loaded() { d->GeoMap->Loaded(); }

TColor TGeoAtlas::MapOutlineColor() const { return d->MapOLColor; }

void TGeoAtlas::SetMapOutlineColor(TColor Value) {
    d->MapOLColor = Value;
    d->GeoMap->Paint();
}

void TGeoAtlas::ResetMapOutlineColor() { SetMapOutlineColor(DefaultMapOutlineColor); }

bool TGeoAtlas::MapOutlineVisible() const { return d->MapOLVisible; }

void TGeoAtlas::SetMapOutlineVisible(bool Value) {
    d->MapOLVisible = Value;
    d->GeoMap->Paint();
}

void TGeoAtlas::ResetMapOutlineVisible() { SetMapOutlineVisible(true); }

TCursor TGeoAtlas::Cursor() const { return d->Cursor; }

void TGeoAtlas::SetCursor(TCursor Value) {
    d->Cursor = Value;
    setCursor(TCursorTable::Instance().Cursor(Value));
}

// ---- events

void TGeoAtlas::SetOnMouseDown(TMouseEvent Handler) { d->OnMouseDown = std::move(Handler); }
void TGeoAtlas::SetOnMouseUp(TMouseEvent Handler) { d->OnMouseUp = std::move(Handler); }
void TGeoAtlas::SetOnMouseMove(TMouseMoveEvent Handler) { d->OnMouseMove = std::move(Handler); }
void TGeoAtlas::SetOnClick(TNotifyEvent Handler) { d->OnClick = std::move(Handler); }
void TGeoAtlas::SetOnDblClick(TNotifyEvent Handler) { d->OnDblClick = std::move(Handler); }
void TGeoAtlas::SetOnZoomButClick(TNotifyEvent Handler) { d->OnZoomButClick = std::move(Handler); }
void TGeoAtlas::SetOnPointerButClick(TNotifyEvent Handler) { d->OnPoiButClick = std::move(Handler); }
void TGeoAtlas::SetOnCBoxMapsChange(TNotifyEvent Handler) { d->OnCBxMapsChg = std::move(Handler); }
void TGeoAtlas::SetOnMapLoadFailed(TMapLoadFailedEvent Handler) { d->OnMapLoadFailed = std::move(Handler); }
void TGeoAtlas::SetOnCurrentMapChange(TCurrentMapEvent Handler) { d->OnCurrentMapChange = std::move(Handler); }
void TGeoAtlas::SetOnZoomLimitReached(TZoomLimitEvent Handler) { d->OnZoomLimitReached = std::move(Handler); }

template <typename Signal>
void TGeoAtlasPrivate::ModeButtonClicked(const TNotifyEvent& ButtonEvent, Signal ButtonSignal) {
    if (SBZoom->isChecked()) {
        q.SetCursor(crGeoZoom);
        GeoMap->SetAllowPan(false);
    } else {
        q.SetCursor(crHandPoint);
        GeoMap->SetAllowPan(true);
    }
    if (!FireHostEvent(&q, OnClick, &TGeoAtlas::click)) return;
    FireHostEvent(&q, ButtonEvent, ButtonSignal);
}

void TGeoAtlasPrivate::MapSelectorChosen(int ListIndex) {
    const int Number = ListIndex + 1;
    const int Shown = Registry.CurrentMapIdx();
    bool Loaded = false;
    if (Number >= 1 && Number <= Registry.NumRegMaps()) {
        if (!SelectMapForUser(Number, Loaded)) return;
        // The list shows the map shown again.
        if (!Loaded) CboxMaps->setCurrentIndex(Shown >= 1 && Shown <= Registry.NumRegMaps() ? Shown - 1 : -1);
    } else {
        Registry.SetCurrentMapIdx(Number);
    }
    if (!NotifyCurrentMap(Shown)) return;
    FireHostEvent(&q, OnCBxMapsChg, &TGeoAtlas::cBoxMapsChange);
}

void TGeoAtlasPrivate::ViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FireHostEvent(&q, OnMouseDown, &TGeoAtlas::mouseDown, Button, Shift, X, Y) || !SBZoom->isChecked()) return;
    const double Lat = GeoMap->GetLastMClickLatitude();
    const double Long = GeoMap->GetLastMClickLongitude();
    const double Resolution = GeoMap->CalibData().Resolution;
    const bool Finer = Button == mbLeft;
    const int Best = Finer ? Registry.FindFinerMap(Lat, Long, Resolution, MinResDiff)
                           : Registry.FindCoarserMap(Lat, Long, Resolution);
    if (Best == 0) {
        QApplication::beep();
        FireHostEvent(&q, OnZoomLimitReached, &TGeoAtlas::zoomLimitReached, Finer);
        return;
    }
    // The clicked place stays under the pointer, so that clicks can follow one another there.
    const int Before = Registry.CurrentMapIdx();
    bool Loaded = false;
    if (!SelectMapForUser(Best, Loaded)) return;
    if (Loaded) GeoMap->BringLocationToPoint(Lat, Long, {X, Y});
    NotifyCurrentMap(Before);
}

void TGeoAtlasPrivate::DrawMapOutlines(TCanvas& Canvas, const TMapViewport& View) const {
    if (!MapOLVisible) return;
    Canvas.Pen.Color = MapOLColor;
    const int Selected = SelectedListPosition();
    // Through the view composed, which is not the one on the screen in an export or a print.
    const auto ToControl = [this, &View](const TCoords& C, TPoint& P) {
        int x = 0, y = 0;
        if (!GeoMap->CalcPixelCoords(C.Latit, C.Longit, x, y)) return false;
        P = View.ImageToControl({x, y});
        return true;
    };
    for (int n = 1; n <= Registry.NumRegMaps(); ++n) {
        if (n == Selected) continue;
        const TCornerArray Corners = Registry.Maps(n).Corners;
        TPoint P;
        if (ToControl(Corners[gcoTopRight], P)) Canvas.MoveTo(P.X, P.Y);
        for (const TCorners Corner : {gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight})
            if (ToControl(Corners[Corner], P)) Canvas.LineTo(P.X, P.Y);
    }
}

}  // namespace zylcarto
