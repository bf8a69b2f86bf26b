#include "zylcarto/geoatlas/geoatlas.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "zylcarto/geoatlas/geoatlas_p.h"
#include "zylcarto/geoatlas/zoom_step.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/host_events.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {
namespace {

constexpr int PanelHeight = 33;
constexpr int ButtonSize = 26;
// Maps switched away from that Backspace can go back to, as many as the map keeps views.
constexpr std::size_t MapsLeftKept = TGeoMap::ZoomStackSize;

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

// Offers the key presses of the object it filters to Take first.
class TKeyFilter : public QObject {
public:
    TKeyFilter(QObject* Parent, std::function<bool(QKeyEvent*)> Take) : QObject(Parent), FTake(std::move(Take)) {}

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        return Event->type() == QEvent::KeyPress && FTake(static_cast<QKeyEvent*>(Event));
    }

private:
    std::function<bool(QKeyEvent*)> FTake;
};

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
    QObject::connect(GeoMap, &TGeoMap::dblClick, &q, [this] { FireHostEvent(&q, OnDblClick, &TGeoAtlas::dblClick); });
    QObject::connect(GeoMap, &TGeoMap::click, &q, [this] { FireHostEvent(&q, OnClick, &TGeoAtlas::click); });
    QObject::connect(GeoMap, &TGeoMap::mapImageRequest, &q,
                     [this](std::string& FileName) { LocateMapImage(FileName); });
    QObject::connect(GeoMap, &TGeoMap::positionChanged, &q, [this](const TPositionFix& Fix) {
        if (FollowTraveller) TravellerMoved(Fix);
    });
    GeoMap->SetZoomStepHook([this](double Magnify, QPointF At) { return ZoomStepAcrossMaps(Magnify, At); });
    GeoMap->installEventFilter(new TKeyFilter(GeoMap, [this](QKeyEvent* Event) { return KeyPressed(Event); }));
    GeoMap->SetEmptyMsg("TGeoAtlas: Empty");
    // Around a map lie the others, outlined: the view may show past its edge, so
    // that a place stays under the pointer as the view changes maps and zooms.
    GeoMap->SetConfinePan(false);

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
    const int Current = d->Registry.CurrentMapIdx();
    const bool Shown = index == Current || index == d->SelectedListPosition();
    d->Registry.Remove(index);
    d->RebuildMapSelector();
    if (!Shown) {
        d->GeoMap->Paint();  // without its outline
        d->NotifyCurrentMap(Current);
        return;
    }
    // The map now under its number, or the one before when it was the last;
    // an empty view when none is left or the map does not load.
    const int Next = std::min(index, d->Registry.NumRegMaps());
    bool Loaded = false;
    if (Next > 0 && !SurvivesCall(this, [&] { Loaded = d->Select(Next, false); })) return;
    if (!d->GeoMap) return;
    if (!Loaded) {
        d->Registry.SetCurrentMapIdx(0);
        d->CboxMaps->setCurrentIndex(-1);
        d->GeoMap->Clear();
    }
    d->NotifyCurrentMap(-1);  // another map, whatever its number
}

bool TGeoAtlas::SelectMap(int Index) {
    const int Before = d->Registry.CurrentMapIdx();
    bool Loaded = false;
    if (!SurvivesCall(this, [&] { Loaded = d->Select(Index); })) return false;
    return d->NotifyCurrentMap(Before) && Loaded;
}

bool TGeoAtlasPrivate::Select(int Index, bool Remember) {
    if (Index < 1 || Index > Registry.NumRegMaps()) return false;
    const int Shown = Registry.CurrentMapIdx();
    const TMapLeft Left{Registry.Maps(Shown).MapFName, GeoMap->TopLeft(), GeoMap->Magnification()};
    Registry.SetCurrentMapIdx(Index);
    bool Loaded = false;
    if (!LoadIntoView(Index, Loaded) || !Loaded) return false;
    CboxMaps->setCurrentIndex(Index - 1);
    // The views in the map's history are of the image it showed before.
    GeoMap->ClearZoomHistory();
    if (Remember && Shown != Index && !Left.MapFName.empty()) {
        if (MapsLeft.size() == MapsLeftKept) MapsLeft.erase(MapsLeft.begin());
        MapsLeft.push_back(Left);
    }
    return true;
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
    bool Loaded = false;
    if (!SurvivesCall(&q, [&] { Loaded = Select(Number); })) return false;
    if (GeoMap && Loaded) {
        GeoMap->BringLocationToCenter(Lat, Long);
        // The map's history starts at the view it was shown with, not the one before centring.
        GeoMap->ClearZoomHistory();
    }
    return NotifyCurrentMap(Before);
}

bool TGeoAtlasPrivate::SelectMapForUser(int Number, bool& Loaded, bool Remember) {
    const int Shown = Registry.CurrentMapIdx();
    const std::string FileName = Registry.Maps(Number).FileName;
    const QPointer<TGeoAtlas> Self(&q);
    Loaded = false;
    std::string Message;
    try {
        Loaded = Select(Number, Remember);
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
    if (Loaded) ShowPlaceAt(Lat, Long, At, Change.Magnify);
    View.SetSuppressPaint(Held);
    NotifyCurrentMap(Before);
    return Loaded;  // a map that failed to load leaves the step to the one shown
}

void TGeoAtlasPrivate::TravellerMoved(const TPositionFix& Fix) {
    const int Before = Registry.CurrentMapIdx();
    const int Number =
        Registry.FindTravellerMap(Fix.Latitude, Fix.Longitude, Before, TGeoAtlas::TravellerEdgeBand, MinResDiff);
    if (Number == 0) return;
    TGeoMap& View = *GeoMap;
    const double From = View.Magnification();
    // Where the traveller is on screen stays; off screen (or on no map yet) the middle.
    QPointF At(View.width() / 2.0, View.height() / 2.0);
    double x = 0, y = 0;
    if (Before != 0 && View.Calibration().CalcPixelCoordsFrac(Fix.Latitude, Fix.Longitude, x, y)) {
        const QPointF P((x - View.TopLeft().X) * From, (y - View.TopLeft().Y) * From);
        if (P.x() >= 0 && P.y() >= 0 && P.x() <= View.width() && P.y() <= View.height()) At = P;
    }
    const double OldRes = View.CalibData().Resolution, NewRes = Registry.Maps(Number).Resolution;
    const double Magnify = Before != 0 && OldRes > 0 ? From * NewRes / OldRes : From;
    const bool Held = View.SuppressPaint();
    View.SetSuppressPaint(true);
    bool Loaded = false;
    if (!SelectMapForUser(Number, Loaded)) return;
    if (Loaded) ShowPlaceAt(Fix.Latitude, Fix.Longitude, At, Magnify);
    View.SetSuppressPaint(Held);
    if (NotifyCurrentMap(Before) && Loaded)
        FireHostEvent(&q, OnTravellerMapChange, &TGeoAtlas::travellerMapChanged, Number);
}

void TGeoAtlasPrivate::ShowView(TPoint TopLeft, double Magnify) {
    TGeoMap& View = *GeoMap;
    const bool Held = View.SuppressPaint();
    View.SetSuppressPaint(true);
    // Not confined, so that a place near the image's edge stays where it was
    // (the image may then not fill the window). The view goes into the map's
    // history first, and the history shows its views as they are.
    const bool Confine = View.ConfinePanToMapImage();
    View.SetConfinePan(false);
    View.SetMagnification(Magnify);
    View.SetTopLeft(TopLeft);
    View.ClearZoomHistory();
    View.SetConfinePan(Confine);
    View.ZoomHistory(0);
    View.SetSuppressPaint(Held);
}

bool TGeoAtlasPrivate::ShowPlaceAt(double Lat, double Long, QPointF At, double Magnify) {
    double x = 0, y = 0;
    if (!GeoMap->Calibration().CalcPixelCoordsFrac(Lat, Long, x, y)) return false;
    // Unrounded to the end, so that the place is off by half an image pixel at most.
    const double Mag = TMapViewport::Clamped(Magnify);
    ShowView({RoundToInt(x - At.x() / Mag), RoundToInt(y - At.y() / Mag)}, Mag);
    return true;
}

bool TGeoAtlasPrivate::KeyPressed(QKeyEvent* Event) {
    // The keys the map takes: with Ctrl, Alt or Meta Backspace is the host's.
    if (PassingKey || Event->key() != Qt::Key_Backspace ||
        (Event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        return false;
    const TPoint TopLeft = GeoMap->TopLeft();
    const double Magnify = GeoMap->Magnification();
    const QPointer<TGeoAtlas> Self(&q);
    PassingKey = true;
    QCoreApplication::sendEvent(GeoMap, Event);
    if (!Self) return true;
    PassingKey = false;
    if (GeoMap && GeoMap->TopLeft() == TopLeft && GeoMap->Magnification() == Magnify) BackToMapLeft();
    return true;
}

void TGeoAtlasPrivate::BackToMapLeft() {
    while (!MapsLeft.empty()) {
        const TMapLeft Left = MapsLeft.back();
        MapsLeft.pop_back();
        const int Number = Registry.Find(Left.MapFName);
        if (Number == 0) continue;  // unregistered since
        const int Before = Registry.CurrentMapIdx();
        TGeoMap& View = *GeoMap;
        const bool Held = View.SuppressPaint();
        View.SetSuppressPaint(true);
        bool Loaded = false;
        if (!SelectMapForUser(Number, Loaded, false)) return;
        if (Loaded) ShowView(Left.TopLeft, Left.Magnify);
        View.SetSuppressPaint(Held);
        if (NotifyCurrentMap(Before) && Loaded) GeoMap->DoZoomPanEvent();
        return;
    }
}

TMapDefinition TGeoAtlas::Maps(int ix) const { return d->Registry.Maps(ix); }

int TGeoAtlas::NumRegMaps() const { return d->Registry.NumRegMaps(); }

int TGeoAtlas::CurrentMapIdx() const { return d->Registry.CurrentMapIdx(); }

double TGeoAtlas::MinResDiff() const { return d->MinResDiff; }

void TGeoAtlas::SetMinResDiff(double Value) {
    if (std::isfinite(Value) && Value >= 0 && Value < 100) d->MinResDiff = Value;
}

void TGeoAtlas::ResetMinResDiff() { SetMinResDiff(DefaultMinResDiff); }

bool TGeoAtlas::FollowTraveller() const { return d->FollowTraveller; }

void TGeoAtlas::SetFollowTraveller(bool Value) { d->FollowTraveller = Value; }

void TGeoAtlas::ResetFollowTraveller() { SetFollowTraveller(false); }

void TGeoAtlas::SetOnTravellerMapChange(TCurrentMapEvent Handler) { d->OnTravellerMapChange = std::move(Handler); }

void TGeoAtlasPrivate::RebuildMapSelector() {
    CboxMaps->clear();
    for (const std::string& Item : Registry.SelectorItems()) CboxMaps->addItem(QString::fromStdString(Item));
    const int Current = Registry.CurrentMapIdx();
    CboxMaps->setCurrentIndex(Current >= 1 && Current <= Registry.NumRegMaps() ? Current - 1 : -1);
}

int TGeoAtlasPrivate::SelectedListPosition() const { return CboxMaps->currentIndex() + 1; }

void TGeoAtlasPrivate::LocateMapImage(std::string& FileName) const { FileName = Registry.MapImageLocation(FileName); }

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
    if (Loaded) ShowPlaceAt(Lat, Long, QPointF(X, Y), GeoMap->Magnification());
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
