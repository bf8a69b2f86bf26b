// Large map images read as a pyramid of tiles.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
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

TEST_F(ImagePyramid, RowsOfAColumnSpanAreThoseOfAFullDecode) {
    // 4:2:0 chroma with edges every 64 pixels: smooth upsampling at a crop's
    // side would differ from the full decode there.
    EncodeJpegFile(TestPicture(1000, 700), P("map.jpg"), 90, {});
    struct Case {
        int Scale, FirstColumn, Columns, FirstRow, Rows;
    };
    for (const Case& c : {Case{1, 0, 0, 0, 700}, Case{1, 256, 100, 17, 40}, Case{1, 250, 37, 300, 50},
                          Case{1, 970, 30, 680, 20}, Case{2, 128, 64, 50, 30}, Case{2, 61, 200, 331, 19},
                          Case{4, 200, 50, 160, 15}}) {
        SCOPED_TRACE(testing::Message() << "1/" << c.Scale << " columns " << c.FirstColumn << "+" << c.Columns
                                        << " rows " << c.FirstRow << "+" << c.Rows);
        const QImage whole = DecodeJpegPart(P("map.jpg"), c.Scale, {}, {}, {});
        TJpegRowReader reader(P("map.jpg"), c.Scale, c.FirstColumn, c.Columns);
        const int columns = c.Columns ? c.Columns : whole.width();
        ASSERT_EQ(reader.Columns(), columns);
        int rows = 0;
        reader.ReadRows(c.FirstRow, c.Rows, [&](int Row, const QRgb* Pixels) {
            ASSERT_EQ(Row, c.FirstRow + rows++);
            const auto* expected = reinterpret_cast<const QRgb*>(whole.constScanLine(Row)) + c.FirstColumn;
            ASSERT_TRUE(std::equal(Pixels, Pixels + columns, expected)) << "row " << Row;
        });
        EXPECT_EQ(rows, c.Rows);
        const QRect part(c.FirstColumn, c.FirstRow, columns, c.Rows);
        EXPECT_EQ(DecodeJpegPart(P("map.jpg"), c.Scale, part, {}, {}), whole.copy(part));
    }
}

TEST_F(ImagePyramid, TilesReadAgainOrIntoRecycledMemoryAreTheDecodersPixels) {
    // Windows that keep evicting one another from a budget of eight tiles, so
    // that new tiles take evicted ones' memory; each read is compared whole
    // with the decoder's picture, which cropped decoding must match exactly.
    EncodeJpegFile(TestPicture(2100, 1300), P("map.jpg"), 90, {});
    const QImage full = DecodeJpegFile(P("map.jpg"), {}, {});
    const QImage half = DecodeJpegPart(P("map.jpg"), 2, {}, {}, {});
    const std::vector<QRect> windows{{300, 200, 700, 500}, {1500, 900, 600, 400}, {0, 0, 2100, 300},
                                     {300, 200, 700, 500}, {250, 190, 800, 520}, {1999, 1100, 101, 200}};
    for (const bool onDisk : {false, true}) {
        SCOPED_TRACE(onDisk ? "on disk" : "in memory");
        const TImagePyramid pyramid(P("map.jpg"), {8 * 256 * 256 * 4, onDisk ? Dir.string() : ""}, {}, {});
        for (const QRect& w : windows) {
            SCOPED_TRACE(testing::Message() << w.x() << "," << w.y() << " " << w.width() << "x" << w.height());
            pyramid.Prepare(0, w.adjusted(0, 0, 0, -w.height() / 2));
            EXPECT_EQ(pyramid.Region(0, w), full.copy(w));
            const QRect h(w.x() / 2, w.y() / 2, w.width() / 2, w.height() / 2);
            EXPECT_EQ(pyramid.Region(1, h), half.copy(h));
        }
    }
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
