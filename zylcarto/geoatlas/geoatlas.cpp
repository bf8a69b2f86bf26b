#include "zylcarto/geoatlas/geoatlas.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

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

TGeoAtlas::TGeoAtlas(QWidget* AOwner) : QFrame(AOwner) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setGeometry(100, 50, 480, 320);

    FCPanel = new QFrame(this);
    FCPanel->setObjectName(QStringLiteral("CmdPanel"));
    FCPanel->setFixedHeight(PanelHeight);

    FSBPoint = ModeButton(FCPanel, 3, "POINTR", "PointerButton");
    FSBPoint->setChecked(true);
    FSBZoom = ModeButton(FCPanel, FSBPoint->x() + FSBPoint->width() + 3, "ZOOMIN", "ZoomButton");
    // One group: exactly one of the two is down.
    auto* Group = new QButtonGroup(FCPanel);
    Group->setExclusive(true);
    Group->addButton(FSBPoint);
    Group->addButton(FSBZoom);
    connect(FSBPoint, &QToolButton::clicked, this,
            [this] { ModeButtonClicked(FOnPoiButClick, &TGeoAtlas::pointerButClick); });
    connect(FSBZoom, &QToolButton::clicked, this,
            [this] { ModeButtonClicked(FOnZoomButClick, &TGeoAtlas::zoomButClick); });

    FCboxMaps = new QComboBox(FCPanel);
    FCboxMaps->setObjectName(QStringLiteral("MapSelector"));
    FCboxMaps->setEditable(false);
    FCboxMaps->move(FSBZoom->x() + FSBZoom->width() + 10, 5);
    FCboxMaps->resize(300, FCboxMaps->sizeHint().height());
    // activated() comes from the user only: filling or selecting from code stays silent.
    connect(FCboxMaps, &QComboBox::activated, this, [this](int ListIndex) { MapSelectorChosen(ListIndex); });

    FGeoMap = new TGeoMap(this);
    FGeoMap->setObjectName(QStringLiteral("GeoMap"));
    // Connections rather than the map's properties, which stay the host's.
    connect(FGeoMap, &TGeoMap::mouseDown, this, &TGeoAtlas::ViewMouseDown);
    connect(FGeoMap, &TGeoMap::mouseUp, this, [this](TMouseButton B, TShiftState S, int X, int Y) {
        FireHostEvent(this, FOnMouseUp, &TGeoAtlas::mouseUp, B, S, X, Y);
    });
    connect(FGeoMap, &TGeoMap::mouseMove, this,
            [this](TShiftState S, int X, int Y) { FireHostEvent(this, FOnMouseMove, &TGeoAtlas::mouseMove, S, X, Y); });
    connect(FGeoMap, &TGeoMap::dataRendered, this, &TGeoAtlas::DrawMapOutlines);
    connect(FGeoMap, &TGeoMap::dblClick, this, [this] { FireHostEvent(this, FOnDblClick, &TGeoAtlas::dblClick); });
    connect(FGeoMap, &TGeoMap::click, this, [this] { FireHostEvent(this, FOnClick, &TGeoAtlas::click); });
    connect(FGeoMap, &TGeoMap::mapImageRequest, this, &TGeoAtlas::LocateMapImage);
    FGeoMap->SetZoomStepHook([this](double Magnify, QPointF At) { return ZoomStepAcrossMaps(Magnify, At); });
    FGeoMap->SetEmptyMsg("TGeoAtlas: Empty");

    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);  // inside the frame already
    Layout->setSpacing(0);
    Layout->addWidget(FCPanel);
    Layout->addWidget(FGeoMap, 1);

    RegisterGeoCursors();
}

TGeoAtlas::~TGeoAtlas() {
    // The view first: its last paint may still call back into the atlas.
    delete FGeoMap;
    FGeoMap = nullptr;
}

// ---- registry

bool TGeoAtlas::RegisterMap(const std::string& MapFName) {
    TCalibData CalData;  // a file lacking a tag leaves the empty value
    TCalibModel Model = cmUndefined;
    // The file is opened under the name given: its lower-case form names
    // another file on a case-sensitive file system.
    if (!ParseCalibData(MapFName, "", CalData, Model)) return false;
    if (FRegistry.Store(MapDefinitionFromCalib(MapFName, CalData)) == 0) return false;
    RebuildMapSelector();
    return true;
}

void TGeoAtlas::UnregisterMap(int index) {
    if (index < 1 || index > FRegistry.NumRegMaps()) return;
    const int Selected = SelectedListPosition();
    FRegistry.Remove(index);
    RebuildMapSelector();
    if (index == Selected)
        SelectMap(index);  // the following map now has the number; none when it was the last
    else
        FGeoMap->Paint();
}

bool TGeoAtlas::SelectMap(int Index) {
    if (Index < 1 || Index > FRegistry.NumRegMaps()) return false;
    FRegistry.SetCurrentMapIdx(Index);
    bool Loaded = false;
    if (!LoadIntoView(Index, Loaded)) return false;
    if (Loaded) FCboxMaps->setCurrentIndex(Index - 1);
    return Loaded;
}

bool TGeoAtlas::LoadIntoView(int Number, bool& Loaded) {
    const std::string FileName = FRegistry.Maps(Number).FileName;
    return SurvivesCall(this, [&] { Loaded = FGeoMap->LoadCalDataFromXML(FileName, ""); }) && FGeoMap;
}

void TGeoAtlas::ShowZoomedMap(int Number, double Lat, double Long) {
    if (SurvivesCall(this, [&] { SelectMap(Number); }) && FGeoMap) FGeoMap->BringLocationToCenter(Lat, Long);
}

bool TGeoAtlas::SelectMapForUser(int Number, bool& Loaded) {
    const int Shown = FRegistry.CurrentMapIdx();
    const std::string FileName = FRegistry.Maps(Number).FileName;
    const QPointer<TGeoAtlas> Self(this);
    Loaded = false;
    std::string Message;
    try {
        Loaded = SelectMap(Number);
    } catch (const std::exception& E) {
        Message = E.what();
    }
    if (!Self || !FGeoMap) return false;
    if (Loaded) return true;
    // The view kept the map it showed; the atlas follows it.
    FRegistry.SetCurrentMapIdx(Shown);
    if (Message.empty())
        Message = ComponentMessage(Name(), "Cannot load map \"" + FileName +
                                               "\": the file cannot be read, holds no calibration data or names "
                                               "a map image that does not exist");
    return FireHostEvent(this, FOnMapLoadFailed, &TGeoAtlas::mapLoadFailed, Number, Message) && FGeoMap;
}

bool TGeoAtlas::ZoomIn(double CurrentLat, double CurrentLong, double CurrentResolution) {
    const int Best = FRegistry.FindFinerMap(CurrentLat, CurrentLong, CurrentResolution, FMinResDiff);
    if (Best == 0) return false;
    ShowZoomedMap(Best, CurrentLat, CurrentLong);
    return true;
}

bool TGeoAtlas::ZoomOut(double CurrentLat, double CurrentLong, double CurrentResolution) {
    const int Best = FRegistry.FindCoarserMap(CurrentLat, CurrentLong, CurrentResolution);
    if (Best == 0) return false;
    ShowZoomedMap(Best, CurrentLat, CurrentLong);
    return true;
}

bool TGeoAtlas::ZoomStepAcrossMaps(double Magnify, QPointF At) {
    TGeoMap& View = *FGeoMap;
    const double From = View.Magnification();
    double Lat = 0, Long = 0;
    if (!View.Calibration().CalcPositionFrac(View.TopLeft().X + At.x() / From, View.TopLeft().Y + At.y() / From, Lat,
                                             Long))
        return false;
    const TMapChange Change =
        ZoomStepMapChange(FRegistry, Lat, Long, View.CalibData().Resolution, From, Magnify, FMinResDiff);
    if (Change.Map == 0) return false;
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
    return Loaded;  // a map that failed to load leaves the step to the one shown
}

void TGeoAtlas::RebuildMapSelector() {
    FCboxMaps->clear();
    for (const std::string& Item : FRegistry.SelectorItems()) FCboxMaps->addItem(QString::fromStdString(Item));
    FCboxMaps->setCurrentIndex(-1);
}

int TGeoAtlas::SelectedListPosition() const { return FCboxMaps->currentIndex() + 1; }

void TGeoAtlas::LocateMapImage(std::string& FileName) const { FileName = FRegistry.MapImageLocation(FileName); }

// ---- control surface

bool TGeoAtlas::CmdPanelVisible() const { return !FCPanel->isHidden(); }

void TGeoAtlas::SetCmdPanelVisible(bool Value) { FCPanel->setVisible(Value); }

void TGeoAtlas::SetDesigning(bool Value) {
    FGeoMap->SetDesigning(Value);
    for (QWidget* Child : FCPanel->findChildren<QWidget*>())
        Child->setAttribute(Qt::WA_TransparentForMouseEvents, Value);
}

void TGeoAtlas::SetMapOutlineColor(TColor Value) {
    FMapOLColor = Value;
    FGeoMap->Paint();
}

void TGeoAtlas::SetMapOutlineVisible(bool Value) {
    FMapOLVisible = Value;
    FGeoMap->Paint();
}

void TGeoAtlas::SetCursor(TCursor Value) {
    FCursor = Value;
    setCursor(TCursorTable::Instance().Cursor(Value));
}

template <typename Signal>
void TGeoAtlas::ModeButtonClicked(const TNotifyEvent& ButtonEvent, Signal ButtonSignal) {
    if (FSBZoom->isChecked()) {
        SetCursor(crGeoZoom);
        FGeoMap->SetAllowPan(false);
    } else {
        SetCursor(crHandPoint);
        FGeoMap->SetAllowPan(true);
    }
    if (!FireHostEvent(this, FOnClick, &TGeoAtlas::click)) return;
    FireHostEvent(this, ButtonEvent, ButtonSignal);
}

void TGeoAtlas::MapSelectorChosen(int ListIndex) {
    const int Number = ListIndex + 1;
    bool Loaded = false;
    if (Number >= 1 && Number <= FRegistry.NumRegMaps()) {
        const int Shown = FRegistry.CurrentMapIdx();
        if (!SelectMapForUser(Number, Loaded)) return;
        // The list shows the map shown again.
        if (!Loaded) FCboxMaps->setCurrentIndex(Shown >= 1 && Shown <= FRegistry.NumRegMaps() ? Shown - 1 : -1);
    } else {
        FRegistry.SetCurrentMapIdx(Number);
    }
    FireHostEvent(this, FOnCBxMapsChg, &TGeoAtlas::cBoxMapsChange);
}

void TGeoAtlas::ViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FireHostEvent(this, FOnMouseDown, &TGeoAtlas::mouseDown, Button, Shift, X, Y) || !FSBZoom->isChecked()) return;
    const double Lat = FGeoMap->GetLastMClickLatitude();
    const double Long = FGeoMap->GetLastMClickLongitude();
    const double Resolution = FGeoMap->CalibData().Resolution;
    const bool Finer = Button == mbLeft;
    const int Best = Finer ? FRegistry.FindFinerMap(Lat, Long, Resolution, FMinResDiff)
                           : FRegistry.FindCoarserMap(Lat, Long, Resolution);
    if (Best == 0) {
        QApplication::beep();
        emit ZoomLimitReached(Finer);
        return;
    }
    // The clicked place stays under the pointer, so that clicks can follow one another there.
    bool Loaded = false;
    if (SelectMapForUser(Best, Loaded) && Loaded) FGeoMap->BringLocationToPoint(Lat, Long, {X, Y});
}

void TGeoAtlas::DrawMapOutlines(TCanvas& Canvas, const TMapViewport& View) const {
    if (!FMapOLVisible) return;
    Canvas.Pen.Color = FMapOLColor;
    const int Selected = SelectedListPosition();
    // Through the view composed, which is not the one on the screen in an export or a print.
    const auto ToControl = [this, &View](const TCoords& C, TPoint& P) {
        int x = 0, y = 0;
        if (!FGeoMap->CalcPixelCoords(C.Latit, C.Longit, x, y)) return false;
        P = View.ImageToControl({x, y});
        return true;
    };
    for (int n = 1; n <= FRegistry.NumRegMaps(); ++n) {
        if (n == Selected) continue;
        const TCornerArray Corners = FRegistry.Maps(n).Corners;
        TPoint P;
        if (ToControl(Corners[gcoTopRight], P)) Canvas.MoveTo(P.X, P.Y);
        for (const TCorners Corner : {gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight})
            if (ToControl(Corners[Corner], P)) Canvas.LineTo(P.X, P.Y);
    }
}

}  // namespace zylcarto
