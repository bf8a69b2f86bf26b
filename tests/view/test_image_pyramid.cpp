// Large map images read as a pyramid of tiles.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "file_bytes.h"
#include "qt_input.h"
#include "scratch_dir.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/map_grid.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/geomap/view/image_pyramid.h"
#include "zylcarto/geomap/view/jpeg_codec.h"

using namespace zylcarto;
namespace fs = std::filesystem;

namespace {

// Smooth enough for JPEG, with edges so that a misplaced tile shows.
QImage TestPicture(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            I.setPixel(x, y, qRgb(x * 255 / W, y * 255 / H, (x / 64 + y / 64) % 2 ? 200 : 40));
    return I;
}

// Mean absolute difference per channel.
double MeanDifference(const QImage& A, const QImage& B) {
    double sum = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x) {
            const QRgb a = A.pixel(x, y), b = B.pixel(x, y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    return sum / (3.0 * A.width() * A.height());
}

class ImagePyramid : public ::testing::Test {
protected:
    void SetUp() override { Dir = test::TestDir(); }
    void TearDown() override { fs::remove_all(Dir); }
    std::string P(const std::string& Name) const { return (Dir / Name).string(); }
    fs::path Dir;
};

TEST_F(ImagePyramid, EveryLevelMatchesTheWholePictureScaled) {
    // 1100 x 700: three levels, the top one held, the two below it in bands of
    // tiles cut at the edges; a budget of a few tiles forces eviction and re-reading.
    const QImage picture = TestPicture(1100, 700);
    EncodeJpegFile(picture, P("map.jpg"), 95, {});
    ASSERT_TRUE(picture.save(QString::fromStdString(P("map.bmp"))));
    struct Case {
        std::string File;
        bool OnDisk;
        double Tolerance;
    };
    for (const Case& c : {Case{"map.jpg", false, 4.0}, Case{"map.jpg", true, 4.0}, Case{"map.bmp", true, 1.0}}) {
        SCOPED_TRACE(c.File + (c.OnDisk ? " on disk" : " in memory"));
        int lastPercent = -1;
        const TImagePyramid pyramid(P(c.File), {3 * 256 * 256 * 4, c.OnDisk ? Dir.string() : ""}, {},
                                    [&](int Percent) { lastPercent = Percent; });
        EXPECT_EQ(lastPercent, 100);
        ASSERT_EQ(pyramid.Size(), picture.size());
        ASSERT_EQ(pyramid.Levels(), 3);
        for (int level = 0; level < pyramid.Levels(); ++level) {
            SCOPED_TRACE(level);
            const QSize size = pyramid.LevelSize(level);
            const QImage scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            for (int pass = 0; pass < 2; ++pass)  // the second from kept or evicted tiles
                EXPECT_LT(MeanDifference(pyramid.Region(level, QRect(QPoint(0, 0), size)), scaled), c.Tolerance);
            const QRect odd(size.width() / 3, size.height() / 5, size.width() / 2, size.height() / 2);
            EXPECT_LT(MeanDifference(pyramid.Region(level, odd), scaled.copy(odd)), c.Tolerance);
            // Views share whole tiles and copy the rest: the same pixels either way.
            for (const QRect& r : {QRect(256, 256, 256, 256), QRect(QPoint(0, 0), size).intersected({1024, 512, 256, 256}),
                                   QRect(QPoint(256, 0), size - QSize(256, 0)), odd})
                if (!r.isEmpty()) {
                    EXPECT_EQ(pyramid.View(level, r), pyramid.Region(level, r));
                }
        }
        if (c.File == "map.bmp") {
            EXPECT_EQ(pyramid.Region(0, QRect(0, 0, 1100, 700)), picture);
        }
    }
}

TEST_F(ImagePyramid, BrokenFilesRaiseAndPartsOutsideComeBackGrey) {
    EncodeJpegFile(TestPicture(900, 600), P("good.jpg"), 90, {});
    const std::string bytes = test::ReadFile(P("good.jpg"));
    test::WriteFile(P("cut.jpg"), bytes.substr(0, bytes.size() / 2));
    test::WriteFile(P("junk.jpg"), "not a jpeg at all");
    ASSERT_TRUE(TestPicture(900, 600).save(QString::fromStdString(P("good.bmp"))));
    const std::string bmp = test::ReadFile(P("good.bmp"));
    test::WriteFile(P("cut.bmp"), bmp.substr(0, bmp.size() - 1000));
    for (const char* name : {"cut.jpg", "junk.jpg", "cut.bmp", "good.png"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(TImagePyramid(P(name), {}, {}, {}), EImageDecodeError);
    }
    EXPECT_THROW(DecodeJpegPart(P("good.jpg"), 2, QRect(400, 0, 100, 10), {}, {}), EImageDecodeError);
    const TImagePyramid pyramid(P("good.jpg"), {}, {}, {});
    const QImage beyond = pyramid.Region(0, QRect(890, 590, 20, 20));
    EXPECT_EQ(beyond.pixel(19, 19), 0xFFC0C0C0);
    EXPECT_NE(beyond.pixel(0, 0), 0xFFC0C0C0);
}

TEST_F(ImagePyramid, AMapAboveTheMemoryLimitIsReadInTilesAndClicksConvertAsWhole) {
    // A generated map of 1.6 MB: held whole by default, in tiles above a 1 MB limit.
    const TGeneratedMapBounds b{45, 5, 46, 6, 0.25, 0.25, 800, 500};
    WriteGeneratedMapJpeg(b, P("gen.jpg"), {});
    TTextFile xml;
    xml.OpenWrite(P("gen.xml"));
    WriteRawCalDataToOpenXMLFile(xml, true, "id", GeneratedMapCalibration(b, true, "gen.jpg"), cmBiquadraticPn);
    xml.Close();
    TGeoMap whole, tiled;
    tiled.SetImageMemoryMegabytes(1);
    tiled.SetImageTileFolder(Dir.string());
    std::vector<int> progress;
    tiled.SetOnDataLoading([&](TObject*, int Percent) { progress.push_back(Percent); });
    for (TGeoMap* map : {&whole, &tiled}) {
        map->resize(300, 200);
        map->show();
        ASSERT_TRUE(map->LoadCalDataFromXML(P("gen.xml"), "id"));
        map->SetMagnification(2);
        map->BringMapPixelToCenter({410, 260});
        test::SendMouse(*map, QEvent::MouseButtonPress, {37, 151}, Qt::LeftButton);
        test::SendMouse(*map, QEvent::MouseButtonRelease, {37, 151}, Qt::LeftButton);
    }
    EXPECT_TRUE(tiled.MapBitmap().isNull());
    EXPECT_FALSE(whole.MapBitmap().isNull());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(tiled.MapImgWidth(), 800);
    EXPECT_EQ(tiled.LastClickPosX(), whole.LastClickPosX());
    EXPECT_EQ(tiled.LastClickPosY(), whole.LastClickPosY());
    EXPECT_DOUBLE_EQ(tiled.GetLastMClickLatitude(), whole.GetLastMClickLatitude());
    EXPECT_DOUBLE_EQ(tiled.GetLastMClickLongitude(), whole.GetLastMClickLongitude());
    EXPECT_LT(MeanDifference(tiled.AuxBitmap(), whole.AuxBitmap()), 1.0);
    // Saving streams the tiles back into a JPEG of the same picture.
    tiled.SaveMap(P("copy.xml"), "id");
    const QImage saved = DecodeJpegFile(P("copy.jpg"), {}, {});
    EXPECT_LT(MeanDifference(saved, whole.MapBitmap()), 2.0);
}

}  // namespace
