// The widgets as a form designer and a form loader see them: the stored
// properties with their resets, and a form read through QUiLoader with the
// build's designer plugin.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QMetaProperty>
#include <QUiLoader>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "scratch_dir.h"
#include "zylcarto/designer/form_loader.h"
#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;

namespace {

std::unique_ptr<QWidget> Made(const char* ClassName) {
    // As the designer makes them, so that file names are kept and not loaded.
    if (std::string(ClassName) == "TGeoAtlas") {
        auto A = std::make_unique<TGeoAtlas>();
        A->SetDesigning(true);
        return A;
    }
    auto M = std::make_unique<TGeoMap>();
    M->SetDesigning(true);
    return M;
}

}  // namespace

TEST(DesignerForms, StoredPropertiesResetToTheValuesOfANewWidget) {
    struct TCase {
        const char* ClassName;
        const char* Property;
        QVariant Changed;
    };
    const TCase Cases[] = {
        {"TGeoMap", "CalibDataFile", QString("vienna.xml")},
        {"TGeoMap", "MapImgFile", QString("vienna.jpg")},
        {"TGeoMap", "AllowPan", false},
        {"TGeoMap", "AntiAlias", false},
        {"TGeoMap", "CalibModel", 4},
        {"TGeoMap", "CacheMagLimit", 0.25},
        {"TGeoMap", "ColorBackGnd", 255u},
        {"TGeoMap", "ColorGraticule", 255u},
        {"TGeoMap", "ColorCalibPoints", 0xFF0000u},
        {"TGeoMap", "ColorFrame", 255u},
        {"TGeoMap", "ConfinePanToMapImage", false},
        {"TGeoMap", "EmptyMsg", QString("none")},
        {"TGeoMap", "FrameStyle", 3},
        {"TGeoMap", "GratLineDist", 0.5},
        {"TGeoMap", "UTMGridDist", 1000},
        {"TGeoMap", "UTMHemisphere", 1},
        {"TGeoMap", "MouseAction", 3},
        {"TGeoMap", "MouseTraceColor", 0u},
        {"TGeoMap", "MouseTraceInvert", false},
        {"TGeoMap", "ShowGraticule", 4},
        {"TGeoMap", "LMRandomDisplayThreshold", 5000},
        {"TGeoMap", "ShowScaleBar", true},
        {"TGeoMap", "ShowNorthArrow", true},
        {"TGeoMap", "ColorResidualOutliers", 0u},
        {"TGeoMap", "WheelZoom", false},
        {"TGeoMap", "FollowPosition", true},
        {"TGeoMap", "TrailLength", 10},
        {"TGeoAtlas", "CmdPanelVisible", false},
        {"TGeoAtlas", "MapOutlineColor", 255u},
        {"TGeoAtlas", "MapOutlineVisible", false},
        {"TGeoAtlas", "MinResDiff", 25.0},
        {"TGeoAtlas", "FollowTraveller", true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::string(C.ClassName) + "." + C.Property);
        const std::unique_ptr<QWidget> W = Made(C.ClassName);
        const QMetaProperty P = W->metaObject()->property(W->metaObject()->indexOfProperty(C.Property));
        ASSERT_TRUE(P.isValid());
        EXPECT_TRUE(P.isDesignable() && P.isStored() && P.isResettable());
        const QVariant Default = P.read(W.get());
        ASSERT_NE(Default, C.Changed);
        ASSERT_TRUE(P.write(W.get(), C.Changed));
        EXPECT_EQ(P.read(W.get()), C.Changed);
        EXPECT_TRUE(P.reset(W.get()));
        EXPECT_EQ(P.read(W.get()), Default);
    }
    // Zones are 1..60 and a map starts with none, so the zone is stored but has no reset.
    const QMetaProperty Zone = TGeoMap::staticMetaObject.property(TGeoMap::staticMetaObject.indexOfProperty("UTMZone"));
    EXPECT_TRUE(Zone.isDesignable() && Zone.isStored() && !Zone.isResettable());
}

TEST(DesignerForms, AFormLoadedThroughThePluginHasItsStoredValues) {
    QUiLoader Loader;
    Loader.clearPluginPaths();  // the build's plugin, not an installed one
    Loader.addPluginPath(ZYLCARTO_DESIGNER_PLUGIN_DIR);
    ASSERT_TRUE(Loader.availableWidgets().contains("zylcarto::TGeoMap"));
    ASSERT_TRUE(Loader.availableWidgets().contains("zylcarto::TGeoAtlas"));
    QFile Form(ZYLCARTO_FORM_UI);
    ASSERT_TRUE(Form.open(QIODevice::ReadOnly));
    const std::unique_ptr<QWidget> Top(Loader.load(&Form));
    ASSERT_TRUE(Top) << Loader.errorString().toStdString();

    auto* Map = Top->findChild<TGeoMap*>("geoMap");
    auto* Atlas = Top->findChild<TGeoAtlas*>("geoAtlas");
    ASSERT_TRUE(Map && Atlas);
    EXPECT_FALSE(Map->Designing());
    EXPECT_TRUE(Map->Loading());  // until the first polish
    EXPECT_FALSE(Map->AntiAlias());
    EXPECT_EQ(Map->ColorBackGnd(), 255u);
    EXPECT_EQ(Map->EmptyMsg(), "No map yet");
    EXPECT_EQ(Map->GratLineDist(), 0.25);
    EXPECT_EQ(Map->ShowGraticule(), sgLines);
    EXPECT_FALSE(Atlas->CmdPanelVisible());
    EXPECT_EQ(Atlas->MapOutlineColor(), 0x00FF00u);
    EXPECT_EQ(Atlas->MinResDiff(), 25.5);

    EXPECT_TRUE(Map->AuxBitmap().isNull());  // nothing painted while loading
    Top->ensurePolished();
    EXPECT_FALSE(Map->Loading());
    EXPECT_EQ(Map->CalibModel(), cmEquiRect);  // the calibration values wait for the files
    EXPECT_EQ(Map->GetUTMZone(), 33);
    ASSERT_FALSE(Map->AuxBitmap().isNull());
    EXPECT_EQ(Map->AuxBitmap().pixel(100, 100), qRgb(255, 0, 0));  // $0000FF is red
}

// A form saved beside its maps names them relative to itself; the process runs
// elsewhere. The loader finds them from its working directory, and names the
// one it cannot find.
TEST(DesignerForms, TheFormLoaderFindsRelativeFilesInItsWorkingDirectory) {
    const test::TScratchDir Dir("forms");
    std::filesystem::create_directories(Dir.Dir() / "maps");
    {
        TGeoMap Maker;
        Maker.CreateEmptyMapInMemory(47, 15, 48, 17, 0.5, 0.5, 400, 200, true);
        Maker.SaveMap(Dir.Path("maps/town.xml"), "town");
    }
    ASSERT_NE(std::filesystem::current_path(), Dir.Dir());
    struct TCase {
        const char* Property;
        const char* File;
        const char* Missing;  // the file named in the error; null: loads
    };
    const TCase Cases[] = {
        {"CalibDataFile", "maps/town.xml", nullptr},      {"CalibDataFile", "maps/Town.XML", nullptr},
        {"MapImgFile", "maps/town.jpg", nullptr},         {"CalibDataFile", "maps/none.xml", "maps/none.xml"},
        {"MapImgFile", "maps/none.jpg", "maps/none.jpg"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.File);
        QByteArray Xml = QStringLiteral(R"(<ui version="4.0"><widget class="zylcarto::TGeoMap" name="geoMap">)"
                                        R"(<property name="%1" stdset="0"><string>%2</string></property>)"
                                        R"(</widget></ui>)")
                             .arg(C.Property, C.File)
                             .toUtf8();
        QBuffer Form(&Xml);
        TFormLoader Loader;
        Loader.clearPluginPaths();
        Loader.addPluginPath(ZYLCARTO_DESIGNER_PLUGIN_DIR);
        Loader.setWorkingDirectory(QDir(QString::fromStdString(Dir.Dir().string())));
        const std::unique_ptr<QWidget> Top(Loader.load(&Form));
        auto* Map = qobject_cast<TGeoMap*>(Top.get());
        ASSERT_TRUE(Map) << Loader.errorString().toStdString();
        EXPECT_FALSE(Map->Loading());
        EXPECT_EQ(Map->MapImgWidth(), C.Missing ? 0 : 400);
        if (!C.Missing) {
            EXPECT_TRUE(Loader.errorString().isEmpty()) << Loader.errorString().toStdString();
            if (std::string(C.Property) == "CalibDataFile") {
                EXPECT_TRUE(std::filesystem::equivalent(Map->CalibDataFile(), Dir.Path("maps/town.xml")));
            }
        } else {
            EXPECT_TRUE(Loader.errorString().contains(QString::fromStdString(Dir.Path(C.Missing))))
                << Loader.errorString().toStdString();
        }
    }
}
