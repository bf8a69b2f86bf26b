// The demo's generated atlas and its window: the maps must nest around the
// capital so that zooming there walks from the coarsest to the finest; the
// readout, the overlays and the calibration work must survive what the user
// does to the view.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <optional>

#include "../../apps/demo/atlas_builder.h"
#include "../../apps/demo/demo_window.h"
#include "../../apps/demo/gps_menu.h"
#include "pixels.h"
#include "qt_input.h"
#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geomap/position/position_source.h"

using namespace zylcarto;
using namespace zylcarto::demo;

TEST(DemoAtlas, ZoomingInAtTheCapitalWalksThroughEveryScale) {
    QTemporaryDir Dir;
    TGeoAtlas Atlas;
    for (const std::string& Xml : BuildAtlas(Dir.path().toStdString(), false)) ASSERT_TRUE(Atlas.RegisterMap(Xml));
    ASSERT_EQ(Atlas.NumRegMaps(), static_cast<int>(DemoMaps().size()));
    const TGeoPoint Capital = Zylland().Towns.front().Position;
    ASSERT_TRUE(Atlas.SelectMap(1));
    std::vector<double> Walk{Atlas.CurrentMap()->CalibData().Resolution};
    while (Atlas.ZoomIn(Capital.Lat, Capital.Long, Walk.back())) {
        Walk.push_back(Atlas.CurrentMap()->CalibData().Resolution);
        // The map image was found and the capital is in view.
        EXPECT_GT(Atlas.CurrentMap()->MapImgWidth(), 0);
        ASSERT_LE(Walk.size(), DemoMaps().size());
    }
    EXPECT_EQ(Walk.size(), 3u);  // overview, east, town map: the west map lies elsewhere
    EXPECT_TRUE(std::is_sorted(Walk.rbegin(), Walk.rend()));
    EXPECT_GT(Walk.front() / Walk.back(), 10);
    // Every town is on the overview.
    for (const TTown& T : Zylland().Towns)
        EXPECT_TRUE(PositionInMap(T.Position.Lat, T.Position.Long, Atlas.Maps(1).Corners)) << T.Name;
}

namespace {

class DemoWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Atlas = std::make_unique<QTemporaryDir>(); }
    static void TearDownTestSuite() { Atlas.reset(); }

    void SetUp() override {
        W = std::make_unique<TDemoWindow>(Atlas->path().toStdString(), false);
        W->SetQuestion([this](const QString&, const QString&) {
            ++Asked;
            return Answer;
        });
        W->SetSaveQuestion([this](const QString& Title, const QString& Text) {
            SaveAsked.push_back(Title + QLatin1Char('|') + Text);
            return SaveAnswer;
        });
        W->SetTextQuestion([this](const QString&, const QString&, const QString& Initial) -> std::optional<QString> {
            if (!TextAnswer) return std::nullopt;
            return TextAnswer->isEmpty() ? Initial : *TextAnswer;
        });
        W->LoadAtlas(false);
        W->show();
        QApplication::processEvents();
        W->FitMap();
    }

    TGeoMap& View() { return *W->Atlas()->CurrentMap(); }
    QString Readout() { return W->findChild<QLabel*>(QStringLiteral("Position"))->text(); }
    QTableWidget& Table() { return *W->findChild<QTableWidget*>(QStringLiteral("ReferencePointTable")); }
    void Send(QEvent::Type Type, QPoint P, Qt::MouseButton Button) {
        test::SendMouse(View(), Type, P, Button, Type == QEvent::MouseButtonPress ? Button : Qt::NoButton);
    }
    void ChooseMap(int Number) {
        W->Atlas()->findChild<QComboBox*>(QStringLiteral("MapSelector"))->activated(Number - 1);
    }
    // The position the fitted calibration gives an image pixel.
    TGeoPoint PositionOf(int X, int Y) {
        bool v1 = false, v2 = false;
        const TGeoPoint P{View().CalcLatitude(X, Y, v1), View().CalcLongitude(X, Y, v2)};
        EXPECT_TRUE(v1 && v2);
        return P;
    }

    static inline std::unique_ptr<QTemporaryDir> Atlas;
    std::unique_ptr<TDemoWindow> W;
    int Asked = 0;
    bool Answer = false;
    std::vector<QString> SaveAsked;
    TSaveChoice SaveAnswer = TSaveChoice::Cancel;
    std::optional<QString> TextAnswer = QString();  // empty: accept what is offered
};

}  // namespace

TEST_F(DemoWindow, UTMGridLeavesTheCalibrationAloneAndOutlinesDifferFromGridLines) {
    const TCalibModel Model = View().CalibModel();
    const TCalibData Before = View().CalibData();
    W->SetGrid(2);
    EXPECT_EQ(View().ShowGraticule(), sgUTMGrid);
    EXPECT_EQ(View().CalibModel(), Model);
    ASSERT_EQ(View().CalibData().NumCalQuads, Before.NumCalQuads);
    for (int i = 1; i <= Before.NumCalQuads; ++i) {
        EXPECT_EQ(View().CalibData().CalQuads[i].Latitude, Before.CalQuads[i].Latitude);
        EXPECT_EQ(View().CalibData().CalQuads[i].Longitude, Before.CalQuads[i].Longitude);
    }
    EXPECT_NE(View().ColorGraticule(), W->Atlas()->MapOutlineColor());
}

TEST_F(DemoWindow, ReadoutShowsTheMapUnderTheUnmovedCursorAndOutlastsMessages) {
    const QPoint At = View().rect().center();
    const struct {
        const char* Change;
        std::function<void()> Do;
    } Cases[] = {
        {"zoom click",
         [&] {
             W->Atlas()->ZoomButton()->click();
             Send(QEvent::MouseButtonPress, At, Qt::LeftButton);
             Send(QEvent::MouseButtonRelease, At, Qt::LeftButton);
             W->Atlas()->PointerButton()->click();
         }},
        {"map selector", [&] { ChooseMap(W->CoarsestMap()); }},
    };
    for (const auto& C : Cases) {
        QCursor::setPos(View().mapToGlobal(At));
        Send(QEvent::MouseMove, At, Qt::NoButton);
        const QString Old = Readout();
        const int OldMap = W->Atlas()->CurrentMapIdx();
        C.Do();
        ASSERT_NE(W->Atlas()->CurrentMapIdx(), OldMap) << C.Change;
        const TPoint Image = View().ControlToMapImage({At.x(), At.y()});
        const TGeoPoint P = PositionOf(Image.X, Image.Y);
        EXPECT_NE(Readout(), Old) << C.Change;
        EXPECT_TRUE(Readout().startsWith(QString::asprintf("%.5f° N  %.5f° W", P.Lat, -P.Long)))
            << C.Change << ": " << Readout().toStdString();
    }
    const QString Message = QStringLiteral("Calibration saved to /home/someone/maps/zylland/east.xml");
    W->statusBar()->showMessage(Message);
    QApplication::processEvents();
    const QLabel& Position = *W->findChild<QLabel*>(QStringLiteral("Position"));
    EXPECT_TRUE(Position.isVisible());
    // The status bar draws a message in the room left of its permanent fields.
    EXPECT_GT(Position.x() - 8, W->statusBar()->fontMetrics().horizontalAdvance(Message)) << Readout().toStdString();
}

// The View menu's CRS sets the readout and the grid together, on every map shown.
TEST_F(DemoWindow, ReadoutAndGridFollowTheChosenCrsAcrossMapSwitches) {
    const auto Choose = [&](const QString& Text) {
        for (QAction* A : W->findChildren<QAction*>())
            if (A->text() == Text) return A->trigger();
        FAIL() << Text.toStdString();
    };
    W->SetGrid(2);
    Choose(QStringLiteral("British National Grid (EPSG:27700)"));
    const QPoint At = View().rect().center();
    for (const bool Switch : {false, true}) {
        if (Switch) ChooseMap(W->CoarsestMap() == 1 ? 2 : 1);
        EXPECT_EQ(View().GridCRS(), "EPSG:27700");
        Send(QEvent::MouseMove, At, Qt::NoButton);
        const TPoint Image = View().ControlToMapImage({At.x(), At.y()});
        const TGeoPoint P = PositionOf(Image.X, Image.Y);
        double N = P.Lat, E = P.Long;
        std::uint8_t Valid = 0;
        ASSERT_EQ(TCRSConverter("EPSG:27700").FromWGS84({&N, 1}, {&E, 1}, {&Valid, 1}), 1u);
        EXPECT_TRUE(Readout().endsWith(QString::asprintf("BNG  E %.0f  N %.0f", E, N))) << Readout().toStdString();
    }
    Choose(QStringLiteral("WGS 84 and UTM"));
    EXPECT_EQ(View().GridCRS(), "");
    Send(QEvent::MouseMove, At, Qt::NoButton);
    EXPECT_TRUE(Readout().contains(QStringLiteral("UTM"))) << Readout().toStdString();
}

TEST_F(DemoWindow, ANewReferencePointFarFromTheOthersIsOnlyKeptWhenConfirmed) {
    const int X = 400, Y = 300;
    const TGeoPoint True = PositionOf(X, Y);
    const int Before = View().CalibData().NumCalQuads;
    const struct {
        double Off;  // degrees of latitude
        bool Answer;
        bool Asked, Kept;
    } Cases[] = {
        {0, false, false, true},
        {0.002, false, false, true},  // about a pixel
        {-36, false, true, false},    // 4000 km
        {-36, true, true, true},
    };
    for (const auto& C : Cases) {
        Asked = 0;
        Answer = C.Answer;
        const int N = View().CalibData().NumCalQuads;
        EXPECT_EQ(W->AddReferencePoint(True.Lat + C.Off, True.Long, X, Y), C.Kept) << C.Off;
        EXPECT_EQ(Asked, C.Asked ? 1 : 0) << C.Off;
        EXPECT_EQ(View().CalibData().NumCalQuads, N + (C.Kept ? 1 : 0)) << C.Off;
        EXPECT_EQ(Table().rowCount(), View().CalibData().NumCalQuads) << C.Off;
    }
    EXPECT_EQ(View().CalibData().NumCalQuads, Before + 3);
    EXPECT_EQ(Table().item(Before + 2, 0)->foreground().color(), QColor(Qt::red));
    EXPECT_NE(Table().item(0, 0)->foreground().color(), QColor(Qt::red));
    // In the calibration mode its arrow (short: the fit follows it) and a ring have the outliers' colour.
    const auto Outlying = [&] { return test::OfColor(View().AuxBitmap(), View().ColorResidualOutliers()).size(); };
    EXPECT_EQ(Outlying(), 0u);
    for (QAction* A : W->findChildren<QAction*>())
        if (A->text() == QStringLiteral("Calibrate")) A->trigger();
    W->findChild<QCheckBox*>(QStringLiteral("ResidualArrows"))->setChecked(true);
    ASSERT_TRUE(View().ShowResiduals());
    EXPECT_GT(Outlying(), 50u);
}

TEST_F(DemoWindow, ARemovedReferencePointComesBackOnUndo) {
    const int N = View().CalibData().NumCalQuads;
    const TCalQuad Removed = View().CalibData().CalQuads[2];
    W->RemoveReferencePoint(1);
    ASSERT_EQ(Table().rowCount(), N - 1);
    W->UndoRemoval();
    ASSERT_EQ(Table().rowCount(), N);
    EXPECT_EQ(View().CalibData().CalQuads[N].MapX, Removed.MapX);
    EXPECT_EQ(View().CalibData().CalQuads[N].Latitude, Removed.Latitude);
    // The view keeps one removed point for all maps: it must not come back on another map.
    // After a new point or a save the view would bring back a point removed before them.
    QPushButton& Undo = *W->findChild<QPushButton*>(QStringLiteral("UndoRemoval"));
    QTemporaryDir Out;
    const struct {
        const char* After;
        std::function<void()> Do;
    } Cases[] = {
        {"a new point", [&] { const TGeoPoint P = PositionOf(120, 80); W->AddReferencePoint(P.Lat, P.Long, 120, 80); }},
        {"a save", [&] { W->SaveCalibration(Out.filePath(QStringLiteral("c.xml")).toStdString()); }},
    };
    for (const auto& C : Cases) {
        W->RemoveReferencePoint(0);
        EXPECT_TRUE(Undo.isEnabled()) << C.After;
        C.Do();
        const int Count = View().CalibData().NumCalQuads;
        EXPECT_FALSE(Undo.isEnabled()) << C.After;
        W->UndoRemoval();
        EXPECT_EQ(View().CalibData().NumCalQuads, Count) << C.After;
    }
    W->RemoveReferencePoint(0);
    ChooseMap(W->Atlas()->CurrentMapIdx() == 1 ? 2 : 1);
    const int Other = View().CalibData().NumCalQuads;
    W->UndoRemoval();
    EXPECT_EQ(View().CalibData().NumCalQuads, Other);
}

TEST_F(DemoWindow, CalibrationWorkSurvivesMapSwitchesAndIsSavedOrConfirmedBeforeQuitting) {
    const int Map = W->Atlas()->CurrentMapIdx();
    const TGeoPoint P = PositionOf(100, 100);
    ASSERT_TRUE(W->AddReferencePoint(P.Lat, P.Long, 100, 100));
    const int N = View().CalibData().NumCalQuads;
    ChooseMap(Map == 1 ? 2 : 1);
    ChooseMap(Map);
    EXPECT_EQ(View().CalibData().NumCalQuads, N);
    EXPECT_EQ(Table().rowCount(), N);

    EXPECT_FALSE(W->close());
    EXPECT_EQ(Asked, 1);
    QTemporaryDir Out;
    const std::string File = Out.filePath(QStringLiteral("saved.xml")).toStdString();
    ASSERT_TRUE(W->SaveCalibration(File));
    TGeoMap Saved;
    ASSERT_TRUE(Saved.LoadCalDataFromXML(File, ""));
    EXPECT_EQ(Saved.CalibData().NumCalQuads, N);
    EXPECT_TRUE(W->close());
    EXPECT_EQ(Asked, 1);
}

TEST_F(DemoWindow, LandmarksAreNamedAndEditedAndNotLostUnasked) {
    const QPoint At = View().rect().center();
    const TPoint Image = View().ControlToMapImage({At.x(), At.y()});
    const TGeoPoint P = PositionOf(Image.X, Image.Y);
    const int N = View().NumLandMarks();
    const auto Caption = [&](int Index) { return View().GetLandMarkData(Index).Caption.Text.Str(); };

    TextAnswer.reset();
    EXPECT_FALSE(W->AddNamedLandmark(P));
    EXPECT_EQ(View().NumLandMarks(), N);
    TextAnswer = QStringLiteral("Harbour office");
    ASSERT_TRUE(W->AddNamedLandmark(P));
    EXPECT_EQ(Caption(N + 1), "Harbour office");
    EXPECT_TRUE(W->LandmarksUnsaved());
    // A caption the file format cannot hold: stored altered, and the user is told.
    for (const QString& Text : {QStringLiteral("Zürich – Москва"), QString(81, QLatin1Char('x'))}) {
        W->statusBar()->clearMessage();
        TextAnswer = Text;
        ASSERT_TRUE(W->EditLandmarkAt(At + QPoint(3, 2)));
        EXPECT_NE(QString::fromStdString(Caption(N + 1)), Text);
        EXPECT_TRUE(W->statusBar()->currentMessage().contains(QStringLiteral("could not be kept")));
    }
    EXPECT_FALSE(W->EditLandmarkAt(At + QPoint(40, 0)));
    EXPECT_EQ(W->statusBar()->currentMessage(), QStringLiteral("No landmark there"));

    // Quitting or loading asks; Cancel keeps everything, Save writes where the set was saved.
    QTemporaryDir Out;
    const std::string File = Out.filePath(QStringLiteral("marks.xml")).toStdString();
    ASSERT_TRUE(W->SaveLandmarksTo(File));
    EXPECT_FALSE(W->LandmarksUnsaved());
    EXPECT_TRUE(SaveAsked.empty());
    TextAnswer = QStringLiteral("Lighthouse");
    ASSERT_TRUE(W->EditLandmarkAt(At));
    const QString Map = QString::fromStdString(W->Atlas()->Maps(W->Atlas()->CurrentMapIdx()).Caption);
    const struct {
        const char* Action;
        TSaveChoice Answer;
        std::function<bool()> Do;
        bool Done;
    } Cases[] = {
        {"load", TSaveChoice::Cancel, [&] { return W->LoadLandmarksFrom(File); }, false},
        {"quit", TSaveChoice::Cancel, [&] { return W->close(); }, false},
        {"quit", TSaveChoice::Save, [&] { return W->close(); }, true},
    };
    for (const auto& C : Cases) {
        SaveAsked.clear();
        SaveAnswer = C.Answer;
        EXPECT_EQ(C.Do(), C.Done) << C.Action;
        ASSERT_EQ(SaveAsked.size(), 1u) << C.Action;
        EXPECT_TRUE(SaveAsked[0].contains(Map)) << SaveAsked[0].toStdString();
        EXPECT_EQ(Caption(N + 1), "Lighthouse") << C.Action;
    }
    TGeoMap Saved;
    ASSERT_TRUE(Saved.LoadLandMarks(File, ""));
    EXPECT_EQ(Saved.GetLandMarkData(N + 1).Caption.Text.Str(), "Lighthouse");
}

TEST_F(DemoWindow, PrintsTheChosenLayoutAndSaysWhere) {
    QTemporaryDir Out;
    const QString File = Out.filePath(QStringLiteral("map.pdf"));
    ASSERT_TRUE(W->PrintToPdfFile(File, {TPrintLayout::TArea::paView, 25000}));
    EXPECT_EQ(W->statusBar()->currentMessage(), QStringLiteral("Printed to %1 at 1:25000").arg(File));
    EXPECT_GT(QFileInfo(File).size(), 1000);
}

// The GPS menu's journey, replayed fast with following on: the traveller stays
// in view on whichever map the atlas changes to, and all of it is recorded.
TEST_F(DemoWindow, TheGpsJourneyStaysInViewAcrossMapsAndIsRecorded) {
    TGpsMenu& Gps = *W->Gps();
    Gps.SetFollow(true);
    QSignalSpy Switches(W->Atlas(), &TGeoAtlas::travellerMapChanged);
    int Fixes = 0;
    // After the map and the atlas took the fix.
    QObject::connect(&Gps.Source(), &TPositionSource::positionUpdated, W.get(), [&](const TPositionFix& F) {
        ++Fixes;
        int x = 0, y = 0;
        ASSERT_TRUE(View().CalcPixelCoords(F.Latitude, F.Longitude, x, y));
        const TPoint At = View().MapImageToControl({x, y});
        EXPECT_TRUE(View().rect().contains(At.X, At.Y)) << "fix " << Fixes;
    });
    QSignalSpy Done(&Gps.Source(), &TPositionSource::replayFinished);
    ASSERT_TRUE(Gps.ReplayJourney(5000));
    ASSERT_TRUE(Done.wait(120000));
    const std::size_t Points = ZyllandJourney().NumPoints();
    EXPECT_EQ(static_cast<std::size_t>(Fixes), Points);
    EXPECT_EQ(Gps.Source().RecordedTrack().NumPoints(), Points);
    EXPECT_GE(Switches.count(), 1);
    EXPECT_TRUE(View().FollowPosition());
}

TEST_F(DemoWindow, ASmallWindowShowsTheWholeMapSelector) {
    W->resize(600, 450);
    QApplication::processEvents();
    const QComboBox& Selector = *W->Atlas()->findChild<QComboBox*>(QStringLiteral("MapSelector"));
    const QRect In = QRect(Selector.mapTo(W.get(), QPoint(0, 0)), Selector.size());
    EXPECT_TRUE(W->rect().contains(In)) << In.x() << "," << In.y() << " " << In.width() << "x" << In.height() << " in "
                                        << W->width() << "x" << W->height();
    EXPECT_GE(Selector.width(), Selector.minimumSizeHint().width());
    EXPECT_EQ(W->size(), QSize(600, 450));  // not held wider by what it holds
}
