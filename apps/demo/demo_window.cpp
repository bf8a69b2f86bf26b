#include "demo_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "atlas_builder.h"
#include "utm_calibration.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/errors.h"

namespace zylcarto::demo {
namespace {

constexpr std::uint8_t SightClass = 1;
constexpr std::uint8_t UserClass = 2;
const std::string LandmarkDataID = "zylland";
// How close a click must be to a landmark to remove it, in screen pixels.
constexpr double RemoveRadiusPixels = 10;

QString Degrees(double Value, char Positive, char Negative) {
    return QString::asprintf("%.5f° %c", std::abs(Value), Value >= 0 ? Positive : Negative);
}

}  // namespace

TDemoWindow::TDemoWindow(std::string AtlasFolder, bool StatusOut)
    : FFolder(std::move(AtlasFolder)), FStatusOut(StatusOut), FAtlas(new TGeoAtlas(this)) {
    setWindowTitle(QStringLiteral("zylcarto demo - Zylland atlas"));
    setCentralWidget(FAtlas);
    FAtlas->SetName("Atlas");
    TGeoMap& View = *FAtlas->CurrentMap();
    View.SetFrameStyle(fsNone);
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

    BuildActions();
    FPosition = new QLabel(this);
    FMapInfo = new QLabel(this);
    statusBar()->addWidget(FPosition, 1);
    statusBar()->addPermanentWidget(FMapInfo);
    resize(1000, 720);
}

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
    Bar->addSeparator();

    FGridChoice = new QComboBox(Bar);
    FGridChoice->addItems({QStringLiteral("No grid"), QStringLiteral("Graticule"), QStringLiteral("UTM grid")});
    connect(FGridChoice, &QComboBox::activated, this, [this](int Index) { SetGrid(Index); });
    Bar->addWidget(FGridChoice);
    Bar->addSeparator();

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
    File->addSeparator();
    File->addAction(QStringLiteral("Quit"), QKeySequence::Quit, qApp, &QApplication::quit);
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
    if (!FAtlas->ZoomButton()->isChecked()) View.SetAllowPan(Tool == TTool::Browse);
    if (Tool == TTool::Calibrate && FGrid == TGrid::UTM) {
        FGrid = TGrid::Graticule;  // reference points are entered in degrees
        FGridChoice->setCurrentIndex(static_cast<int>(FGrid));
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
    if (FGrid == TGrid::UTM && View.CalibModel() != cmUTM) {
        TCalibData UTM;
        if (ToUTMCalibration(View.CalibData(), UTM)) {
            View.SetCalibData(UTM);
            View.SetCalibModel(cmUTM);
        }
    } else if (FGrid != TGrid::UTM && View.CalibModel() == cmUTM && FAtlas->CurrentMapIdx() > 0) {
        // Back to the map's own calibration, keeping the view.
        const TPoint TopLeft = View.TopLeft();
        const double Mag = View.Magnification();
        View.SetSuppressPaint(true);
        View.LoadCalDataFromXML(FAtlas->Maps(FAtlas->CurrentMapIdx()).FileName, "");
        View.SetMagnification(Mag);
        View.SetTopLeft(TopLeft);
        View.SetSuppressPaint(false);
    }
    switch (FGrid) {
    case TGrid::None: View.SetShowGrat(Points ? sgPoints : sgNone); break;
    case TGrid::Graticule: View.SetShowGrat(Points ? sgPointsAndLines : sgLines); break;
    case TGrid::UTM: View.SetShowGrat(View.CalibModel() == cmUTM ? sgUTMGrid : sgLines); break;
    }
}

double TDemoWindow::DegreesPerPixel() const {
    const TGeoMap& View = *FAtlas->CurrentMap();
    bool v1 = false, v2 = false;
    const double a = View.CalcLatitude(0, 0, v1), b = View.CalcLatitude(0, 100, v2);
    return v1 && v2 ? std::abs(a - b) / 100 / View.Magnification() : 0;
}

void TDemoWindow::MapDown(TMouseButton Button, int, int) {
    if (Button != mbLeft || FAtlas->ZoomButton()->isChecked()) return;
    TGeoMap& View = *FAtlas->CurrentMap();
    const double Lat = View.GetLastMClickLatitude(), Long = View.GetLastMClickLongitude();
    switch (FTool) {
    case TTool::Browse: break;
    case TTool::AddLandmark: AddLandmark({Lat, Long}, "Landmark " + std::to_string(++FUserLandmarks)); break;
    case TTool::RemoveLandmark:
        if (View.RemoveLandMark(Lat, Long, -1, RemoveRadiusPixels * DegreesPerPixel()) == 0)
            statusBar()->showMessage(QStringLiteral("No landmark there"), 3000);
        break;
    case TTool::Calibrate: CalibrateAt(View.LastClickPosX(), View.LastClickPosY()); break;
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
    try {
        View.AddCalibPoint(NewLat, NewLong, ImageX, ImageY);
    } catch (const EZYLError& E) {
        QMessageBox::warning(this, QStringLiteral("Reference point"), QString::fromStdString(E.Message()));
        return;
    }
    double QualX = 0, QualY = 0;
    View.CalibQuality(QualX, QualY);
    statusBar()->showMessage(QStringLiteral("%1 reference points, residuals %2 / %3 pixels")
                                 .arg(View.CalibData().NumCalQuads)
                                 .arg(QualX, 0, 'f', 2)
                                 .arg(QualY, 0, 'f', 2));
}

void TDemoWindow::MapMoved(int, int) {
    const TGeoMap& View = *FAtlas->CurrentMap();
    bool v1 = false, v2 = false;
    const double Lat = View.CalcLatitude(View.LastMousePosX(), View.LastMousePosY(), v1);
    const double Long = View.CalcLongitude(View.LastMousePosX(), View.LastMousePosY(), v2);
    if (!v1 || !v2) {
        FPosition->clear();
        return;
    }
    int Zone = 0;
    double Easting = 0, Northing = 0;
    LatLongToUTM(Lat, Long, gelWGS84, Zone, Easting, Northing);
    FPosition->setText(
        QStringLiteral("%1  %2    UTM %3  E %4  N %5")
            .arg(Degrees(Lat, 'N', 'S'), Degrees(Long, 'E', 'W'), QString::fromStdString(GeoToUTMZone(Lat, Long)))
            .arg(Easting, 0, 'f', 0)
            .arg(Northing, 0, 'f', 0));
}

void TDemoWindow::MapShown() {
    const int Current = FAtlas->CurrentMapIdx();
    if (Current == FShownMap) return;
    FShownMap = Current;
    const TMapDefinition M = FAtlas->Maps(Current);
    FMapInfo->setText(
        QStringLiteral("%1  (%2 m per pixel)").arg(QString::fromStdString(M.Caption)).arg(M.Resolution, 0, 'f', 1));
    ApplyGrid();
    if (FStatusOut && FReporting) ReportState();
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

void TDemoWindow::SaveLandmarks() {
    const QString Name = QFileDialog::getSaveFileName(this, QStringLiteral("Save landmarks"),
                                                      QString::fromStdString(FFolder + "/landmarks.xml"),
                                                      QStringLiteral("Landmark files (*.xml)"));
    if (Name.isEmpty()) return;
    try {
        FAtlas->CurrentMap()->SaveLandmarks(Name.toStdString(), LandmarkDataID);
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QStringLiteral("Save landmarks"), QString::fromUtf8(E.what()));
    }
}

void TDemoWindow::LoadLandmarks() {
    const QString Name =
        QFileDialog::getOpenFileName(this, QStringLiteral("Load landmarks"), QString::fromStdString(FFolder),
                                     QStringLiteral("Landmark files (*.xml)"));
    if (Name.isEmpty()) return;
    try {
        if (!FAtlas->CurrentMap()->LoadLandMarks(Name.toStdString(), ""))
            QMessageBox::warning(this, QStringLiteral("Load landmarks"), QStringLiteral("No landmarks in ") + Name);
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QStringLiteral("Load landmarks"), QString::fromUtf8(E.what()));
    }
}

void TDemoWindow::PrintToPdf() {
    const QString Name = QFileDialog::getSaveFileName(this, QStringLiteral("Print to PDF"),
                                                      QDir::home().filePath(QStringLiteral("zylland.pdf")),
                                                      QStringLiteral("PDF files (*.pdf)"));
    if (Name.isEmpty()) return;
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(Name);
    Printer.setPageOrientation(QPageLayout::Landscape);
    try {
        FAtlas->CurrentMap()->PrintIt(1.0, Printer);
        statusBar()->showMessage(QStringLiteral("Printed to ") + Name, 5000);
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QStringLiteral("Print to PDF"), QString::fromUtf8(E.what()));
    }
}

}  // namespace zylcarto::demo
