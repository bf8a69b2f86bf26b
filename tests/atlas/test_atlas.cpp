// The atlas control over real calibration files and images in a temporary folder.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "calibrated_map.h"
#include "pixels.h"
#include "qt_input.h"
#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

using namespace zylcarto;
using test::ExpectPixels;
using test::SendMouse;
using test::SendWheel;
using test::TMapFile;
using test::WriteMapFile;

namespace {

class Atlas : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TGeoAtlas A;

    QString Folder(const char* Sub = "") const {
        return *Sub ? QDir(Dir.path()).filePath(QLatin1String(Sub)) : Dir.path();
    }
    std::string Add(const TMapFile& M, const char* Sub = "") {
        const std::string Xml = WriteMapFile(Folder(Sub), M);
        EXPECT_TRUE(A.RegisterMap(Xml)) << Xml;
        return Xml;
    }
    // Four maps over the same area, in the order of the zoom example.
    void AddZoomExample() {
        Add({"r100", "hundred", 100, 47, 16, 48, 18});
        Add({"r50", "fifty", 50, 47, 16, 48, 18});
        Add({"r95", "ninety-five", 95, 47, 16, 48, 18});
        Add({"r20", "twenty", 20, 47, 16, 48, 18});
    }
    TGeoMap& View() { return *A.CurrentMap(); }
    std::string Shown() { return View().CalibData().Caption; }
    int Selected() const { return A.MapSelector()->currentIndex() + 1; }
    // The view's control position of a geographic position.
    QPoint ControlPos(double Lat, double Long) {
        int x = 0, y = 0;
        EXPECT_TRUE(View().CalcPixelCoords(Lat, Long, x, y));
        const TPoint P = View().MapImageToControl({x, y});
        return {P.X, P.Y};
    }
    // The geographic position under control point At, unrounded.
    TCoords PlaceAt(QPointF At) {
        TCoords C;
        const double Mag = View().Magnification();
        EXPECT_TRUE(View().Calibration().CalcPositionFrac(View().TopLeft().X + At.x() / Mag,
                                                          View().TopLeft().Y + At.y() / Mag, C.Latit, C.Longit));
        return C;
    }
    // Where a position shows in the view, unrounded.
    QPointF OnScreen(TCoords C) {
        double x = 0, y = 0;
        EXPECT_TRUE(View().Calibration().CalcPixelCoordsFrac(C.Latit, C.Longit, x, y));
        const double Mag = View().Magnification();
        return {(x - View().TopLeft().X) * Mag, (y - View().TopLeft().Y) * Mag};
    }
    // How far a position shows from control point At, in image pixels of the map shown.
    double ImagePixelsOff(TCoords C, QPointF At) {
        const QPointF P = OnScreen(C) - At;
        return std::hypot(P.x(), P.y()) / View().Magnification();
    }
};

int CountColor(const QImage& I, QRgb Color, QRect Area) {
    int n = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if ((I.pixel(x, y) & 0xFFFFFF) == (Color & 0xFFFFFF)) ++n;
    return n;
}

}  // namespace

TEST_F(Atlas, ANewAtlasIsEmptyInPointerMode) {
    EXPECT_EQ(A.geometry(), QRect(100, 50, 480, 320));
    EXPECT_EQ(A.NumRegMaps(), 0);
    EXPECT_EQ(A.CurrentMapIdx(), 0);
    EXPECT_DOUBLE_EQ(A.MinResDiff(), 10.0);
    EXPECT_TRUE(A.MapOutlineVisible());
    EXPECT_EQ(A.MapOutlineColor(), 0xFF0000u);
    EXPECT_TRUE(A.PointerButton()->isChecked());
    EXPECT_FALSE(A.ZoomButton()->isChecked());
    EXPECT_EQ(A.PointerButton()->geometry(), QRect(3, 3, 26, 26));
    EXPECT_EQ(A.ZoomButton()->geometry(), QRect(32, 3, 26, 26));
    EXPECT_EQ(A.MapSelector()->pos(), QPoint(68, 5));
    EXPECT_EQ(A.MapSelector()->width(), 300);
    EXPECT_FALSE(A.MapSelector()->isEditable());
    EXPECT_EQ(A.MapSelector()->count(), 0);
    EXPECT_EQ(View().EmptyMsg(), "TGeoAtlas: Empty");
    EXPECT_TRUE(View().GetAllowPan());
    // The glyphs and cursors come from the library's resources.
    EXPECT_FALSE(A.PointerButton()->icon().isNull());
    EXPECT_FALSE(A.ZoomButton()->icon().isNull());
    EXPECT_FALSE(A.ZoomButton()->icon().pixmap(16, 16, QIcon::Disabled).isNull());
    EXPECT_FALSE(TCursorTable::Instance().Cursor(crGeoZoom).pixmap().isNull());
    EXPECT_FALSE(TCursorTable::Instance().Cursor(crGeoHand).pixmap().isNull());

    A.show();
    QApplication::processEvents();
    EXPECT_EQ(A.CmdPanel()->height(), 33);
    EXPECT_GE(View().y(), A.CmdPanel()->geometry().bottom());
    EXPECT_EQ(View().geometry().bottom(), A.height() - 1 - A.frameWidth());
}

TEST_F(Atlas, RegisteringReadsTheCalibrationAndLoadsNothing) {
    Add({"Alpha", "Alpha map", 10, 47, 16, 48, 18});
    Add({"beta", "", 20, 47, 16, 48, 18});
    EXPECT_EQ(A.NumRegMaps(), 2);
    const TMapDefinition M = A.Maps(1);
    EXPECT_EQ(M.MapFName, LowerCase(Folder().toStdString()) + "/alpha.xml");
    EXPECT_EQ(M.Caption, "Alpha map");
    EXPECT_DOUBLE_EQ(M.Resolution, 10);
    EXPECT_DOUBLE_EQ(M.Corners[gcoBottomRight].Longit, 18);
    EXPECT_EQ(A.MapSelector()->count(), 2);
    EXPECT_EQ(A.MapSelector()->itemText(0).toStdString(), "Alpha map");
    EXPECT_EQ(A.MapSelector()->itemText(1).toStdString(), LowerCase(Folder().toStdString()) + "/beta.xml");
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(View().MapImgFile(), "");  // nothing loaded yet
    EXPECT_EQ(A.Maps(0), TMapDefinition{});
    EXPECT_EQ(A.Maps(201), TMapDefinition{});
}

TEST_F(Atlas, TheSameNameInOtherCaseIsOneEntry) {
    Add({"Map1", "first", 10, 47, 16, 48, 18});
    // A case-sensitive file system can hold both spellings side by side.
    Add({"MAP1", "second", 30, 47, 16, 48, 18});
    EXPECT_EQ(A.NumRegMaps(), 1);
    EXPECT_EQ(A.Maps(1).Caption, "second");
    EXPECT_EQ(A.Maps(1).MapFName, LowerCase(Folder().toStdString()) + "/map1.xml");
    // The entry opens the file under the spelling it was registered with.
    EXPECT_TRUE(A.SelectMap(1));
    EXPECT_EQ(Shown(), "second");
}

TEST_F(Atlas, UnreadableOrMalformedFilesAreRefused) {
    Add({"good", "good", 10, 47, 16, 48, 18});
    EXPECT_FALSE(A.RegisterMap(Folder().toStdString() + "/missing.xml"));
    EXPECT_EQ(A.NumRegMaps(), 1);
    const std::string Bad = Folder().toStdString() + "/bad.xml";
    TTextFile F;
    F.OpenWrite(Bad);
    F.WriteLn("<geomap sig=\"ZYLCSuite\" vers=\"1.0\" id=\"x\">");
    F.WriteLn("<calline type=\"diagonal\" value=\"1\" npoints=\"0\">");
    F.WriteLn("</calline>");
    F.WriteLn("</geomap>");
    F.Close();
    EXPECT_THROW(A.RegisterMap(Bad), EZYLGeoMapError);
    EXPECT_EQ(A.NumRegMaps(), 1);
}

TEST_F(Atlas, ZoomingFollowsTheResolutions) {
    AddZoomExample();
    EXPECT_TRUE(A.ZoomIn(47.5, 17, 100));
    EXPECT_EQ(A.CurrentMapIdx(), 2);
    EXPECT_EQ(Shown(), "fifty");
    EXPECT_EQ(Selected(), 2);
    // The position is brought to the centre of the view as far as the image allows.
    EXPECT_EQ(View().TopLeft(), (TPoint{0, 0}));
    EXPECT_FALSE(View().GoBackInZoomHistory());  // the map's history starts with the view shown
    EXPECT_TRUE(A.ZoomIn(47.5, 17, 50));
    EXPECT_EQ(Shown(), "twenty");
    EXPECT_FALSE(A.ZoomIn(47.5, 17, 20));
    EXPECT_EQ(Shown(), "twenty");
    EXPECT_TRUE(A.ZoomOut(47.5, 17, 50));
    EXPECT_EQ(Shown(), "ninety-five");
    EXPECT_EQ(Selected(), 3);
    // Nothing finer than an unknown resolution.
    EXPECT_FALSE(A.ZoomIn(47.5, 17, 0));
    EXPECT_EQ(Shown(), "ninety-five");
}

TEST_F(Atlas, APositionOutsideAllMapsChangesNothing) {
    AddZoomExample();
    ASSERT_TRUE(A.SelectMap(1));
    const TPoint TopLeft = View().TopLeft();
    EXPECT_FALSE(A.ZoomIn(10, 10, 100));
    EXPECT_FALSE(A.ZoomOut(10, 10, 20));
    EXPECT_EQ(A.CurrentMapIdx(), 1);
    EXPECT_EQ(Shown(), "hundred");
    EXPECT_EQ(View().TopLeft(), TopLeft);
}

TEST_F(Atlas, SelectingFromCodeIsSilentAndTheUsersChoiceIsNot) {
    AddZoomExample();
    int Changes = 0;
    A.SetOnCBoxMapsChange([&](TObject* Sender) {
        EXPECT_EQ(Sender, static_cast<TObject*>(&A));
        ++Changes;
    });
    EXPECT_TRUE(A.SelectMap(3));
    EXPECT_FALSE(A.SelectMap(0));
    EXPECT_FALSE(A.SelectMap(5));
    EXPECT_EQ(A.CurrentMapIdx(), 3);
    EXPECT_EQ(Changes, 0);
    // What the combo box reports when the user picks the second entry.
    emit A.MapSelector()->activated(1);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(A.CurrentMapIdx(), 2);
    EXPECT_EQ(Shown(), "fifty");
}

TEST_F(Atlas, AMapThatCannotBeLoadedKeepsTheSelection) {
    Add({"one", "one", 10, 47, 16, 48, 18});
    const std::string Two = Add({"two", "two", 20, 47, 16, 48, 18});
    ASSERT_TRUE(A.SelectMap(1));
    QFile::remove(QString::fromStdString(Two));
    EXPECT_FALSE(A.SelectMap(2));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(A.CurrentMapIdx(), 2);
}

TEST_F(Atlas, UnregisteringTheShownMapShowsAnotherOrNoneAndSaysSo) {
    Add({"a", "a", 10, 47, 16, 48, 18});
    const std::string B = Add({"b", "b", 20, 47, 16, 48, 18});
    Add({"c", "c", 30, 47, 16, 48, 18});
    const QMetaProperty Current = A.metaObject()->property(A.metaObject()->indexOfProperty("CurrentMapIdx"));
    EXPECT_TRUE(Current.hasNotifySignal());
    EXPECT_FALSE(Current.isStored());
    QSignalSpy Changes(&A, &TGeoAtlas::currentMapChanged);
    std::vector<int> Handled;
    A.SetOnCurrentMapChange([&](TObject*, int Map) { Handled.push_back(Map); });
    ASSERT_TRUE(A.SelectMap(2));
    struct TStep {
        const char* What;
        std::function<void()> Do;
        int Maps, Current;
        const char* Shown;  // "" for an empty view
    };
    for (const TStep& S : {
             TStep{"the shown map", [&] { A.UnregisterMap(2); }, 2, 2, "c"},
             TStep{"the shown map, the last", [&] { A.UnregisterMap(2); }, 1, 1, "a"},
             TStep{"registering", [&] { EXPECT_TRUE(A.RegisterMap(B)); }, 2, 1, "a"},
             TStep{"another map", [&] { A.UnregisterMap(2); }, 1, 1, "a"},
             TStep{"out of range", [&] { A.UnregisterMap(0), A.UnregisterMap(2); }, 1, 1, "a"},
             TStep{"the only map", [&] { A.UnregisterMap(1); }, 0, 0, ""},
         }) {
        SCOPED_TRACE(S.What);
        S.Do();
        EXPECT_EQ(A.NumRegMaps(), S.Maps);
        EXPECT_EQ(A.CurrentMapIdx(), S.Current);
        EXPECT_EQ(Selected(), S.Current);
        EXPECT_EQ(Shown(), S.Shown);
    }
    EXPECT_EQ(View().MapImgWidth(), 0);
    // Unregistering the shown map says so also when the next one takes its number.
    EXPECT_EQ(Handled, (std::vector<int>{2, 2, 1, 0}));
    ASSERT_EQ(Changes.count(), 4);
    EXPECT_EQ(Changes.at(1).at(0).toInt(), 2);
}

TEST_F(Atlas, MapImagesAreTakenBesideTheirCalibrationFile) {
    // Two maps in different folders whose images have the same name.
    Add({"west", "west", 10, 47, 16, 48, 18, 200, 100, qRgb(255, 0, 0), "map.bmp"}, "one");
    Add({"east", "east", 20, 47, 16, 48, 18, 200, 100, qRgb(0, 0, 255), "map.bmp"}, "two");
    ASSERT_TRUE(A.SelectMap(2));
    EXPECT_EQ(View().MapBitmap().pixel(10, 10), qRgb(0, 0, 255));
    // The current map follows the renumbering, so a reload still finds the image in "two".
    A.UnregisterMap(1);
    ASSERT_EQ(A.CurrentMapIdx(), 1);
    View().SetMapImgName("map.bmp");
    EXPECT_EQ(View().MapBitmap().pixel(10, 10), qRgb(0, 0, 255));
}

TEST_F(Atlas, ModeButtonsSwitchCursorAndPanning) {
    std::vector<std::string> Events;
    A.SetOnClick([&](TObject*) { Events.push_back("click"); });
    A.SetOnZoomButClick([&](TObject*) { Events.push_back("zoom"); });
    A.SetOnPointerButClick([&](TObject*) { Events.push_back("pointer"); });
    A.show();
    QTest::mouseClick(A.ZoomButton(), Qt::LeftButton);
    EXPECT_TRUE(A.ZoomButton()->isChecked());
    EXPECT_FALSE(A.PointerButton()->isChecked());
    EXPECT_EQ(A.Cursor(), crGeoZoom);
    EXPECT_FALSE(View().GetAllowPan());
    QTest::mouseClick(A.PointerButton(), Qt::LeftButton);
    EXPECT_FALSE(A.ZoomButton()->isChecked());
    EXPECT_EQ(A.Cursor(), crHandPoint);
    EXPECT_EQ(A.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(View().GetAllowPan());
    EXPECT_EQ(Events, (std::vector<std::string>{"click", "zoom", "click", "pointer"}));
}

TEST_F(Atlas, ClicksOnTheMapZoomOnlyInZoomMode) {
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 20, 47, 16, 48, 18, 1000, 500});
    A.show();
    ASSERT_TRUE(A.SelectMap(1));
    std::vector<std::string> Downs;
    A.SetOnMouseDown([&](TObject* Sender, TMouseButton B, TShiftState, int X, int Y) {
        EXPECT_EQ(Sender, static_cast<TObject*>(&A));
        Downs.push_back(std::to_string(int(B)) + "@" + std::to_string(X) + "," + std::to_string(Y));
    });
    int Clicks = 0;
    A.SetOnClick([&](TObject*) { ++Clicks; });
    const QPoint Inside = ControlPos(47.5, 17);
    QTest::mouseClick(&View(), Qt::LeftButton, {}, Inside);
    EXPECT_EQ(Shown(), "coarse");  // pointer mode: forwarded only
    EXPECT_EQ(Clicks, 1);
    ASSERT_EQ(Downs.size(), 1u);
    EXPECT_EQ(Downs[0], "0@" + std::to_string(Inside.x()) + "," + std::to_string(Inside.y()));

    A.ZoomButton()->click();
    QTest::mouseClick(&View(), Qt::LeftButton, {}, Inside);
    EXPECT_EQ(Shown(), "fine");
    QTest::mouseClick(&View(), Qt::RightButton, {}, ControlPos(47.5, 17));
    EXPECT_EQ(Shown(), "coarse");
}

TEST_F(Atlas, ZoomClicksKeepThePlaceUnderThePointerAndSignalTheLimits) {
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 20, 47, 16, 48, 18, 1000, 500});
    A.show();
    ASSERT_TRUE(A.SelectMap(1));
    A.ZoomButton()->click();
    QSignalSpy Limits(&A, &TGeoAtlas::zoomLimitReached);
    std::vector<bool> Handled;
    A.SetOnZoomLimitReached([&](TObject*, bool Finer) { Handled.push_back(Finer); });
    // Off the centre, where the fine map has room on every side.
    const QPoint At = ControlPos(47.7, 16.6);
    struct Click {
        Qt::MouseButton Button;
        const char* Map;
        int Limits;  // signals so far
    };
    for (const Click& C : {Click{Qt::LeftButton, "fine", 0}, Click{Qt::LeftButton, "fine", 1},
                           Click{Qt::RightButton, "coarse", 1}, Click{Qt::RightButton, "coarse", 2}}) {
        QTest::mouseClick(&View(), C.Button, {}, At);
        EXPECT_EQ(Shown(), C.Map);
        const QPoint Now = ControlPos(47.7, 16.6);
        EXPECT_NEAR(Now.x(), At.x(), 1) << C.Map << " " << C.Limits;
        EXPECT_NEAR(Now.y(), At.y(), 1) << C.Map << " " << C.Limits;
        EXPECT_EQ(Limits.count(), C.Limits);
    }
    EXPECT_EQ(Limits.at(0).at(0).toBool(), true);  // no finer map
    EXPECT_EQ(Limits.at(1).at(0).toBool(), false);
    EXPECT_EQ(Handled, (std::vector<bool>{true, false}));
}

TEST_F(Atlas, AHostsOwnMapHandlersLeaveZoomClicksWorking) {
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 20, 47, 16, 48, 18, 1000, 500});
    A.show();
    ASSERT_TRUE(A.SelectMap(1));
    int HostDowns = 0, AtlasDowns = 0;
    View().SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { ++HostDowns; });
    View().SetOnDataRendered({});
    View().SetOnMapImageRequest({});
    A.SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { ++AtlasDowns; });
    View().Paint();
    EXPECT_GT(CountColor(View().AuxBitmap(), qRgb(0, 0, 255), View().rect()), 0);  // the fine map's outline
    A.ZoomButton()->click();
    QTest::mouseClick(&View(), Qt::LeftButton, {}, ControlPos(47.5, 17));
    EXPECT_EQ(Shown(), "fine");
    EXPECT_EQ(HostDowns, 1);
    EXPECT_EQ(AtlasDowns, 1);
}

TEST_F(Atlas, TheWheelGoesFromMapToMapAtTheSameScaleKeepingThePlace) {
    // Nested maps, the fine one twice as detailed in metres and in degrees per pixel.
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 50, 47, 16, 48, 18, 400, 200});
    A.show();
    ASSERT_TRUE(A.SelectMap(1));
    int ZoomPans = 0;
    QObject::connect(&View(), &TGeoMap::zoomPan, &A, [&] { ++ZoomPans; });
    // Between image pixels once magnified, where rounding twice would be off by more than a pixel.
    const QPoint At = ControlPos(47.7, 16.6) + QPoint(2, 2);
    const auto MetresPerPixel = [&] { return View().CalibData().Resolution / View().Magnification(); };
    struct Notch {
        int Delta;
        const char* Map;
        double Magnify;
    };
    const double Step = TGeoMap::WheelZoomFactor;
    int Notches = 0;
    // The fine map takes over where the coarse one would be enlarged, both ways.
    for (const Notch& N :
         {Notch{120, "fine", Step / 2}, Notch{120, "fine", 1}, Notch{120, "fine", Step}, Notch{-120, "fine", 1},
          Notch{-120, "fine", 1 / Step}, Notch{-120, "coarse", 1}, Notch{-120, "coarse", 1 / Step}}) {
        SCOPED_TRACE(std::to_string(++Notches) + " " + N.Map);
        const double Before = MetresPerPixel();
        const TCoords Place = PlaceAt(At);
        EXPECT_TRUE(SendWheel(View(), At, N.Delta));
        EXPECT_EQ(Shown(), N.Map);
        EXPECT_EQ(Selected(), A.CurrentMapIdx());
        EXPECT_NEAR(View().Magnification(), N.Magnify, 1e-9);
        EXPECT_NEAR(N.Delta > 0 ? Before / MetresPerPixel() : MetresPerPixel() / Before, Step, 1e-9);
        const QPointF Now = OnScreen(Place);
        EXPECT_LE(std::abs(Now.x() - At.x()), 1) << Now.x();
        EXPECT_LE(std::abs(Now.y() - At.y()), 1) << Now.y();
        EXPECT_EQ(ZoomPans, Notches);
    }
}

TEST_F(Atlas, AMapChangeKeepsThePlaceUnderThePointerAlsoAtTheNewMapsEdge) {
    // The fine map in the coarse one's top-left corner: near it, either map
    // confined to its image would push the place aside.
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 50, 48, 15, 49, 17, 400, 200});
    A.show();
    View().SetConfinePan(true);  // a host's choice, which a change of map overrides
    const double Root2 = TGeoMap::WheelZoomFactor;
    struct TCase {
        const char* Way;
        TCoords Place;
        int From;
        double Magnify;
        std::function<void(QPoint)> Change;
        const char* Map;
    };
    const auto NotchIn = [&](QPoint At) { EXPECT_TRUE(SendWheel(View(), At, 120)); };
    const auto NotchOut = [&](QPoint At) { EXPECT_TRUE(SendWheel(View(), At, -120)); };
    const auto Click = [&](Qt::MouseButton Button) {
        return [&, Button](QPoint At) {
            A.ZoomButton()->click();
            QTest::mouseClick(&View(), Button, {}, At);
            A.PointerButton()->click();
        };
    };
    const TCoords Corner{48.99, 15.01}, Inside{48.5, 16};
    for (const TCase& C :
         {TCase{"notch in", Inside, 1, 1, NotchIn, "fine"}, TCase{"notch in", Corner, 1, 1, NotchIn, "fine"},
          TCase{"notch out", Inside, 2, 1 / Root2, NotchOut, "coarse"},
          TCase{"notch out", Corner, 2, 1 / Root2, NotchOut, "coarse"},
          TCase{"zoom click in", Corner, 1, 1, Click(Qt::LeftButton), "fine"},
          TCase{"zoom click out", Corner, 2, 1, Click(Qt::RightButton), "coarse"}}) {
        SCOPED_TRACE(std::string(C.Way) + (C.Place.Latit == Corner.Latit ? " at the corner" : " inside"));
        ASSERT_TRUE(A.SelectMap(C.From));
        View().SetMagnification(C.Magnify);
        const QPoint At = ControlPos(C.Place.Latit, C.Place.Longit);
        const TCoords Before = PlaceAt(At);
        C.Change(At);
        EXPECT_EQ(Shown(), C.Map);
        EXPECT_LE(ImagePixelsOff(Before, At), 1);
    }
}

// Each way of changing maps on a fresh atlas, which has no map to go back to before.
class AtlasBackspace : public Atlas, public ::testing::WithParamInterface<const char*> {};

TEST_P(AtlasBackspace, GoesBackThroughTheMapsOwnViewsThenToTheMapShownBefore) {
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 50, 47, 16, 48, 18, 400, 200});
    A.show();
    const std::map<std::string, std::function<void(QPoint)>> Ways = {
        {"notch", [&](QPoint At) { EXPECT_TRUE(SendWheel(View(), At, 120)); }},
        {"click",
         [&](QPoint At) {
             A.ZoomButton()->click();
             QTest::mouseClick(&View(), Qt::LeftButton, {}, At);
             A.PointerButton()->click();
         }},
        {"selector", [&](QPoint) { Q_EMIT A.MapSelector()->activated(1); }}};
    ASSERT_TRUE(A.SelectMap(1));
    View().SetMagnification(1);
    const QPoint At = ControlPos(47.6, 16.8);
    const TPoint CoarseTopLeft = View().TopLeft();
    Ways.at(GetParam())(At);
    ASSERT_EQ(Shown(), "fine");
    const TPoint FineTopLeft = View().TopLeft();
    const double FineMagnify = View().Magnification();
    EXPECT_TRUE(SendWheel(View(), At, 120));  // within the fine map
    struct TBack {
        const char* Map;
        TPoint TopLeft;
        double Magnify;
    };
    for (const TBack& B : {TBack{"fine", FineTopLeft, FineMagnify}, TBack{"coarse", CoarseTopLeft, 1},
                           TBack{"coarse", CoarseTopLeft, 1}}) {  // nothing before
        QTest::keyClick(&View(), Qt::Key_Backspace);
        EXPECT_EQ(Shown(), B.Map);
        EXPECT_EQ(Selected(), A.CurrentMapIdx());
        EXPECT_EQ(View().TopLeft(), B.TopLeft);
        EXPECT_EQ(View().Magnification(), B.Magnify);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, AtlasBackspace, ::testing::Values("notch", "click", "selector"));

TEST_F(Atlas, MinResDiffTakesOnlyPercentagesOfAResolution) {
    const double Inf = std::numeric_limits<double>::infinity();
    struct TCase {
        double Value;
        bool Taken;
    };
    for (const TCase& C : {TCase{std::nan(""), false}, TCase{Inf, false}, TCase{-Inf, false}, TCase{-1, false},
                           TCase{100, false}, TCase{250, false}, TCase{0, true}, TCase{50, true}, TCase{99.5, true}}) {
        A.SetMinResDiff(25);
        A.SetMinResDiff(C.Value);
        EXPECT_EQ(A.MinResDiff(), C.Taken ? C.Value : 25) << C.Value;
    }
}

TEST_F(Atlas, WithoutWheelZoomTheWheelChangesNothing) {
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 50, 47, 16, 48, 18, 400, 200});
    A.show();
    ASSERT_TRUE(A.SelectMap(1));
    View().SetMagnification(1.9);  // a notch in would change to the fine map
    View().SetWheelZoom(false);
    const TPoint TopLeft = View().TopLeft();
    EXPECT_FALSE(SendWheel(View(), ControlPos(47.5, 17), 120));
    EXPECT_EQ(Shown(), "coarse");
    EXPECT_EQ(View().Magnification(), 1.9);
    EXPECT_EQ(View().TopLeft(), TopLeft);
}

TEST(AtlasEvents, EveryEventMayDeleteTheAtlasFromItsHandlerOrSlot) {
    QTemporaryDir Dir;
    const std::string Xml = WriteMapFile(Dir.path(), {"one", "one", 100, 46, 15, 49, 19, 400, 300});
    const std::string Imageless = WriteMapFile(Dir.path(), {"two", "two", 50, 46, 15, 49, 19, 400, 300});
    QFile::remove(QDir(Dir.path()).filePath(QStringLiteral("two.bmp")));
    using TKill = std::function<void()>;
    struct TCase {
        const char* Event;
        std::function<void(TGeoAtlas&, bool ViaSignal, const TKill&)> Arm;
        std::function<void(TGeoAtlas&)> Drive;
    };
    const auto Arm = [](auto Set, auto Sig) {
        return [=](TGeoAtlas& At, bool ViaSignal, const TKill& Kill) {
            if (ViaSignal)
                QObject::connect(&At, Sig, &At, Kill);
            else
                (At.*Set)([Kill](auto&&...) { Kill(); });
        };
    };
    // Sent directly: QTest would still address the view after the atlas went.
    const auto Send = [](TGeoAtlas& At, QEvent::Type Type, Qt::MouseButtons Held) {
        SendMouse(*At.CurrentMap(), Type, {50, 50}, Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Held);
    };
    const auto Press = [Send](TGeoAtlas& At) { Send(At, QEvent::MouseButtonPress, Qt::LeftButton); };
    const std::vector<TCase> Cases = {
        {"OnMouseDown in zoom mode", Arm(&TGeoAtlas::SetOnMouseDown, &TGeoAtlas::mouseDown), Press},
        {"OnMouseUp", Arm(&TGeoAtlas::SetOnMouseUp, &TGeoAtlas::mouseUp),
         [Send](TGeoAtlas& At) { Send(At, QEvent::MouseButtonRelease, Qt::NoButton); }},
        {"OnMouseMove", Arm(&TGeoAtlas::SetOnMouseMove, &TGeoAtlas::mouseMove),
         [Send](TGeoAtlas& At) { Send(At, QEvent::MouseMove, Qt::NoButton); }},
        {"OnClick on the map", Arm(&TGeoAtlas::SetOnClick, &TGeoAtlas::click),
         [=](TGeoAtlas& At) {
             Press(At);
             Send(At, QEvent::MouseButtonRelease, Qt::NoButton);
         }},
        {"OnDblClick", Arm(&TGeoAtlas::SetOnDblClick, &TGeoAtlas::dblClick),
         [Send](TGeoAtlas& At) { Send(At, QEvent::MouseButtonDblClick, Qt::LeftButton); }},
        {"OnClick on a mode button", Arm(&TGeoAtlas::SetOnClick, &TGeoAtlas::click),
         [](TGeoAtlas& At) { At.PointerButton()->click(); }},
        {"OnZoomButClick", Arm(&TGeoAtlas::SetOnZoomButClick, &TGeoAtlas::zoomButClick),
         [](TGeoAtlas& At) { At.ZoomButton()->click(); }},
        {"OnPointerButClick", Arm(&TGeoAtlas::SetOnPointerButClick, &TGeoAtlas::pointerButClick),
         [](TGeoAtlas& At) { At.PointerButton()->click(); }},
        {"OnCBoxMapsChange", Arm(&TGeoAtlas::SetOnCBoxMapsChange, &TGeoAtlas::cBoxMapsChange),
         [](TGeoAtlas& At) { Q_EMIT At.MapSelector()->activated(0); }},
        {"OnMapLoadFailed", Arm(&TGeoAtlas::SetOnMapLoadFailed, &TGeoAtlas::mapLoadFailed),
         [&](TGeoAtlas& At) {
             EXPECT_TRUE(At.RegisterMap(Imageless));
             Q_EMIT At.MapSelector()->activated(1);
         }},
    };
    for (const TCase& Case : Cases)
        for (const bool ViaSignal : {false, true}) {
            SCOPED_TRACE(std::string(Case.Event) + (ViaSignal ? " (signal)" : " (property)"));
            QPointer<TGeoAtlas> At = new TGeoAtlas;
            ASSERT_TRUE(At->RegisterMap(Xml));
            ASSERT_TRUE(At->SelectMap(1));
            At->show();
            if (std::string(Case.Event) != "OnZoomButClick") At->ZoomButton()->click();
            Case.Arm(*At, ViaSignal, [&At] { delete At.data(); });
            Case.Drive(*At);
            EXPECT_TRUE(At.isNull());
            delete At.data();
        }
}

TEST(AtlasEvents, TheMapsLoadingHandlerMayDeleteTheAtlasOrItsMapWhileAMapIsSelected) {
    QTemporaryDir Dir;
    const std::string Coarse = WriteMapFile(Dir.path(), {"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    const std::string Fine = WriteMapFile(Dir.path(), {"fine", "fine", 50, 47, 16, 48, 18, 400, 200});
    const auto OnFineMap = [](TGeoAtlas& At) {
        int x = 0, y = 0;
        EXPECT_TRUE(At.CurrentMap()->CalcPixelCoords(47.5, 17, x, y));
        const TPoint P = At.CurrentMap()->MapImageToControl({x, y});
        return QPoint(P.X, P.Y);
    };
    struct TCase {
        const char* Way;
        std::function<void(TGeoAtlas&)> Drive;
    };
    const std::vector<TCase> Cases = {
        {"SelectMap", [](TGeoAtlas& At) { At.SelectMap(2); }},
        {"ZoomIn", [](TGeoAtlas& At) { At.ZoomIn(47.5, 17, 100); }},
        {"UnregisterMap", [](TGeoAtlas& At) { At.UnregisterMap(1); }},
        {"the selector", [](TGeoAtlas& At) { Q_EMIT At.MapSelector()->activated(1); }},
        {"a zoom click",
         [&](TGeoAtlas& At) {
             At.ZoomButton()->click();
             SendMouse(*At.CurrentMap(), QEvent::MouseButtonPress, OnFineMap(At), Qt::LeftButton, Qt::LeftButton);
         }},
        {"a wheel notch",
         [&](TGeoAtlas& At) {
             At.CurrentMap()->SetMagnification(1.9);
             SendWheel(*At.CurrentMap(), OnFineMap(At), 120);
         }},
    };
    for (const TCase& Case : Cases)
        for (const bool KillAtlas : {true, false})
            for (const bool ViaSignal : {false, true}) {
                SCOPED_TRACE(std::string(Case.Way) + (KillAtlas ? ", the atlas" : ", the map") +
                             (ViaSignal ? " (signal)" : " (property)"));
                QPointer<TGeoAtlas> At = new TGeoAtlas;
                ASSERT_TRUE(At->RegisterMap(Coarse));
                ASSERT_TRUE(At->RegisterMap(Fine));
                ASSERT_TRUE(At->SelectMap(1));
                At->show();
                QPointer<TGeoMap> Map = At->CurrentMap();
                const auto Kill = [&] { KillAtlas ? delete At.data() : delete Map.data(); };
                if (ViaSignal)
                    QObject::connect(Map, &TGeoMap::dataLoading, Map, Kill);
                else
                    Map->SetOnDataLoading([Kill](TObject*, int) { Kill(); });
                Case.Drive(*At);
                EXPECT_TRUE(Map.isNull());
                EXPECT_EQ(At.isNull(), KillAtlas);
                delete At.data();
            }
}

TEST_F(Atlas, OutlinesOfTheOtherMapsAreDrawnAtTheViewsScale) {
    // One image pixel is 0.01 degrees; the fine map spans image pixels (100,100)-(300,200).
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 20, 47, 16, 48, 18, 400, 200});
    A.resize(700, 600);
    A.show();
    View().SetConfinePan(false);  // the image at the control's corner, not centred in it
    ASSERT_TRUE(A.SelectMap(1));
    const QRgb Blue = qRgb(0, 0, 255);
    const QImage& Pic = View().AuxBitmap();
    ExpectPixels(Pic, {{200, 100, FromQRgb(Blue), "top edge"},
                       {100, 150, FromQRgb(Blue), "left edge"},
                       {200, 150, 0xFFFFFF, "inside"}});
    View().SetMagnification(0.5);
    EXPECT_EQ(View().AuxBitmap().pixel(100, 50) & 0xFFFFFF, Blue & 0xFFFFFF);
    View().SetMagnification(1.0);

    A.SetMapOutlineColor(0x00FF00);  // repaints at once
    EXPECT_EQ(View().AuxBitmap().pixel(200, 100) & 0xFFFFFF, qRgb(0, 255, 0) & 0xFFFFFF);
    A.SetMapOutlineVisible(false);
    EXPECT_EQ(CountColor(View().AuxBitmap(), qRgb(0, 255, 0), {50, 50, 300, 200}), 0);
    // With no list selection every map is outlined, the shown one too.
    A.SetMapOutlineVisible(true);
    A.MapSelector()->setCurrentIndex(-1);
    View().Paint();
    EXPECT_EQ(View().AuxBitmap().pixel(400, 150) & 0xFFFFFF, qRgb(0, 255, 0) & 0xFFFFFF);

    // An export of another window at another scale has them in that window.
    QImage Export(400, 300, QImage::Format_RGB32);
    Export.fill(Qt::black);
    View().CopyToBMP(Export, {60, 40}, 2.0, 50, 30, 300, 200);
    ExpectPixels(Export, {{50 + 200, 30 + 120, 0x00FF00, "top edge, image row 100"},
                          {50 + 80, 30 + 150, 0x00FF00, "left edge, column 100"},
                          {50 + 200, 30 + 100, 0xFFFFFF, "where the screen has the top edge"}});
}

TEST_F(Atlas, AMapTheUserChoosesThatFailsToLoadIsReportedAndTheMapShownStays) {
    Add({"coarse", "coarse", 100, 46, 15, 49, 19, 400, 300});
    Add({"fine", "fine", 50, 47, 16, 48, 18, 400, 200});
    const QString FineImage = QDir(Folder()).filePath(QStringLiteral("fine.bmp"));
    A.show();
    std::vector<std::string> Reports;
    A.SetOnMapLoadFailed([&](TObject* Sender, int Map, const std::string& Message) {
        EXPECT_EQ(Sender, static_cast<TObject*>(&A));
        Reports.push_back(std::to_string(Map) + " " + Message);
    });
    int Signals = 0;
    QObject::connect(&A, &TGeoAtlas::mapLoadFailed, &A, [&](int, const std::string&) { ++Signals; });
    struct TCase {
        const char* Way;
        bool Missing;  // the image is gone; else it is no BMP
        std::function<void()> Choose;
    };
    const auto OnFineMap = [&] { return ControlPos(47.5, 17); };
    const std::vector<TCase> Cases = {
        {"a zoom click", false,
         [&] {
             A.ZoomButton()->click();
             QTest::mouseClick(&View(), Qt::LeftButton, {}, OnFineMap());
             A.PointerButton()->click();
         }},
        {"the selector", false, [&] { Q_EMIT A.MapSelector()->activated(1); }},
        {"the selector", true, [&] { Q_EMIT A.MapSelector()->activated(1); }},
        {"a wheel notch", false,
         [&] {
             View().SetMagnification(1.9);
             EXPECT_TRUE(SendWheel(View(), OnFineMap(), 120));
         }},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Way) + (Case.Missing ? ", missing" : ", broken"));
        QFile::remove(FineImage);
        if (!Case.Missing) {
            QFile Broken(FineImage);
            ASSERT_TRUE(Broken.open(QIODevice::WriteOnly));
            Broken.write("not a bitmap");
        }
        ASSERT_TRUE(A.SelectMap(1));
        View().SetMagnification(1);
        Reports.clear();
        Signals = 0;
        Case.Choose();
        EXPECT_EQ(Shown(), "coarse");
        EXPECT_EQ(View().MapImgWidth(), 400);
        EXPECT_EQ(A.CurrentMapIdx(), 1);
        EXPECT_EQ(Selected(), 1);
        EXPECT_FALSE(View().SuppressPaint());
        ASSERT_EQ(Reports.size(), 1u);
        EXPECT_EQ(Reports[0].substr(0, 2), "2 ");
        EXPECT_NE(Reports[0].find("fine."), std::string::npos) << Reports[0];
        EXPECT_EQ(Signals, 1);
    }
}

TEST_F(Atlas, AHiddenPanelLeavesTheWholeAtlasToTheView) {
    A.show();
    A.SetCmdPanelVisible(false);
    QApplication::processEvents();
    EXPECT_FALSE(A.CmdPanelVisible());
    EXPECT_TRUE(A.CmdPanel()->isHidden());
    EXPECT_EQ(View().geometry(), A.contentsRect());
    A.SetCmdPanelVisible(true);
    QApplication::processEvents();
    EXPECT_TRUE(A.CmdPanelVisible());
    EXPECT_EQ(View().height(), A.contentsRect().height() - 33);
}

TEST(CursorTable, NumbersMapToCursors) {
    TCursorTable& T = TCursorTable::Instance();
    EXPECT_EQ(T.Cursor(crHandPoint).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(T.Cursor(crDefault).shape(), Qt::ArrowCursor);
    EXPECT_FALSE(T.Contains(4711));
    EXPECT_EQ(T.Cursor(4711).shape(), Qt::ArrowCursor);  // nobody entered it
    T.SetCursor(4711, QCursor(Qt::CrossCursor));
    EXPECT_TRUE(T.Contains(4711));
    EXPECT_EQ(T.Cursor(4711).shape(), Qt::CrossCursor);
    T.SetCursor(crHandPoint, QCursor(Qt::CrossCursor));  // the platform's own stay
    EXPECT_EQ(T.Cursor(crHandPoint).shape(), Qt::PointingHandCursor);
    RegisterGeoCursors();
    EXPECT_EQ(T.Cursor(crGeoZoom).shape(), Qt::BitmapCursor);
    EXPECT_EQ(T.Cursor(crGeoZoom).hotSpot(), QPoint(12, 12));
}
