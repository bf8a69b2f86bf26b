#include "demo_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "atlas_builder.h"
#include "calibration_panel.h"
#include "gps_menu.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/errors.h"

namespace zylcarto::demo {
namespace {

constexpr std::uint8_t SightClass = 1;
constexpr std::uint8_t UserClass = 2;
// Apart from each other and from the blue water of the maps.
constexpr TColor GridColor = 0x006000;     // dark green
constexpr TColor OutlineColor = 0xC000C0;  // purple

QString Degrees(double Value, char Positive, char Negative) {
    return QString::asprintf("%.5f° %c", std::abs(Value), Value >= 0 ? Positive : Negative);
}

}  // namespace

TDemoWindow::TDemoWindow(std::string AtlasFolder, bool StatusOut)
    : FFolder(std::move(AtlasFolder)), FStatusOut(StatusOut), FAtlas(new TGeoAtlas(this)),
      FAsk([this](const QString& Title, const QString& Text) {
          return QMessageBox::question(this, Title, Text) == QMessageBox::Yes;
      }),
      FAskSave([this](const QString& Title, const QString& Text) {
          switch (QMessageBox::question(this, Title, Text,
                                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
          case QMessageBox::Save: return TSaveChoice::Save;
          case QMessageBox::Discard: return TSaveChoice::Discard;
          default: return TSaveChoice::Cancel;
          }
      }),
      FAskText([this](const QString& Title, const QString& Label, const QString& Initial) -> std::optional<QString> {
          bool Ok = false;
          const QString Text = QInputDialog::getText(this, Title, Label, QLineEdit::Normal, Initial, &Ok);
          if (!Ok) return std::nullopt;
          return Text;
      }) {
    setWindowTitle(QStringLiteral("zylcarto demo - Zylland atlas"));
    setCentralWidget(FAtlas);
    FAtlas->SetName("Atlas");
    TGeoMap& View = *FAtlas->CurrentMap();
    View.SetFrameStyle(fsNone);
    View.SetColorGratLine(GridColor);
    FAtlas->SetMapOutlineColor(OutlineColor);
    TLandMark& Default = View.LandMarkDefault();
    Default.SymbolProps = {lmCircle, 5, 0x0000FF, 0x00FFFF, false, 0, 10};
    Default.Caption.Size = 9;
    Default.Caption.FontName = "DejaVu Sans";
    Default.Caption.Transparent = false;
    Default.Caption.BGColor = 0xE0FFFF;

    FAtlas->SetOnMouseDown([this](TObject*, TMouseButton B, TShiftState, int X, int Y) { MapDown(B, X, Y); });
    FAtlas->SetOnMouseMove([this](TObject*, TShiftState, int X, int Y) { MapMoved(X, Y); });
    // Zoom clicks switch maps inside the atlas's mouse-down; the release comes after.
    FAtlas->SetOnMouseUp([this](TObject*, TMouseButton, TShiftState, int, int) { MapShown(); });
    FAtlas->SetOnCBoxMapsChange([this](TObject*) { MapShown(); });
    FAtlas->SetOnZoomButClick([this](TObject*) { SetTool(TTool::Browse); });
    FAtlas->SetOnPointerButClick([this](TObject*) { SetTool(TTool::Browse); });
    View.SetOnZoomPan([this](TObject*) {
        MapShown();  // a zoom step of the wheel may have changed maps
        if (FStatusOut) std::printf("magnification %.4f\n", FAtlas->CurrentMap()->Magnification()), std::fflush(stdout);
    });

    BuildActions();
    FGps = new TGpsMenu(*this, *FAtlas, FFolder);
    FGps->Menu().addSeparator();
    connect(FGps->Menu().addAction(QStringLiteral("&Measure a distance")), &QAction::triggered, this,
            [this] { SetTool(TTool::Measure); });
    FCalPanel = new TCalibrationPanel(this);
    addDockWidget(Qt::RightDockWidgetArea, FCalPanel);
    FCalPanel->hide();
    connect(FCalPanel, &TCalibrationPanel::RemoveRequested, this, [this](int Row) { RemoveReferencePoint(Row); });
    connect(FCalPanel, &TCalibrationPanel::UndoRequested, this, [this] { UndoRemoval(); });
    connect(FCalPanel, &TCalibrationPanel::SaveRequested, this, [this] { SaveCalibrationAs(); });
    // The arrows belong to the calibration mode: shown while its panel is.
    const auto ShowResiduals = [this] {
        FAtlas->CurrentMap()->SetShowResiduals(FCalPanel->ResidualsShown() && FCalPanel->isVisible());
    };
    connect(FCalPanel, &TCalibrationPanel::ResidualsToggled, this, ShowResiduals);
    connect(FCalPanel, &QDockWidget::visibilityChanged, this, ShowResiduals);
    // Permanent fields: a message in the status bar hides only the others, and
    // is drawn left of them, so they take no more room than their text.
    FPosition = new QLabel(this);
    FPosition->setObjectName(QStringLiteral("Position"));
    FMapInfo = new QLabel(this);
    statusBar()->addPermanentWidget(FPosition);
    statusBar()->addPermanentWidget(FMapInfo);
    resize(1000, 720);
}

// The panel hides while QWidget destroys the children, after this window's
// members are gone: its signals must not reach them.
TDemoWindow::~TDemoWindow() { disconnect(FCalPanel, nullptr, this, nullptr); }

void TDemoWindow::BuildActions() {
    QToolBar* Bar = FToolBar = addToolBar(QStringLiteral("Tools"));
    Bar->setObjectName(QStringLiteral("Tools"));
    Bar->setMovable(false);
    QMenu* File = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* Tools = menuBar()->addMenu(QStringLiteral("&Tools"));

    FTools = new QActionGroup(this);
    const auto AddTool = [&](const QString& Text, TTool Tool, const QString& Tip) {
        QAction* A = FTools->addAction(Text);
        A->setObjectName(Text.toLower().replace(QLatin1Char(' '), QLatin1Char('-')));
        A->setCheckable(true);
        A->setToolTip(Tip);
        connect(A, &QAction::triggered, this, [this, Tool] { SetTool(Tool); });
        Bar->addAction(A);
        Tools->addAction(A);
        return A;
    };
    FBrowse =
        AddTool(QStringLiteral("Browse"), TTool::Browse, QStringLiteral("Pan, or zoom with the atlas's zoom button"));
    FBrowse->setChecked(true);
    AddTool(QStringLiteral("Add landmark"), TTool::AddLandmark, QStringLiteral("Click the map to add a landmark"));
    AddTool(QStringLiteral("Remove landmark"), TTool::RemoveLandmark, QStringLiteral("Click a landmark to remove it"));
    AddTool(QStringLiteral("Calibrate"), TTool::Calibrate,
            QStringLiteral("Click a point of known position to add a reference point"));
    AddTool(QStringLiteral("Edit landmark"), TTool::EditLandmark, QStringLiteral("Click a landmark to rename it"));
    AddTool(QStringLiteral("Measure"), TTool::Measure,
            QStringLiteral("Click points of a path; click the first to close it, Enter to finish, Escape to clear"));
    Bar->addSeparator();

    FGridChoice = new QComboBox(Bar);
    FGridChoice->addItems({QStringLiteral("No grid"), QStringLiteral("Graticule"), QStringLiteral("UTM grid")});
    connect(FGridChoice, &QComboBox::activated, this, [this](int Index) { SetGrid(Index); });
    Bar->addWidget(FGridChoice);
    Bar->addSeparator();

    // The map answers the wheel and its keys itself, going from map to map in the atlas.
    QMenu* ViewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    const auto AddOverlay = [&](const QString& Text, bool On, void (TGeoMap::*Set)(bool)) {
        QAction* A = ViewMenu->addAction(Text);
        A->setCheckable(true);
        A->setChecked(On);
        connect(A, &QAction::toggled, this, [this, Set](bool Value) { (FAtlas->CurrentMap()->*Set)(Value); });
        (FAtlas->CurrentMap()->*Set)(On);
    };
    AddOverlay(QStringLiteral("Scale bar"), true, &TGeoMap::SetShowScaleBar);
    AddOverlay(QStringLiteral("North arrow"), true, &TGeoMap::SetShowNorthArrow);
    ViewMenu->addSeparator();
    QMenu* CrsMenu = ViewMenu->addMenu(QStringLiteral("Position and grid in"));
    auto* CrsGroup = new QActionGroup(this);
    struct TCrsChoice {
        QString Text, Short;
        std::string Crs;
    };
    for (const TCrsChoice& C :
         {TCrsChoice{QStringLiteral("WGS 84 and UTM"), {}, ""},
          {QStringLiteral("British National Grid (EPSG:27700)"), QStringLiteral("BNG"), "EPSG:27700"},
          {QStringLiteral("Swiss LV95 (EPSG:2056)"), QStringLiteral("LV95"), "EPSG:2056"},
          {QStringLiteral("Web Mercator (EPSG:3857)"), QStringLiteral("Web Mercator"), "EPSG:3857"}}) {
        QAction* A = CrsMenu->addAction(C.Text);
        A->setCheckable(true);
        A->setChecked(C.Crs.empty());
        CrsGroup->addAction(A);
        connect(A, &QAction::triggered, this, [this, C] { SetReadoutCrs(C.Crs, C.Short); });
    }

    const auto AddCommand = [&](const QString& Text, QKeySequence Keys, auto Slot) {
        QAction* A = File->addAction(Text);
        A->setShortcut(Keys);
        connect(A, &QAction::triggered, this, Slot);
        Bar->addAction(A);
    };
    AddCommand(QStringLiteral("Save landmarks..."), QKeySequence::Save, [this] { SaveLandmarks(); });
    AddCommand(QStringLiteral("Load landmarks..."), QKeySequence::Open, [this] { LoadLandmarks(); });
    AddCommand(QStringLiteral("Copy"), QKeySequence::Copy, [this] { FAtlas->CurrentMap()->CopyToClipboard(); });
    AddCommand(QStringLiteral("Print to PDF..."), QKeySequence::Print, [this] { PrintToPdf(); });
    File->addAction(QStringLiteral("Save calibration..."), this, [this] { SaveCalibrationAs(); });
    File->addSeparator();
    // Through close, which asks about unsaved calibrations.
    File->addAction(QStringLiteral("Quit"), QKeySequence::Quit, this, &QWidget::close);
}

void TDemoWindow::LoadAtlas(bool Regenerate) {
    for (const std::string& Xml : BuildAtlas(FFolder, Regenerate))
        if (!FAtlas->RegisterMap(Xml)) throw EZYLError("cannot read the atlas map " + Xml);
    if (FAtlas->CurrentMap()->NumLandMarks() == 0)
        for (const TSight& S : Zylland().Sights) AddLandmark(S.Position, std::string(S.Caption), true);
    FAtlas->SelectMap(CoarsestMap());
    MapShown();
}

void TDemoWindow::FitMap() {
    FAtlas->CurrentMap()->ZoomFitPage();
    FAtlas->CurrentMap()->ClearZoomHistory();
}

int TDemoWindow::CoarsestMap() const {
    int Best = 0;
    for (int n = 1; n <= FAtlas->NumRegMaps(); ++n)
        if (Best == 0 || FAtlas->Maps(n).Resolution > FAtlas->Maps(Best).Resolution) Best = n;
    return Best;
}

bool TDemoWindow::ViewPosition(const TGeoPoint& P, QPoint& Result) const {
    const TGeoMap& View = *FAtlas->CurrentMap();
    int x = 0, y = 0;
    if (!View.CalcPixelCoords(P.Lat, P.Long, x, y)) return false;
    const TPoint C = View.MapImageToControl({x, y});
    Result = {C.X, C.Y};
    return View.rect().contains(Result);
}

void TDemoWindow::AddLandmark(const TGeoPoint& P, const std::string& Caption, bool Sight) {
    TGeoMap& View = *FAtlas->CurrentMap();
    const TLandMark& D = View.LandMarkDefault();
    View.AddLandMark(P.Lat, P.Long, 0, D.SymbolProps.Kind, Sight ? SightClass : UserClass, "", 0, 0,
                     D.SymbolProps.FGColor, D.SymbolProps.BGColor, D.SymbolProps.Size, false, 0, 10);
    TLandMark L = View.GetLandMarkData(View.NumLandMarks());
    L.Caption.Text = Caption;
    View.SetLandMarkData(View.NumLandMarks(), L);
}

void TDemoWindow::SetTool(TTool Tool) {
    FTool = Tool;
    TGeoMap& View = *FAtlas->CurrentMap();
    const bool Zooming = FAtlas->ZoomButton()->isChecked();
    if (Tool != TTool::Browse && Zooming) FAtlas->PointerButton()->click();  // tools work in pointer mode
    FTool = Tool;
    FTools->actions().at(static_cast<int>(Tool))->setChecked(true);
    // Clicks of the tools must not drag the map.
    if (!FAtlas->ZoomButton()->isChecked())
        View.SetMouseAction(Tool == TTool::Browse ? maPan : Tool == TTool::Measure ? maMeasure : maNone);
    View.SetOnMeasure([this, &View](TObject*) {
        QString Text = QStringLiteral("Length %1 m").arg(View.MeasuredLength(), 0, 'f', 1);
        if (View.MeasureClosed()) Text += QStringLiteral(", area %1 m²").arg(View.MeasuredArea(), 0, 'f', 0);
        statusBar()->showMessage(Text);
    });
    if (Tool == TTool::Calibrate) {
        FCalPanel->show();
        ShowReferencePoints();
    }
    ApplyGrid();
}

void TDemoWindow::SetGrid(int Grid) {
    FGrid = static_cast<TGrid>(std::clamp(Grid, 0, 2));
    FGridChoice->setCurrentIndex(static_cast<int>(FGrid));
    ApplyGrid();
}

void TDemoWindow::ApplyGrid() {
    TGeoMap& View = *FAtlas->CurrentMap();
    const bool Points = FTool == TTool::Calibrate;
    switch (FGrid) {
    case TGrid::None: View.SetShowGrat(Points ? sgPoints : sgNone); break;
    case TGrid::Graticule: View.SetShowGrat(Points ? sgPointsAndLines : sgLines); break;
    case TGrid::UTM: View.SetShowGrat(Points ? sgPointsAndUTMGrid : sgUTMGrid); break;
    }
    if (View.GridCRS() != FCrs) View.SetGridCRS(FCrs);
}

void TDemoWindow::SetReadoutCrs(const std::string& Crs, const QString& Short) {
    std::optional<TCRSConverter> Readout;
    if (!Crs.empty()) {
        Readout.emplace(Crs);
        if (!Readout->Valid()) {
            statusBar()->showMessage(QString::fromStdString("Cannot use " + Crs + ": " + Readout->Error()), 5000);
            return;
        }
    }
    FCrs = Crs;
    FCrsName = Short;
    FCrsReadout = std::move(Readout);
    ApplyGrid();
    RefreshPosition();
}

void TDemoWindow::MapDown(TMouseButton Button, int X, int Y) {
    if (Button != mbLeft || FAtlas->ZoomButton()->isChecked()) return;
    TGeoMap& View = *FAtlas->CurrentMap();
    const double Lat = View.GetLastMClickLatitude(), Long = View.GetLastMClickLongitude();
    switch (FTool) {
    case TTool::Browse: break;
    case TTool::AddLandmark: AddNamedLandmark({Lat, Long}); break;
    case TTool::RemoveLandmark:
        if (View.RemoveLandMarksNear({X, Y}, -1, NearPixels) == 0)
            statusBar()->showMessage(QStringLiteral("No landmark there"), MessageMilliseconds);
        else
            FLandmarksUnsaved = true;
        break;
    case TTool::EditLandmark: EditLandmarkAt({X, Y}); break;
    case TTool::Calibrate: CalibrateAt(View.LastClickPosX(), View.LastClickPosY()); break;
    case TTool::Measure: break;  // the map's own tool
    }
    if (FStatusOut) std::printf("landmarks %d\n", View.NumLandMarks()), std::fflush(stdout);
}

void TDemoWindow::CalibrateAt(int ImageX, int ImageY) {
    TGeoMap& View = *FAtlas->CurrentMap();
    bool v1 = false, v2 = false;
    const double Lat = View.CalcLatitude(ImageX, ImageY, v1), Long = View.CalcLongitude(ImageX, ImageY, v2);
    bool ok = false;
    const QString Text = QInputDialog::getText(
        this, QStringLiteral("Reference point"),
        QStringLiteral("Latitude and longitude of image pixel (%1, %2), in degrees:").arg(ImageX).arg(ImageY),
        QLineEdit::Normal, v1 && v2 ? QString::asprintf("%.5f, %.5f", Lat, Long) : QString(), &ok);
    if (!ok) return;
    const QStringList Parts = Text.split(QLatin1Char(','));
    bool LatOK = false, LongOK = false;
    const double NewLat = Parts.value(0).trimmed().toDouble(&LatOK);
    const double NewLong = Parts.value(1).trimmed().toDouble(&LongOK);
    if (Parts.size() != 2 || !LatOK || !LongOK || std::abs(NewLat) > 90 || std::abs(NewLong) > 180) {
        QMessageBox::warning(this, QStringLiteral("Reference point"), QStringLiteral("Expected: latitude, longitude"));
        return;
    }
    AddReferencePoint(NewLat, NewLong, ImageX, ImageY);
}

bool TDemoWindow::AddReferencePoint(double Lat, double Long, int ImageX, int ImageY) {
    TGeoMap& View = *FAtlas->CurrentMap();
    const TCalibData Before = View.CalibData();
    try {
        if (!View.AddCalibPoint(Lat, Long, ImageX, ImageY)) {
            QMessageBox::warning(this, QStringLiteral("Reference point"),
                                 QStringLiteral("The map has no room for more points"));
            return false;
        }
    } catch (const EZYLError& E) {
        QMessageBox::warning(this, QStringLiteral("Reference point"), QString::fromStdString(E.Message()));
        return false;
    }
    const std::vector<TReferencePoint> Points = ReferencePoints(View.Calibration());
    const std::size_t New = Points.size() - 1;
    const TPointReview& Review = Points[New].Review;
    if (Review.Outlier &&
        !FAsk(QStringLiteral("Reference point"),
              QStringLiteral("The new point lies %1 pixels from where the other points put its position; they "
                             "lie %2 pixels from theirs (median). Keep it?")
                  .arg(Review.LeftOutResidual, 0, 'f', 1)
                  .arg(Review.OthersResidual, 0, 'f', 1))) {
        View.SetCalibData(Before);
        View.RecalcCalibration();
        ShowReferencePoints();
        return false;
    }
    FUndoMap = 0;  // the view would restore a point removed before this one
    CalibrationEdited();
    double Largest = 0;
    for (const TReferencePoint& P : Points)
        if (!std::isnan(P.Review.LeftOutResidual)) Largest = std::max(Largest, P.Review.LeftOutResidual);
    statusBar()->showMessage(
        QStringLiteral("%1 reference points, residuals up to %2 pixels").arg(Points.size()).arg(Largest, 0, 'f', 1),
        MessageMilliseconds);
    return true;
}

void TDemoWindow::RemoveReferencePoint(int Row) {
    TGeoMap& View = *FAtlas->CurrentMap();
    const std::vector<TReferencePoint> Points = ReferencePoints(View.Calibration());
    if (Row < 0 || Row >= static_cast<int>(Points.size())) return;
    const TReferencePoint& P = Points[static_cast<std::size_t>(Row)];
    if (!View.RemoveCalibPoint(P.X, P.Y)) return;
    FUndoMap = FAtlas->CurrentMapIdx();
    CalibrationEdited();
}

void TDemoWindow::UndoRemoval() {
    TGeoMap& View = *FAtlas->CurrentMap();
    if (FUndoMap != FAtlas->CurrentMapIdx() || !View.Calibration().RestoreBiQuadOK()) return;
    View.RestoreLastDeletedCalPoint();
    FUndoMap = 0;
    CalibrationEdited();
}

void TDemoWindow::CalibrationEdited() {
    FCalWork[FAtlas->CurrentMapIdx()] = {FAtlas->CurrentMap()->CalibData(), true};
    ShowReferencePoints();
}

void TDemoWindow::ShowReferencePoints() {
    const TGeoMap& View = *FAtlas->CurrentMap();
    FCalPanel->ShowPoints(ReferencePoints(View.Calibration()), View.CalibModel() == cmUTM);
    FCalPanel->SetUndoEnabled(FUndoMap == FAtlas->CurrentMapIdx() && View.Calibration().RestoreBiQuadOK());
}

bool TDemoWindow::SaveCalibration(const std::string& FileName) {
    try {
        FAtlas->CurrentMap()->SaveCalDataAsXML(FileName, std::string(CalDataID));
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QStringLiteral("Save calibration"), QString::fromUtf8(E.what()));
        return false;
    }
    if (const auto W = FCalWork.find(FAtlas->CurrentMapIdx()); W != FCalWork.end()) W->second.Unsaved = false;
    FUndoMap = 0;
    ShowReferencePoints();
    statusBar()->showMessage(QStringLiteral("Calibration saved to ") + QString::fromStdString(FileName),
                             MessageMilliseconds);
    return true;
}

void TDemoWindow::SaveCalibrationAs() {
    const int Current = FAtlas->CurrentMapIdx();
    if (Current < 1) return;
    const QString Name = QFileDialog::getSaveFileName(this, QStringLiteral("Save calibration"),
                                                      QString::fromStdString(FAtlas->Maps(Current).FileName),
                                                      QStringLiteral("Calibration files (*.xml)"));
    if (!Name.isEmpty()) SaveCalibration(Name.toStdString());
}

int TDemoWindow::UnsavedCalibrations() const {
    return static_cast<int>(std::ranges::count_if(FCalWork, [](const auto& W) { return W.second.Unsaved; }));
}

void TDemoWindow::closeEvent(QCloseEvent* Event) {
    if (!LandmarksMayBeReplaced(QStringLiteral("Quit"))) {
        Event->ignore();
        return;
    }
    const int Unsaved = UnsavedCalibrations();
    if (Unsaved > 0 && !FAsk(QStringLiteral("Unsaved calibration"),
                             QStringLiteral("The reference points of %1 map(s) have not been saved. Quit and discard "
                                            "them?")
                                 .arg(Unsaved))) {
        Event->ignore();
        return;
    }
    Event->accept();
}

void TDemoWindow::MapMoved(int X, int Y) { ShowPosition({X, Y}); }

void TDemoWindow::RefreshPosition() {
    const TGeoMap& View = *FAtlas->CurrentMap();
    ShowPosition(View.mapFromGlobal(QCursor::pos()));
}

void TDemoWindow::ShowPosition(QPoint P) {
    const TGeoMap& View = *FAtlas->CurrentMap();
    const TPoint Image = View.ControlToMapImage({P.x(), P.y()});
    bool v1 = false, v2 = false;
    const double Lat = View.CalcLatitude(Image, v1);
    const double Long = View.CalcLongitude(Image, v2);
    if (!View.rect().contains(P) || !v1 || !v2) {
        FPosition->clear();
    } else if (FCrsReadout) {
        double North = Lat, East = Long;
        std::uint8_t Valid = 0;
        FCrsReadout->FromWGS84({&North, 1}, {&East, 1}, {&Valid, 1});
        const QString Grid =
            Valid ? QStringLiteral("%1  E %2  N %3").arg(FCrsName).arg(East, 0, 'f', 0).arg(North, 0, 'f', 0)
                  : FCrsName + QStringLiteral(" -");
        FPosition->setText(QStringLiteral("%1  %2    %3").arg(Degrees(Lat, 'N', 'S'), Degrees(Long, 'E', 'W'), Grid));
    } else {
        int Zone = 0;
        double Easting = 0, Northing = 0;
        LatLongToUTM(Lat, Long, gelWGS84, Zone, Easting, Northing);
        FPosition->setText(
            QStringLiteral("%1  %2    UTM %3  E %4  N %5")
                .arg(Degrees(Lat, 'N', 'S'), Degrees(Long, 'E', 'W'), QString::fromStdString(GeoToUTMZone(Lat, Long)))
                .arg(Easting, 0, 'f', 0)
                .arg(Northing, 0, 'f', 0));
    }
    if (FStatusOut && FPosition->text() != FPositionReported) {
        FPositionReported = FPosition->text();
        std::printf("position %s\n", FPositionReported.toUtf8().constData());
        std::fflush(stdout);
    }
}

void TDemoWindow::MapShown() {
    const int Current = FAtlas->CurrentMapIdx();
    const bool Switched = Current != FShownMap;
    if (Switched) {
        FShownMap = Current;
        const TMapDefinition M = FAtlas->Maps(Current);
        // The selector names the map; the status bar keeps its room for messages.
        FMapInfo->setText(QStringLiteral("%1 m/pixel").arg(M.Resolution, 0, 'f', 1));
        FMapInfo->setToolTip(QString::fromStdString(M.Caption));
        // The atlas loaded the map from its file: back to the points the user left on it.
        if (const auto W = FCalWork.find(Current); W != FCalWork.end()) {
            TGeoMap& View = *FAtlas->CurrentMap();
            View.SetCalibData(W->second.Data);
            View.RecalcCalibration();
        }
        ApplyGrid();
        ShowReferencePoints();
    }
    RefreshPosition();
    if (Switched && FStatusOut && FReporting) ReportState();
}

void TDemoWindow::ReportState() {
    FReporting = true;
    const int Current = FAtlas->CurrentMapIdx();
    const TMapDefinition M = FAtlas->Maps(Current);
    std::printf("map %d %.1f %s\n", Current, M.Resolution, M.Caption.c_str());
    const auto Report = [](const char* What, const QWidget* W, QPoint P) {
        const QPoint G = W->mapToGlobal(P);
        std::printf("%s %d %d\n", What, G.x(), G.y());
    };
    Report("zoom-button", FAtlas->ZoomButton(), FAtlas->ZoomButton()->rect().center());
    Report("pointer-button", FAtlas->PointerButton(), FAtlas->PointerButton()->rect().center());
    for (QAction* A : FTools->actions())
        if (const QWidget* W = FToolBar->widgetForAction(A))
            Report(("tool " + A->objectName().toStdString()).c_str(), W, W->rect().center());
    for (const TTown& T : Zylland().Towns) {
        QPoint P;
        if (ViewPosition(T.Position, P)) Report(("town " + std::string(T.Name)).c_str(), FAtlas->CurrentMap(), P);
    }
    std::fflush(stdout);
}

}  // namespace zylcarto::demo
