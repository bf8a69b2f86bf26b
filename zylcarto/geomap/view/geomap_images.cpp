// Map images: loading JPEG and BMP files, saving, renaming, generated maps.
#include <QImageReader>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/bmp4.h"
#include "zylcarto/geomap/view/bmp_check.h"
#include "zylcarto/geomap/view/file_lookup.h"
#include "zylcarto/geomap/view/file_rename.h"
#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/geomap/view/jpeg_codec.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/geomap/view/map_grid.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

constexpr int kJpegQuality = 90;
constexpr const char* kGeneratedDataID = "ZYL_geomap_caldata";

QImage BlankMapPicture(int Wid, int Hgt) {
    QImage picture(Wid, Hgt, ViewImageFormat);
    picture.fill(Qt::white);
    return picture;
}

}  // namespace

void CheckMapImageSize(int Width, int Height, const std::string& ComponentName, long long MaxPixels) {
    if (MaxPixels > 0 && static_cast<long long>(Width) * Height > MaxPixels)
        throw EZYLGeoMapError(
            ComponentMessage(ComponentName, "Cannot use map image, maximum of " + std::to_string(MaxPixels) +
                                                " pixels exceeded (size of map is " + std::to_string(Width) + " x " +
                                                std::to_string(Height) + ")"));
}

QImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName, const std::string& ComponentName,
                          const std::function<void(int)>& Progress, long long MaxPixels) {
    const std::string ext = LowerCase(ExtractFileExt(FileName));
    const auto fail = [&](const std::string& Why) -> QImage {
        throw EZYLGeoMapError(ComponentMessage(ComponentName, "Cannot use map image \"" + CallerName + "\": " + Why));
    };
    const auto progress = [&Progress](int Percent) {
        if (Progress) Progress(Percent);
    };
    if (ext == ".jpg" || ext == ".jpeg") {
        progress(0);
        QImage picture;
        try {
            picture = DecodeJpegFile(
                FileName, [&](int W, int H) { CheckMapImageSize(W, H, ComponentName, MaxPixels); }, progress);
        } catch (const EImageDecodeError& e) {
            return fail(e.what());
        }
        progress(100);
        return picture;
    }
    if (ext == ".bmp") {
        // the size from the header itself: Qt gives top-down files a negative height
        TBmpLayout layout;
        if (!ReadBmpLayout(FileName, layout)) return fail("not a valid BMP image");
        CheckMapImageSize(layout.Width, layout.Height, ComponentName, MaxPixels);
        if (!BmpPixelsComplete(FileName)) return fail("not a valid BMP image: its pixel data is cut off");
        const QSize size(layout.Width, layout.Height);
        QImageReader reader(QString::fromStdString(FileName), "bmp");
        reader.setAutoTransform(false);
        progress(0);
        QImage picture;
        if (!reader.read(&picture) || picture.size() != size)
            return fail("not a valid BMP image: " + reader.errorString().toStdString());
        progress(100);
        return picture;
    }
    return fail("only JPEG (.jpg, .jpeg) and BMP (.bmp) files can be loaded");
}

QSize MapImageFileSize(const std::string& FileName) {
    const std::string ext = LowerCase(ExtractFileExt(FileName));
    if (ext == ".bmp") {
        TBmpLayout layout;
        return ReadBmpLayout(FileName, layout) ? QSize(layout.Width, layout.Height) : QSize();
    }
    try {
        return ext == ".jpg" || ext == ".jpeg" ? JpegFileSize(FileName) : QSize();
    } catch (const EImageDecodeError&) {
        return {};
    }
}

// An image read as tiles reports its progress while the reduced levels are
// decoded, and each later band is a few hundred rows: the host serves its
// events from OnDataLoading as for any image, and no worker thread is needed.
// A thread would have to lock every tile the renderer reads and paint
// placeholders that a view cache would then keep, for a decoding that here
// takes about as long as djpeg's reduced one.
TGeoMapPrivate::TLoadedImage TGeoMapPrivate::DecodeMapImageFile(const std::string& FileName,
                                                                 const std::string& CallerName) {
    Q_Q(TGeoMap);
    // The decoder reports on after a handler that destroyed the map; those reports go nowhere.
    const auto progress = [Self = QPointer<TGeoMap>(q)](int Percent) {
        if (Self) FireHostEvent(Self.data(), Self->d_func()->FOnDataLoading, &TGeoMap::dataLoading, Percent);
    };
    const QSize size = MapImageFileSize(FileName);
    const long long bytes = 4LL * size.width() * size.height();
    if (size.isEmpty() || bytes <= (static_cast<long long>(FImageMemoryMB) << 20))
        return {zylcarto::DecodeMapImageFile(FileName, CallerName, q->Name(), progress, FMaxImagePixels), nullptr};
    CheckMapImageSize(size.width(), size.height());
    try {
        progress(0);
        auto pyramid = std::make_shared<TImagePyramid>(
            FileName, TPyramidOptions{static_cast<std::size_t>(FImageMemoryMB) << 20, FImageTileFolder}, nullptr,
            progress);
        progress(100);
        return {QImage(), std::move(pyramid)};
    } catch (const EImageDecodeError& e) {
        throw EZYLGeoMapError(ComponentMessage(q->Name(), "Cannot use map image \"" + CallerName + "\": " + e.what()));
    }
}

bool TGeoMapPrivate::ReadMapImageFile(const std::string& Value, TLoadedImage& Image, bool& Found) {
    Q_Q(TGeoMap);
    std::string fileName = Value;
    Found = false;
    if (!FireHostEvent(q, FOnMapImgRequest, &TGeoMap::mapImageRequest, fileName)) return false;
    const std::string existing = FindFileIgnoringCase(fileName);
    if (existing.empty()) return true;
    Found = true;
    return SurvivesCall(q, [&] { Image = DecodeMapImageFile(existing, Value); });
}

void TGeoMap::SetMapImgName(const std::string& Value) {
    Q_D(TGeoMap);
    if (Value.empty()) {
        d->FCache.Clear();
        d->FMapImgName.clear();
        d->FMapImgWidth = d->FMapImgHeight = 0;
        d->GrafBmp = QImage();
        d->FPyramid.reset();
        d->FCalib.SetMapImageSize(0, 0);
        Paint();
        return;
    }
    TGeoMapPrivate::TLoadedImage Image;
    bool Found = false;
    if (!d->ReadMapImageFile(Value, Image, Found)) return;
    if (!Found) throw EZYLGeoMapError(ComponentMessage(Name(), "Cannot use map image \"" + Value + "\": no such file"));
    d->TakeMapImage(std::move(Image), Value);
}

void TGeoMap::SaveMap(const std::string& FileName, const std::string& DataID) {
    Q_D(TGeoMap);
    if (d->FMapImgWidth <= 0) throw EZYLGeoMapError(ComponentMessage(Name(), "there is no map image to save"));
    // The map takes the new name only once both files are written, so that a
    // failed write leaves it naming the files it came from; the image first, so
    // that no calibration file is left naming an image that was not written.
    const std::string imageName = StripExtension(StripPath(FileName)) + ".jpg";
    const bool Alive = SurvivesCall(this, [&] {
        // Through the image source, a band at a time, so that an image read as tiles is never whole in memory.
        const TImageSource& source = d->ImageSource();
        const int W = d->FMapImgWidth;
        EncodeJpegRows(
            W, d->FMapImgHeight, [&source, W](int First, int Rows) { return source.Region(0, QRect(0, First, W, Rows)); },
            ExtractFilePath(FileName) + imageName, kJpegQuality, [Self = QPointer<TGeoMap>(this)](int Percent) {
                if (Self) FireHostEvent(Self.data(), Self->d_func()->FOnDataLoading, &TGeoMap::dataLoading, Percent);
            });
    });
    if (!Alive) return;
    d->FCalib.CalcExtentsAndResolution();
    TCalibData data = d->FCalib.CalibData();
    data.MapFName = imageName;
    TTextFile xml;
    xml.OpenWrite(StripExtension(FileName) + ".xml");
    WriteRawCalDataToOpenXMLFile(xml, true, DataID, data, d->FCalib.CalibModel());
    xml.Close();
    d->FMapImgName = imageName;
    d->FCalib.CalibData().MapFName = imageName;
}

bool TGeoMap::RenameMapImg(const std::string& Name) {
    Q_D(TGeoMap);
    const std::string newName = RenamedImageName(d->FMapImgName, Name);
    std::error_code ec;
    if (d->FMapImgName.empty() || newName.empty() || !std::filesystem::is_regular_file(d->FMapImgName, ec))
        return false;
    if (!RenameWithoutReplacing(d->FMapImgName, newName)) return false;
    d->FMapImgName = newName;
    return true;
}

namespace {

void CheckMapBounds(const TGeneratedMapBounds& B, const std::string& ComponentName) {
    if (PossibleMapBounds(B)) return;
    char bounds[160];
    std::snprintf(bounds, sizeof bounds, "%g, %g .. %g, %g (steps %g, %g)", B.LatLow, B.LongLow, B.LatHigh, B.LongHigh,
                  B.dLat, B.dLong);
    throw EZYLGeoMapError(ComponentMessage(ComponentName, std::string("no map has the bounds ") + bounds));
}

}  // namespace

void TGeoMap::CreateEmptyMapInMemory(double LatLow, double LongLow, double LatHigh, double LongHigh, double dLat,
                                     double dLong, int Wid, int Hgt, bool ShowGrid,
                                     const TOnDrawMapDataEvent& OnDrawMapData) {
    Q_D(TGeoMap);
    const TGeneratedMapBounds b = NormalizedMapBounds({LatLow, LongLow, LatHigh, LongHigh, dLat, dLong, Wid, Hgt});
    CheckMapBounds(b, Name());
    d->CheckMapImageSize(b.Wid, b.Hgt);  // before allocating the picture
    QImage picture = BlankMapPicture(b.Wid, b.Hgt);
    {
        TCanvas canvas(picture);
        if (ShowGrid) DrawMapGrid(canvas, b);
        if (OnDrawMapData) OnDrawMapData(this, canvas, b.LatLow, b.LongLow, b.LatHigh, b.LongHigh, b.Wid, b.Hgt);
    }
    {
        const TGeoMapPrivate::TPaintSuppression hold(*this);
        SetMapBitMap(picture);
        d->FCalib.ClearCalibData();
        d->FCalib.SetCalibData(GeneratedMapCalibration(b, ShowGrid, "$unknown$"));
        d->FCalib.StoreCalibModel(cmEquiRect);
        d->FCalib.RecalcCalibration();
    }
    Paint();
}

void TGeoMap::CreateAndLoadEmptyMap(const std::string& FName, double LatLow, double LongLow, double LatHigh,
                                    double LongHigh, double dLat, double dLong, int Wid, int Hgt,
                                    const TOnDrawMapDataEvent& OnDrawMapData) {
    Q_D(TGeoMap);
    const TGeneratedMapBounds b = NormalizedMapBounds({LatLow, LongLow, LatHigh, LongHigh, dLat, dLong, Wid, Hgt});
    CheckMapBounds(b, Name());
    d->CheckMapImageSize(b.Wid, b.Hgt);  // before writing a file that could not be loaded
    const std::string xmlName = StripExtension(FName) + ".xml";
    const std::string bmpName = StripExtension(xmlName) + ".bmp";

    QImage picture = BlankMapPicture(b.Wid, b.Hgt);
    {
        TCanvas canvas(picture);
        DrawMapGrid(canvas, b);
        if (OnDrawMapData) OnDrawMapData(this, canvas, b.LatLow, b.LongLow, b.LatHigh, b.LongHigh, b.Wid, b.Hgt);
    }
    // Down to the 16 colours of the file, each pixel to the nearest one.
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(b.Wid) * static_cast<std::size_t>(b.Hgt));
    QRgb lastRgb = 0xFFFFFFFF;
    std::uint8_t lastIndex = 15;
    for (int y = 0; y < b.Hgt; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < b.Wid; ++x) {
            if (row[x] != lastRgb) {
                lastRgb = row[x];
                lastIndex = static_cast<std::uint8_t>(NearestPaletteIndex(FromQRgb(lastRgb), StandardPalette16));
            }
            indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(b.Wid) + static_cast<std::size_t>(x)] =
                lastIndex;
        }
    }
    WriteBmp4File(bmpName, b.Wid, b.Hgt, indices, StandardPalette16);

    TTextFile xml;
    xml.OpenWrite(xmlName);
    WriteRawCalDataToOpenXMLFile(xml, true, kGeneratedDataID, GeneratedMapCalibration(b, true, bmpName),
                                 cmBiquadraticPn);
    xml.Close();
    LoadCalDataFromXML(xmlName, kGeneratedDataID);
}

}  // namespace zylcarto
