// Map image files, generated maps, the map's calibration and landmark files,
// clipboard, printing and export.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextItem>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <unistd.h>
#include <utility>
#include <vector>

#include "pixels.h"
#include "probe_map.h"
#include "qt_input.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "file_bytes.h"
#include "file_size_limit.h"
#include "scratch_dir.h"
#include "zylcarto/geomap/view/file_lookup.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/jpeg_codec.h"
#include "zylcarto/geomap/view/map_grid.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;
using test::ExpectPixels;
using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

namespace {

class MapFiles : public ::testing::Test {
protected:
    void SetUp() override { Dir = test::TestDir(); }
    void TearDown() override { fs::remove_all(Dir); }
    std::string P(const std::string& Name) const { return (Dir / Name).string(); }

    fs::path Dir;
};

QImage Gradient(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            I.setPixel(x, y, qRgb(x * 255 / std::max(1, W - 1), y * 255 / std::max(1, H - 1), 128));
    return I;
}

// A 1200 dpi page that keeps what is drawn on it, as a printer driver sees it.
class RecordedPage : public QPaintDevice {
public:
    struct Image {
        QRectF Target;  // device pixels
        QSize Source;   // image pixels
    };
    std::vector<Image> Images;
    std::vector<double> LineWidths;  // device pixels
    std::vector<std::string> Texts;
    std::vector<QColor> Fills;

    QPaintEngine* paintEngine() const override { return &Engine; }

protected:
    int metric(PaintDeviceMetric M) const override {
        switch (M) {
        case PdmWidth: return 9600;
        case PdmHeight: return 12000;
        case PdmWidthMM: return 203;
        case PdmHeightMM: return 254;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 1200;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        default: return 0;
        }
    }

private:
    class Recorder : public QPaintEngine {
    public:
        explicit Recorder(RecordedPage& Page)
            : QPaintEngine(PrimitiveTransform | PixmapTransform | PainterPaths | AlphaBlend | Antialiasing),
              Page(Page) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF& R, const QImage&, const QRectF& S, Qt::ImageConversionFlags) override {
            Page.Images.push_back({painter()->combinedTransform().mapRect(R), S.toAlignedRect().size()});
        }
        void drawLines(const QLineF*, int N) override {
            const double Scale = painter()->combinedTransform().m11();
            for (int i = 0; i < N; ++i) Page.LineWidths.push_back(painter()->pen().widthF() * Scale);
        }
        void drawTextItem(const QPointF&, const QTextItem& Item) override {
            Page.Texts.push_back(Item.text().toStdString());
        }
        void drawRects(const QRectF*, int) override { Fill(); }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override { Fill(); }
        void drawPath(const QPainterPath&) override { Fill(); }

    private:
        void Fill() {
            if (painter()->brush().style() != Qt::NoBrush) Page.Fills.push_back(painter()->brush().color());
        }
        RecordedPage& Page;
    };
    mutable Recorder Engine{*this};
};

std::string MessageOf(const std::function<void()>& F) {
    try {
        F();
    } catch (const EZYLGeoMapError& e) {
        return e.what();
    }
    return "(no EZYLGeoMapError)";
}

}  // namespace

TEST_F(MapFiles, JpegAndBmpLoadWithProgressAndAnyCaseOfExtension) {
    EncodeJpegFile(Gradient(64, 48), P("a.JPEG"), 95, {});
    ASSERT_TRUE(Gradient(30, 20).save(QString::fromStdString(P("b.Bmp")), "BMP"));
    TGeoMap map;
    map.SetName("M");
    std::vector<int> progress;
    map.SetOnDataLoading([&](TObject* Sender, int Percent) {
        EXPECT_EQ(Sender, &map);
        progress.push_back(Percent);
    });
    map.SetMapImgName(P("a.JPEG"));
    EXPECT_EQ(map.MapImgFile(), P("a.JPEG"));
    EXPECT_EQ(map.MapImgWidth(), 64);
    EXPECT_EQ(map.MapImgHeight(), 48);
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    const QRgb decoded = map.MapBitmap().pixel(63, 47);
    EXPECT_NEAR(qRed(decoded), 255, 6);
    EXPECT_NEAR(qGreen(decoded), 255, 6);

    progress.clear();
    map.SetMapImgName(P("b.Bmp"));
    EXPECT_EQ(map.MapImgWidth(), 30);
    EXPECT_EQ(map.MapBitmap().pixel(29, 19), Gradient(30, 20).pixel(29, 19));
    EXPECT_EQ(progress, (std::vector<int>{0, 100}));
}

TEST_F(MapFiles, SizeLimitIsThreeMillionPixelsUnlessTheHostSetsAnother) {
    EncodeJpegFile(QImage(2000, 1500, QImage::Format_RGB32), P("ok.jpg"), 50, {});
    EncodeJpegFile(QImage(2001, 1500, QImage::Format_RGB32), P("big.jpg"), 50, {});
    TGeoMap map;
    map.SetName("M");
    map.SetMapImgName(P("ok.jpg"));
    EXPECT_EQ(map.MapImgWidth(), 2000);
    EXPECT_THROW(map.SetMapImgName(P("small.jpg")), EZYLGeoMapError);  // missing: reported, the map kept
    EXPECT_EQ(map.MapImgWidth(), 2000);
    EncodeJpegFile(Gradient(10, 10), P("small.jpg"), 90, {});
    map.SetMapImgName(P("small.jpg"));
    EXPECT_EQ(MessageOf([&] { map.SetMapImgName(P("big.jpg")); }),
              "Component \"M\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is 2001 x 1500)");
    EXPECT_EQ(map.MapImgFile(), P("small.jpg"));
    EXPECT_EQ(map.MapImgWidth(), 10);
    EXPECT_EQ(map.MapBitmap().width(), 10);
    EXPECT_THROW(map.SetMapBitMap(QImage(1500, 2001, QImage::Format_RGB32)), EZYLGeoMapError);
    EXPECT_EQ(map.MapImgFile(), P("small.jpg"));
    EXPECT_EQ(map.MaxImagePixels(), TGeoMap::MaxMapImagePixels);
    map.SetMaxImagePixels(1000);
    EXPECT_EQ(MessageOf([&] { map.SetMapImgName(P("big.jpg")); }),
              "Component \"M\": Cannot use map image, maximum of 1000 pixels exceeded (size of map is 2001 x 1500)");
    map.SetMaxImagePixels(0);
    map.SetImageMemoryMegabytes(4);  // and read in tiles
    map.SetMapImgName(P("big.jpg"));
    EXPECT_EQ(map.MapImgWidth(), 2001);
    EXPECT_TRUE(map.MapBitmap().isNull());
}

TEST_F(MapFiles, BrokenFilesRaiseAndLeaveTheMapAsItWas) {
    EncodeJpegFile(Gradient(40, 40), P("good.jpg"), 90, {});
    const std::string good = ReadFile(P("good.jpg"));
    WriteFile(P("cut.jpg"), good.substr(0, good.size() / 2));
    WriteFile(P("noise.jpg"), std::string(500, '\x5A'));
    ASSERT_TRUE(Gradient(8, 8).save(QString::fromStdString(P("png_inside.jpg")), "PNG"));
    ASSERT_TRUE(Gradient(8, 8).save(QString::fromStdString(P("pic.png")), "PNG"));
    ASSERT_TRUE(Gradient(20, 20).save(QString::fromStdString(P("pic.bmp")), "BMP"));
    const std::string bmp = ReadFile(P("pic.bmp"));
    WriteFile(P("cut.bmp"), bmp.substr(0, bmp.size() - 300));
    WriteFile(P("empty.bmp"), "");

    TGeoMap map;
    map.SetName("M");
    map.SetMapImgName(P("good.jpg"));
    const QImage before = map.MapBitmap();
    for (const char* bad : {"cut.jpg", "noise.jpg", "png_inside.jpg", "pic.png", "cut.bmp", "empty.bmp"}) {
        const std::string msg = MessageOf([&] { map.SetMapImgName(P(bad)); });
        EXPECT_EQ(msg.rfind("Component \"M\": Cannot use map image \"" + P(bad) + "\": ", 0), 0u) << msg;
        EXPECT_EQ(map.MapImgFile(), P("good.jpg")) << bad;
        EXPECT_EQ(map.MapBitmap(), before) << bad;
    }
}

// A BMP file of Width x Height pixels: 24-bit rows (stored from the top when
// TopDown), or an 8-bit run-length stream whose rows are runs of grey indexes.
std::string BmpBytes(int Width, int Height, bool TopDown, bool RunLength) {
    const auto le = [](std::string& s, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    std::string palette, data;
    if (RunLength) {
        for (int i = 0; i < 256; ++i) le(palette, static_cast<std::uint32_t>(i * 0x010101), 4);
        for (int y = 0; y < Height; ++y) data += {static_cast<char>(Width), static_cast<char>(y * 5), 0, 0};
        data += {0, 1};
    } else {
        const int rowBytes = (Width * 3 + 3) / 4 * 4;
        for (int r = 0; r < Height; ++r) {
            const int y = TopDown ? r : Height - 1 - r;  // the image row this file row holds
            std::string row(static_cast<std::size_t>(rowBytes), '\0');
            for (int x = 0; x < Width; ++x) row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<char>(x * 9 + y);
            data += row;
        }
    }
    std::string f = "BM";
    const auto offset = static_cast<std::uint32_t>(54 + palette.size());
    le(f, offset + static_cast<std::uint32_t>(data.size()), 4);
    le(f, 0, 4);
    le(f, offset, 4);
    le(f, 40, 4);
    le(f, static_cast<std::uint32_t>(Width), 4);
    le(f, static_cast<std::uint32_t>(TopDown ? -Height : Height), 4);
    le(f, 1, 2);
    le(f, RunLength ? 8 : 24, 2);
    le(f, RunLength ? 1 : 0, 4);
    le(f, static_cast<std::uint32_t>(data.size()), 4);
    for (int i = 0; i < 4; ++i) le(f, 0, 4);
    return f + palette + data;
}

TEST_F(MapFiles, BmpRowsFromTheTopAndRunLengthData) {
    WriteFile(P("up.bmp"), BmpBytes(30, 20, false, false));
    WriteFile(P("down.bmp"), BmpBytes(30, 20, true, false));
    const std::string rle = BmpBytes(30, 20, false, true);
    WriteFile(P("rle.bmp"), rle);
    WriteFile(P("rle_cut.bmp"), rle.substr(0, rle.size() - 2 * 4 * 20 / 3));  // two thirds of the rows

    TGeoMap map;
    map.SetName("M");
    map.SetMapImgName(P("up.bmp"));
    const QImage bottomUp = map.MapBitmap();
    map.SetMapImgName(P("down.bmp"));
    EXPECT_EQ(map.MapImgHeight(), 20);
    EXPECT_EQ(map.MapBitmap(), bottomUp);
    map.SetMapImgName(P("rle.bmp"));
    EXPECT_EQ(map.MapImgWidth(), 30);
    EXPECT_EQ(qGray(map.MapBitmap().pixel(0, 0)), 19 * 5);  // the last row stored is the top one
    const std::string msg = MessageOf([&] { map.SetMapImgName(P("rle_cut.bmp")); });
    EXPECT_NE(msg.find("cut off"), std::string::npos) << msg;
    EXPECT_EQ(map.MapImgFile(), P("rle.bmp"));
}

TEST_F(MapFiles, MissingFilesAreReportedAndKeepTheMapAndNamesMayDifferInCase) {
    EncodeJpegFile(Gradient(16, 8), P("Folder.jpg"), 90, {});
    TGeoMap map;
    map.SetMapImgName(P("folder.jpg"));  // as a calibration file names it
    EXPECT_EQ(map.MapImgWidth(), 16);
    EXPECT_EQ(map.MapImgFile(), P("folder.jpg"));
    const std::string msg = MessageOf([&] { map.SetMapImgName(P("nothere.jpg")); });
    EXPECT_NE(msg.find(P("nothere.jpg")), std::string::npos) << msg;
    EXPECT_EQ(map.MapImgFile(), P("folder.jpg"));
    EXPECT_EQ(map.MapImgWidth(), 16);

    // A calibration file whose image is missing: false, and the map as it was.
    TGeoMap other;
    other.CreateAndLoadEmptyMap(P("gone"), 40, 0, 41, 1, 1, 1, 150, 100);
    fs::remove(P("gone.bmp"));
    EXPECT_FALSE(map.LoadCalDataFromXML(P("gone.xml"), ""));
    EXPECT_EQ(map.MapImgFile(), P("folder.jpg"));
    EXPECT_EQ(map.MapImgWidth(), 16);
    EXPECT_EQ(map.CalibModel(), cmUndefined);  // not the generated map's
    map.SetMapImgName("");                     // an empty name still empties it
    EXPECT_EQ(map.MapImgFile(), "");
    EXPECT_EQ(map.MapImgWidth(), 0);

    std::string asked;
    map.SetOnMapImageRequest([&](TObject*, std::string& FileName) {
        asked = FileName;
        FileName = P("Folder.jpg");
    });
    map.SetMapImgName("elsewhere/map.jpg");
    EXPECT_EQ(asked, "elsewhere/map.jpg");
    EXPECT_EQ(map.MapImgFile(), "elsewhere/map.jpg");
    EXPECT_EQ(map.MapImgHeight(), 8);
}

TEST_F(MapFiles, SaveMapWritesAPairBesideItAndRenameKeepsTheExtension) {
    TGeoMap map;
    map.CreateEmptyMapInMemory(46, 7, 48, 10, 1, 1, 300, 200, true);
    map.SaveMap(P("x.tmp"), "set");
    EXPECT_EQ(map.MapImgFile(), "x.jpg");
    ASSERT_TRUE(fs::exists(P("x.jpg")));
    ASSERT_TRUE(fs::exists(P("x.xml")));
    TCalibData d;
    TCalibModel m;
    ASSERT_TRUE(ParseCalibData(P("x.xml"), "set", d, m));
    EXPECT_EQ(d.MapFName, "x.jpg");
    EXPECT_EQ(m, cmEquiRect);
    EXPECT_EQ(d.NumCalQuads, 9);

    TGeoMap loaded;
    ASSERT_TRUE(loaded.LoadCalDataFromXML(P("x.xml"), "SET"));  // the bare name is found beside the file
    EXPECT_EQ(loaded.MapImgWidth(), 300);
    EXPECT_EQ(loaded.MapImgFile(), P("x.jpg"));

    EXPECT_TRUE(loaded.RenameMapImg("some/where/New Name?.png"));  // no blanks or '?' in 8.3 names
    EXPECT_EQ(loaded.MapImgFile(), P("NewName.jpg"));
    EXPECT_TRUE(fs::exists(P("NewName.jpg")));
    EXPECT_FALSE(fs::exists(P("x.jpg")));
    // a file of the new name is never replaced
    WriteFile(P("taken.jpg"), "not a map");
    EXPECT_FALSE(loaded.RenameMapImg("taken"));
    EXPECT_EQ(loaded.MapImgFile(), P("NewName.jpg"));
    EXPECT_TRUE(fs::exists(P("NewName.jpg")));
    EXPECT_EQ(fs::file_size(P("taken.jpg")), 9u);
    EXPECT_FALSE(loaded.RenameMapImg("..."));
    EXPECT_FALSE(map.RenameMapImg("other"));  // x.jpg is gone
    TGeoMap empty;
    EXPECT_FALSE(empty.RenameMapImg("a"));
    EXPECT_THROW(empty.SaveMap(P("none.jpg"), "s"), EZYLGeoMapError);
}

TEST_F(MapFiles, AFailedSaveLeavesTheMapNamingTheFilesItCameFrom) {
    TGeoMap map;
    ASSERT_TRUE(Gradient(400, 300).save(QString::fromStdString(P("a.bmp")), "BMP"));
    map.SetMapImgName(P("a.bmp"));
    const std::string named = map.CalibData().MapFName;
    fs::create_directories(P("dir.xml"));  // the calibration file cannot be written
    for (const char* target : {"full.jpg", "dir.jpg"}) {
        SCOPED_TRACE(target);
        {
            const test::TFileSizeLimit limit(target == std::string("full.jpg") ? 0 : RLIM_INFINITY);
            EXPECT_THROW(map.SaveMap(P(target), "set"), EInOutError);
        }
        EXPECT_EQ(map.MapImgFile(), P("a.bmp"));
        EXPECT_EQ(map.CalibData().MapFName, named);
    }
}

TEST_F(MapFiles, AGeneratedMapLoadsFromItsOwnFolderAndPrefersTheImageBesideIt) {
    struct TWorkingDir {  // restored however the test ends
        fs::path Was = fs::current_path();
        ~TWorkingDir() { fs::current_path(Was); }
    } keep;
    fs::current_path(Dir);
    fs::create_directories("dd");
    fs::create_directories("other");
    TGeoMap map;
    map.CreateAndLoadEmptyMap("dd/z", 46, 7, 48, 10, 1, 1, 300, 200);
    ASSERT_EQ(map.CalibData().MapFName, "dd/z.bmp");  // the name as the maker gave it

    fs::current_path(Dir / "dd");
    TGeoMap moved;
    ASSERT_TRUE(moved.LoadCalDataFromXML("z.xml", ""));
    EXPECT_EQ(moved.MapImgWidth(), 300);
    // as the command-line renderer looks for it: a bare name is in the working directory
    EXPECT_EQ(FindFileIgnoringCase(MapImageBesideCalibration("dd/z.bmp", "z.xml")), "./z.bmp");

    // with "dd/z.bmp" also reachable as written, the copy beside the calibration wins
    fs::current_path(Dir);
    fs::copy_file("dd/z.xml", "other/z.xml");
    ASSERT_TRUE(Gradient(120, 80).save("other/z.bmp", "BMP"));
    TGeoMap copy;
    ASSERT_TRUE(copy.LoadCalDataFromXML("other/z.xml", ""));
    EXPECT_EQ(copy.MapImgWidth(), 120);
}

TEST_F(MapFiles, EmptyMapInMemoryIsNormalisedAndCalibrated) {
    TGeoMap map;
    map.CreateEmptyMapInMemory(48, 7, 46, 8, 0, -2, 50, 50, true);
    EXPECT_EQ(map.MapImgWidth(), 100);
    EXPECT_EQ(map.MapImgHeight(), 100);
    EXPECT_EQ(map.MapImgFile(), "$unknown$");
    EXPECT_EQ(map.CalibModel(), cmEquiRect);
    const TCalibData& d = map.CalibData();
    EXPECT_EQ(d.Caption, "Map generated by TGeoMap");
    // the corners are those of the picture, 30 pixels outside the plot area
    EXPECT_NEAR(d.Corners[gcoTopLeft].Latit, 48 + 30 * 2.0 / 40, 1e-9);
    EXPECT_NEAR(d.Corners[gcoTopLeft].Longit, 7 - 30 * 1.0 / 40, 1e-9);
    EXPECT_NEAR(d.Corners[gcoBottomRight].Latit, 46 - 30 * 2.0 / 40, 1e-9);
    ASSERT_EQ(d.NumCalQuads, 9);
    EXPECT_EQ(d.CalQuads[1].MapX, 30);
    EXPECT_EQ(d.CalQuads[1].MapY, 70);
    EXPECT_EQ(d.CalQuads[9].MapX, 70);
    EXPECT_EQ(d.CalQuads[9].MapY, 30);
    int x = 0, y = 0;
    ASSERT_TRUE(map.CalcPixelCoords(47, 7.5, x, y));
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
    int silver = 0;  // the 47° parallel of one-degree steps, dashed, through the middle
    for (int px = 31; px < 70; ++px) silver += (map.MapBitmap().pixel(px, 50) & 0xFFFFFF) == 0xC0C0C0u;
    EXPECT_GT(silver, 5);

    map.CreateEmptyMapInMemory(0, 0, 10, 10, 5, 5, 200, 100, false);
    EXPECT_EQ(map.CalibData().CalQuads[3].MapX, 200);
    EXPECT_EQ(map.CalibData().CalQuads[3].MapY, 100);
    EXPECT_EQ(map.CalibData().CalQuads[7].MapY, 0);

    EXPECT_THROW(map.CreateEmptyMapInMemory(0, 0, 1, 1, 1, 1, 3000, 1001, true), EZYLGeoMapError);
    EXPECT_EQ(map.MapImgWidth(), 200);
    // a step far below a pixel draws no lines instead of looping
    map.CreateEmptyMapInMemory(-90, -180, 90, 180, 1e-9, 1e-9, 200, 200, true);
    EXPECT_EQ(map.MapImgWidth(), 200);
    // bounds no map can have are refused, the map shown stays
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [latLow, longLow, latHigh, longHigh] : {std::array{95.0, 0.0, -95.0, 10.0},
                                                             {nan, 0.0, 10.0, 10.0},
                                                             {0.0, 0.0, 10.0, nan},
                                                             {0.0, -200.0, 10.0, 200.0},
                                                             {0.0, 0.0, 10.0, 1e6}}) {
        EXPECT_THROW(map.CreateEmptyMapInMemory(latLow, longLow, latHigh, longHigh, 1, 1, 100, 100, true),
                     EZYLGeoMapError)
            << latLow << " " << longLow << " " << latHigh << " " << longHigh;
        EXPECT_EQ(map.MapImgWidth(), 200);
    }
    // across the antimeridian, written 170 .. 190: labels name 170 W, not 190 E
    map.CreateEmptyMapInMemory(-20, 170, -10, 190, 5, 5, 200, 100, false);
    bool valid = false;
    EXPECT_NEAR(map.CalcLongitude(200, 50, valid), -170.0, 1e-9);
    EXPECT_TRUE(valid);
    EXPECT_EQ(GridLabel(185, false, 5), " 175 W ");
}

TEST(MapGrid, LabelFormatsFollowTheStep) {
    EXPECT_EQ(GridLabelFormat(0.05), dfDegMinSec);
    EXPECT_EQ(GridLabelFormat(0.06), dfDegMinSec);
    EXPECT_EQ(GridLabelFormat(0.5), dfDegMin);
    EXPECT_EQ(GridLabelFormat(2), dfDecimal);
    EXPECT_EQ(GridLabel(-47.5, true, 0.5), " 47°30' S ");
    EXPECT_EQ(GridLabel(8, false, 2), " 8 E ");
    EXPECT_EQ(GridLabel(-0.05, false, 0.05), " 0°03'00\" W ");
}

TEST_F(MapFiles, GeneratedMapFileLoadsAsTheSamePicture) {
    TGeoMap map;
    map.resize(320, 240);
    bool drawn = false;
    map.CreateAndLoadEmptyMap(P("Gen.tmp"), 47, 8, 46, 9.5, 0.25, 0.5, 400, 300,
                              [&](TObject*, TCanvas& C, double LatLow, double, double LatHigh, double, int W, int H) {
                                  drawn = true;
                                  EXPECT_EQ(LatLow, 46);
                                  EXPECT_EQ(LatHigh, 47);
                                  EXPECT_EQ(W, 400);
                                  EXPECT_EQ(H, 300);
                                  C.Brush.Color = 0x0000FF;
                                  C.FillRect({100, 100, 110, 110});
                              });
    EXPECT_TRUE(drawn);
    const std::string bmp = ReadFile(P("Gen.bmp"));
    ASSERT_GE(bmp.size(), 118u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 4);  // bits per pixel
    EXPECT_EQ(bmp.size(), 118u + 200u * 300u);
    const std::string xml = ReadFile(P("Gen.xml"));
    EXPECT_NE(xml.find("id=\"ZYL_geomap_caldata\" model=\"biquadraticpn\""), std::string::npos);

    EXPECT_EQ(map.MapImgWidth(), 400);
    EXPECT_EQ(map.CalibModel(), cmBiquadraticPn);
    EXPECT_EQ(map.MapBitmap().pixel(105, 105) & 0xFFFFFF, 0xFF0000u);  // the host's red square
    int x = 0, y = 0;
    ASSERT_TRUE(map.CalcPixelCoords(46.5, 8.75, x, y));
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, 150);

    TGeoMap again;
    again.resize(320, 240);
    ASSERT_TRUE(again.LoadCalDataFromXML(P("Gen.xml"), "zyl_geomap_caldata"));
    EXPECT_EQ(again.AuxBitmap().copy(0, 0, 320, 240), map.AuxBitmap().copy(0, 0, 320, 240));
    EXPECT_EQ(again.MapBitmap(), map.MapBitmap());
}

TEST_F(MapFiles, CalibrationThroughTheMapFileAndStream) {
    TGeoMap map;
    map.SetName("M");
    map.CreateEmptyMapInMemory(40, 10, 42, 13, 1, 1, 300, 200, true);
    map.SetUTMZone(32);
    TMemoryStream s;
    map.SaveCalDataAsXML(s, "clip");
    map.SaveCalDataAsXML(P("c.xml"), "file");
    EXPECT_GT(map.CalibData().Resolution, 0);  // extents and resolution are computed before writing

    TGeoMap fromStream;
    s.SetPosition(0);
    ASSERT_TRUE(fromStream.LoadCalDataFromXML(s, "CLIP"));
    EXPECT_EQ(fromStream.CalibModel(), cmEquiRect);
    EXPECT_EQ(fromStream.CalibData().NumCalQuads, 9);
    EXPECT_EQ(fromStream.CalibData().MapFName, "$unknown$");
    TGeoMap fromFile;
    ASSERT_TRUE(fromFile.LoadCalDataFromXML(P("c.xml"), ""));
    EXPECT_EQ(fromFile.GetUTMZone(), 32);
    EXPECT_FALSE(fromFile.LoadCalDataFromXML(P("c.xml"), "other"));
    EXPECT_EQ(fromFile.CalibModel(), cmEquiRect);  // a set not found changes nothing
    EXPECT_FALSE(fromFile.LoadCalDataFromXML(P("none.xml"), ""));

    WriteFile(P("p.xml"), "<geomap sig=\"ZYLCSuite\" id=\"p\" model=\"parabolicip\">\r\n"
                          "<calline type=\"meridian\" value=\"10\" npoints=\"2\">[1,1] [1,100]</calline>\r\n"
                          "<calline type=\"parallel\" value=\"41\" npoints=\"3\">[1,50] [50,50] [100,51]</calline>\r\n"
                          "</geomap>\r\n");
    TGeoMap para;
    para.SetName("P");
    para.LoadCalDataFromXML(P("p.xml"), "p");
    EXPECT_EQ(para.CalibModel(), cmParabolicIp);  // read back as saved, though not usable with one line
    ASSERT_EQ(para.CalibData().NumCalLines, 1);
    EXPECT_EQ(para.CalibData().CalLines[1].LineValue, 41);

    WriteFile(P("bad.xml"),
              "<geomap sig=\"ZYLCSuite\" id=\"b\">\r\n<calquads npoints=\"3\">[1,2,3,4]</calquads>\r\n</geomap>\r\n");
    EXPECT_EQ(MessageOf([&] { para.LoadCalDataFromXML(P("bad.xml"), "b"); }),
              "Component \"P\": specified number of calibration points and actual number does not match");

    fromFile.SetCalDatName(P("none.xml"));
    EXPECT_EQ(fromFile.CalibDataFile(), "");
    EXPECT_EQ(fromFile.MapImgFile(), "");
    fromFile.SetCalDatName(P("c.xml"));
    EXPECT_EQ(fromFile.CalibDataFile(), P("c.xml"));
    EXPECT_EQ(fromFile.CalibData().NumCalQuads, 9);
}

TEST_F(MapFiles, LandmarksRoundTripWithoutEvents) {
    TGeoMap map;
    map.AddLandMark(47.123456789, 8.5, 400.25, "One", 45000.5, "Caption one", 9, 0x00FF00);
    map.AddLandMark(-33.9, 151.2, 0.0);
    TLandMark second = map.GetLandMarkData(2);
    second.SymbolProps.Kind = lmSpade;
    second.Caption.FontStyles = {fsBold, fsUnderline};
    map.SetLandMarkData(2, second);
    map.SetHighLM(2);
    map.SaveLandmarks(P("lm.xml"), "Marks");

    TGeoMap other;
    other.AddLandMark(1, 1, 1);
    int events = 0;
    other.SetOnLandMarkAction([&](TObject*, bool&, TLandMarkAction, const TLandMark&) { ++events; });
    ASSERT_TRUE(other.LoadLandMarks(P("lm.xml"), "marks"));
    EXPECT_EQ(events, 0);
    ASSERT_EQ(other.NumLandMarks(), 2);
    EXPECT_EQ(other.GetLandMarkData(2), map.GetLandMarkData(2));
    EXPECT_EQ(other.GetLandMarkData(1), map.GetLandMarkData(1));  // 2023-03-15 12:00, whole seconds
    EXPECT_FALSE(other.LoadLandMarks(P("lm.xml"), "nothing"));
    EXPECT_EQ(other.NumLandMarks(), 2);
    EXPECT_EQ(other.LandMarksSkipped(), 0);
    // a landmark that cannot be is skipped and counted for the host, one across
    // the antimeridian kept
    WriteFile(P("bad.xml"), "<gmlandmarks sig=\"ZYLCSuite\" id=\"b\">\r\n<landmark lat=\"nan\" />\r\n"
                            "<landmark lat=\"-16\" long=\"181\" />\r\n<landmark class=\"300\" />\r\n");
    ASSERT_TRUE(other.LoadLandMarks(P("bad.xml"), "b"));
    EXPECT_EQ(other.NumLandMarks(), 1);
    EXPECT_EQ(other.GetLandMarkData(1).Longitude, -179.0);
    EXPECT_EQ(other.LandMarksSkipped(), 2);
}

TEST_F(MapFiles, ClipboardCopyHasTheOutlineAndLeavesTheEdges) {
    TGeoMap map;
    map.resize(120, 90);
    map.CreateEmptyMapInMemory(0, 0, 1, 1, 0.5, 0.5, 200, 200, true);
    map.CopyToClipboard();
    const QImage copy = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copy.size(), QSize(120, 90));
    ExpectPixels(copy,
                 {{1, 1, 0x000000}, {118, 88, 0x000000}, {60, 88, 0x000000}, {0, 0, 0xFFFFFF}, {119, 45, 0xFFFFFF}});
    EXPECT_EQ(copy.copy(2, 2, 116, 86), map.AuxBitmap().copy(2, 2, 116, 86));

    map.CopyEntireMapToClipboard();
    const QImage whole = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(whole.size(), QSize(200, 200));
    EXPECT_EQ(whole.pixel(30, 60) & 0xFFFFFF, 0u);  // the grid outline at magnification 1
}

TEST_F(MapFiles, ExportRendersAWindowAndPrintsToPdf) {
    TGeoMap map;
    map.resize(150, 100);
    map.CreateEmptyMapInMemory(46, 7, 48, 10, 0.5, 0.5, 400, 300, true);
    map.AddLandMark(47, 8.5, 0);
    map.SetFrameStyle(fsNone);
    map.SetMagnification(1.0);
    map.SetTopLeft({50, 40});
    QImage dest(200, 150, QImage::Format_RGB32);
    dest.fill(Qt::black);
    map.CopyToBMP(dest, {50, 40}, 1.0, 10, 20, 150, 100);
    EXPECT_EQ(dest.copy(10, 20, 150, 100), map.AuxBitmap().copy(0, 0, 150, 100));
    EXPECT_EQ(dest.pixel(5, 5) & 0xFFFFFF, 0u);  // outside the window: untouched

    int w = 0, h = 0;
    map.CalcExtentsOfPrint({0, 0, 400, 300}, 1000000, w, h);
    const double res = map.CalibData().Resolution;
    ASSERT_GT(res, 0);
    EXPECT_EQ(w, static_cast<int>(std::lround(400 * res * 10000 / 1000000)));
    map.CalcExtentsOfPrint({0, 0, 400, 300}, 0, w, h);
    EXPECT_EQ(w, 0);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(P("map.pdf")));
    map.PrintIt(1.0, printer);
    const std::string pdf = ReadFile(P("map.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_GT(pdf.size(), 1000u);

    QPrinter printer2(QPrinter::ScreenResolution);
    printer2.setOutputFormat(QPrinter::PdfFormat);
    printer2.setOutputFileName(QString::fromStdString(P("window.pdf")));
    QPainter painter(&printer2);
    int x = 0, y = 0;
    map.CopyToOpenPrinter(painter, x, y, 2.0);
    EXPECT_EQ(y, 200);
    map.CopyToOpenPrinter(painter, TRect{0, 0, 200, 150}, 1000000, 100, 100);
    map.CopyToOpenPrinter(painter, TPoint{0, 0}, 1000000, 100, 900, 500, 300);
    painter.end();
    EXPECT_GT(ReadFile(P("window.pdf")).size(), 1000u);
}

// Every printing form draws the image from its own pixels, lines as strokes
// one control pixel (1/96 inch) wide, captions as text, and no grey margin.
TEST_F(MapFiles, PrintsDrawVectorsOverTheImageAtItsOwnResolution) {
    TGeoMap map;
    map.resize(150, 100);  // larger than the image: a grey margin on screen
    QImage board(100, 60, QImage::Format_RGB32);
    board.fill(qRgb(255, 255, 255));
    map.SetMapBitMap(board);
    test::CalibrateEquiRect(map, 48, 16, 47, 17);
    map.SetShowGrat(sgLines);
    map.AddLandMark(47.5, 16.5, 0.0, "Hill", 9, 0x000080);
    const int Scale = 10000000;
    int w = 0, h = 0;
    map.CalcExtentsOfPrint({0, 0, 100, 60}, Scale, w, h);
    const struct {
        const char* Form;
        std::function<void(QPainter&)> Print;
        QRectF ImageOnPage;
    } Cases[] = {
        {"view",
         [&](QPainter& P) {
             int x = 120, y = 0;
             map.CopyToOpenPrinter(P, x, y, 1.0);
         },
         {120 + 25 * 12.5, 20 * 12.5, 1250, 750}},  // centred in the control, 12.5 device pixels per control pixel
        {"window",
         [&](QPainter& P) {
             map.CopyToOpenPrinter(P, TRect{0, 0, 100, 60}, Scale, 100, 200);
         },
         {100 * 1200 / 254.0, 200 * 1200 / 254.0, w * 1200 / 254.0, h * 1200 / 254.0}},
        {"size",
         [&](QPainter& P) {
             map.CopyToOpenPrinter(P, TPoint{0, 0}, Scale, 100, 200, w, h);
         },
         {100 * 1200 / 254.0, 200 * 1200 / 254.0, w * 1200 / 254.0, h * 1200 / 254.0}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Form);
        RecordedPage page;
        QPainter painter(&page);
        Case.Print(painter);
        painter.end();
        ASSERT_EQ(page.Images.size(), 1u);
        EXPECT_EQ(page.Images[0].Source, QSize(100, 60));
        // Within the rounding of the printed size to tenths of a millimetre.
        EXPECT_NEAR(page.Images[0].Target.left(), Case.ImageOnPage.left(), 1.5);
        EXPECT_NEAR(page.Images[0].Target.top(), Case.ImageOnPage.top(), 1.5);
        EXPECT_NEAR(page.Images[0].Target.width(), Case.ImageOnPage.width(), 1.5);
        EXPECT_NEAR(page.Images[0].Target.height(), Case.ImageOnPage.height(), 1.5);
        EXPECT_GT(page.LineWidths.size(), 20u);  // graticule, symbol (and frame)
        for (double Width : page.LineWidths) EXPECT_NEAR(Width, 1200 / 96.0, 1e-9);
        EXPECT_EQ(page.Texts, std::vector<std::string>{"Hill"});
        for (const QColor& C : page.Fills) EXPECT_NE(C, ToQColor(map.ColorBackGnd()));
    }
}

// A caption that would overlap one drawn before is left out, and a landmark
// beyond the image is not drawn on the background around it.
TEST_F(MapFiles, CaptionsDoNotPileUpAndLandmarksOffTheImageAreLeftOut) {
    TGeoMap map;
    map.resize(150, 100);  // the image centred, the background around it
    QImage board(100, 60, QImage::Format_RGB32);
    board.fill(qRgb(255, 255, 255));
    map.SetMapBitMap(board);
    test::CalibrateEquiRect(map, 48, 16, 47, 17);
    const struct {
        double Lat, Long;
        const char* Caption;
    } Marks[] = {{47.5, 16.5, "First"}, {47.51, 16.51, "Second"}, {47.1, 16.1, "Apart"}, {48.1, 16.5, "Beyond"}};
    for (const auto& M : Marks) map.AddLandMark(M.Lat, M.Long, 0.0, M.Caption, 9, 0x000080);
    RecordedPage page;
    QPainter painter(&page);
    int x = 0, y = 0;
    map.CopyToOpenPrinter(painter, x, y, 1.0);
    painter.end();
    EXPECT_EQ(page.Texts, (std::vector<std::string>{"First", "Apart"}));
}

// PrintMap's layouts: the image from its own pixels at the size the layout
// asks for, centred across the page, the scale written below it; losslessly in a PDF.
TEST_F(MapFiles, PrintedLayoutsFitThePageOrKeepTheirScale) {
    TGeoMap map;
    map.resize(150, 100);
    QImage board(100, 60, QImage::Format_RGB32);
    board.fill(qRgb(200, 230, 200));
    map.SetMapBitMap(board);
    test::CalibrateEquiRect(map, 48, 16, 47, 17);
    map.SetMagnification(3);
    map.SetTopLeft({20, 10});  // shows 50 x 33.3 image pixels
    int w = 0, h = 0;
    map.CalcExtentsOfPrint({0, 0, 100, 60}, 1000000, w, h);
    const double Res = map.CalibData().Resolution;
    ASSERT_GT(Res, 0);
    const auto ScaleAt = [&](double DevicePixelsPerImagePixel) {
        return std::lround(Res / (DevicePixelsPerImagePixel / 1200 * 0.0254));
    };
    const int Chosen = int(ScaleAt(48));  // the map 4800 device pixels wide
    using TArea = TPrintLayout::TArea;
    const struct {
        const char* Layout;
        TPrintLayout Asked;
        QSize Source;
        double Left, Width;
        long Scale;
    } Cases[] = {
        {"view fitted", {TArea::paView, 0}, {50, 34}, 0, 9600, ScaleAt(192)},
        {"whole map fitted", {TArea::paWholeMap, 0}, {100, 60}, 0, 9600, ScaleAt(96)},
        {"whole map at a scale", {TArea::paWholeMap, Chosen}, {100, 60}, 2400, 4800, Chosen},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Layout);
        RecordedPage page;
        QPainter painter(&page);
        EXPECT_EQ(map.PrintMap(painter, C.Asked), C.Scale);
        painter.end();
        ASSERT_EQ(page.Images.size(), 1u);
        EXPECT_EQ(page.Images[0].Source.width(), C.Source.width());
        EXPECT_NEAR(page.Images[0].Source.height(), C.Source.height(), 1);
        EXPECT_NEAR(page.Images[0].Target.left(), C.Left, 2);
        EXPECT_NEAR(page.Images[0].Target.width(), C.Width, 2);
        ASSERT_FALSE(page.Texts.empty());
        std::string Written = page.Texts.back();
        for (std::size_t At; (At = Written.find("\u2009")) != std::string::npos;) Written.erase(At, 3);
        EXPECT_EQ(Written, "Scale 1:" + std::to_string(C.Scale));
    }
    // The image in a PDF as it is, not a JPEG of it.
    {
        QPdfWriter pdf(QString::fromStdString(P("layout.pdf")));
        QPainter painter(&pdf);
        EXPECT_GT(map.PrintMap(painter, {TArea::paWholeMap, 0}), 0);
    }
    const std::string Pdf = ReadFile(P("layout.pdf"));
    EXPECT_NE(Pdf.find("/Width 100"), std::string::npos);
    EXPECT_EQ(Pdf.find("DCTDecode"), std::string::npos);
}

// Large scales: the size is computed without overflow or refused, only the
// part on the page is rendered (in a moment, not as a picture of square
// metres), and a window off the page is an error, not a blank page.
TEST_F(MapFiles, PrintingAtLargeScalesRendersThePageOrRefuses) {
    TGeoMap map;
    map.CreateEmptyMapInMemory(46, 7, 48, 10, 0.5, 0.5, 400, 300, true);
    QImage red(400, 300, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    map.SetMapBitMap(red);
    int w = 0, h = 0;
    EXPECT_THROW(map.CalcExtentsOfPrint({0, 0, 400, 300}, 1, w, h), EZYLGeoMapError);  // 1:1 is kilometres of paper
    map.CalcExtentsOfPrint({-2000000000, 0, 2000000000, 1}, 1000000000, w, h);         // a side beyond 32 bits
    EXPECT_GT(w, 0);

    QImage page(600, 800, QImage::Format_RGB32);  // 96 dpi
    page.fill(Qt::white);
    QPainter painter(&page);
    map.CopyToOpenPrinter(painter, TRect{0, 0, 400, 300}, 1000, 100, 100);  // some 200 m wide on paper
    EXPECT_THROW(map.CopyToOpenPrinter(painter, TRect{0, 0, 400, 300}, 1000000, 100000, 100), EZYLGeoMapError);
    painter.end();
    ExpectPixels(page, {{2, 2, 0xFFFFFF, "left of and above the window"}, {300, 400, 0x0000FF}, {599, 799, 0x0000FF}});
}

// ---- forms: restoring and designing

TEST_F(MapFiles, RestoredFilesLoadFirstAndTheFormsValuesWinInAnyOrder) {
    {
        TGeoMap saved;
        saved.CreateEmptyMapInMemory(46, 7, 48, 10, 1, 1, 300, 200, true);  // cmEquiRect
        saved.SaveMap(P("m.jpg"), "");
    }
    std::vector<std::pair<const char*, QVariant>> restored = {{"CalibModel", static_cast<int>(cmMillerCylindrical)},
                                                              {"MapImgFile", QString::fromStdString(P("m.jpg"))},
                                                              {"CalibDataFile", QString::fromStdString(P("m.xml"))},
                                                              {"ColorBackGnd", 255u}};
    for (const bool reversed : {false, true}) {
        SCOPED_TRACE(reversed);
        if (reversed) std::reverse(restored.begin(), restored.end());
        TGeoMap map;
        int imageRequests = 0;
        map.SetOnMapImageRequest([&](TObject*, std::string&) { ++imageRequests; });
        map.BeginLoading();
        for (const auto& [name, value] : restored) ASSERT_TRUE(map.setProperty(name, value));
        EXPECT_EQ(map.MapImgWidth(), 0);
        EXPECT_TRUE(map.AuxBitmap().isNull());  // nothing painted yet
        map.Loaded();
        EXPECT_FALSE(map.Loading());
        EXPECT_EQ(imageRequests, 2);  // the calibration's image, then the form's, once each
        EXPECT_EQ(map.CalibDataFile(), P("m.xml"));
        EXPECT_EQ(map.MapImgWidth(), 300);
        EXPECT_EQ(map.CalibModel(), cmMillerCylindrical);
        EXPECT_FALSE(map.AuxBitmap().isNull());
    }
}

TEST_F(MapFiles, ADesignedMapKeepsFileNamesDrawsAPlaceholderAndFiresNothing) {
    {
        TGeoMap saved;
        saved.CreateEmptyMapInMemory(46, 7, 48, 10, 1, 1, 300, 200, true);
        saved.SaveMap(P("d.jpg"), "");
    }
    TGeoMap map;
    int events = 0;
    map.SetOnZoomPan([&](TObject*) { ++events; });
    map.SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { ++events; });
    map.SetOnMapImageRequest([&](TObject*, std::string&) { ++events; });
    map.SetDesigning(true);
    map.setProperty("CalibDataFile", QString::fromStdString(P("d.xml")));
    map.setProperty("MapImgFile", QString::fromStdString(P("d.jpg")));
    EXPECT_EQ(map.CalibDataFile(), P("d.xml"));
    EXPECT_EQ(map.MapImgFile(), P("d.jpg"));
    EXPECT_EQ(map.MapImgWidth(), 0);  // named, not loaded
    map.DoZoomPanEvent();
    test::SendMouse(map, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(events, 0);
    // A graticule of the form's colour where an empty map shows only its background.
    EXPECT_EQ(map.AuxBitmap().pixel(50, 200), qRgb(0, 0, 255));
}
