// Map images: loading JPEG and BMP files, saving, renaming, generated maps.
#include <QImageReader>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/bmp4.h"
#include "zylcarto/geomap/view/file_lookup.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/jpeg_codec.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/geomap/view/map_grid.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

constexpr int kJpegQuality = 90;
constexpr const char* kGeneratedDataID = "ZYL_geomap_caldata";

std::uint32_t LittleEndian(const unsigned char* P, int Bytes) {
    std::uint32_t v = 0;
    for (int i = Bytes - 1; i >= 0; --i) v = v << 8 | P[i];
    return v;
}

// Qt reads a BMP whose pixel rows were cut off as a partly blank picture; an
// uncompressed file must hold every row its header announces.
bool BmpPixelsComplete(const std::string& FileName) {
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(FileName, ec);
    unsigned char h[54] = {};
    std::FILE* f = std::fopen(FileName.c_str(), "rb");
    if (!f || ec) {
        if (f) std::fclose(f);
        return false;
    }
    const bool read = std::fread(h, 1, sizeof h, f) == sizeof h;
    std::fclose(f);
    if (!read) return false;
    const std::uint32_t infoSize = LittleEndian(h + 14, 4);
    if (infoSize < 40) return true;  // old OS/2 headers: left to the reader
    const std::uint64_t offset = LittleEndian(h + 10, 4);
    const auto width = static_cast<std::int32_t>(LittleEndian(h + 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(h + 22, 4));
    const std::uint32_t bits = LittleEndian(h + 28, 2);
    const std::uint32_t compression = LittleEndian(h + 30, 4);
    if (compression != 0 && compression != 3) return true;  // run-length data has no fixed size
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(width))) * bits + 31) / 32 * 4;
    const std::uint64_t needed = offset + rowBytes * static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(height)));
    return fileSize >= needed;
}

QImage BlankMapPicture(int Wid, int Hgt) {
    QImage picture(Wid, Hgt, ViewImageFormat);
    picture.fill(Qt::white);
    return picture;
}

} // namespace

void CheckMapImageSize(int Width, int Height, const std::string& ComponentName) {
    if (static_cast<long long>(Width) * Height > MapImagePixelLimit)
        throw EZYLGeoMapError(ComponentMessage(
            ComponentName, "Cannot use map image, maximum of " + std::to_string(MapImagePixelLimit) +
                               " pixels exceeded (size of map is " + std::to_string(Width) + " x " +
                               std::to_string(Height) + ")"));
}

QImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName,
                          const std::string& ComponentName, const std::function<void(int)>& Progress) {
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
            picture = DecodeJpegFile(FileName, [&ComponentName](int W, int H) { CheckMapImageSize(W, H, ComponentName); }, progress);
        } catch (const EImageDecodeError& e) {
            return fail(e.what());
        }
        progress(100);
        return picture;
    }
    if (ext == ".bmp") {
        QImageReader reader(QString::fromStdString(FileName), "bmp");
        reader.setAutoTransform(false);
        const QSize size = reader.size();
        if (!size.isValid() || !BmpPixelsComplete(FileName)) return fail("not a valid BMP image");
        CheckMapImageSize(size.width(), size.height(), ComponentName);
        progress(0);
        QImage picture;
        if (!reader.read(&picture) || picture.size() != size)
            return fail("not a valid BMP image: " + reader.errorString().toStdString());
        progress(100);
        return picture;
    }
    return fail("only JPEG (.jpg, .jpeg) and BMP (.bmp) files can be loaded");
}

QImage TGeoMap::DecodeMapImageFile(const std::string& FileName, const std::string& CallerName) {
    return zylcarto::DecodeMapImageFile(FileName, CallerName, Name(), [this](int Percent) {
        if (FOnDataLoading) FOnDataLoading(this, Percent);
    });
}

void TGeoMap::SetMapImgName(const std::string& Value) {
    std::string fileName = Value;
    if (FOnMapImgRequest) FOnMapImgRequest(this, fileName);
    FCache.Mag = 0;
    const std::string existing = FindFileIgnoringCase(fileName);
    if (existing.empty()) {
        FMapImgName.clear();
        FMapImgWidth = FMapImgHeight = 0;
        GrafBmp = QImage();
        FCalib.SetMapImageSize(0, 0);
        Paint();
        return;
    }
    TakeMapImage(DecodeMapImageFile(existing, Value), Value);
}

void TGeoMap::SaveMap(const std::string& FileName, const std::string& DataID) {
    if (GrafBmp.isNull()) throw EZYLGeoMapError(ComponentMessage(Name(), "there is no map image to save"));
    FMapImgName = StripExtension(StripPath(FileName)) + ".jpg";
    SaveCalDataAsXML(StripExtension(FileName) + ".xml", DataID);
    EncodeJpegFile(GrafBmp, ExtractFilePath(FileName) + FMapImgName, kJpegQuality, [this](int Percent) {
        if (FOnDataLoading) FOnDataLoading(this, Percent);
    });
}

bool TGeoMap::RenameMapImg(const std::string& Name) {
    const std::string base = StripExtension(StripPath(ReduceStringToFN83CompliantChars(Name)));
    if (FMapImgName.empty() || base.empty()) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FMapImgName, ec)) return false;
    const std::string newName = ExtractFilePath(FMapImgName) + base + ExtractFileExt(FMapImgName);
    std::filesystem::rename(FMapImgName, newName, ec);
    if (ec) return false;
    FMapImgName = newName;
    return true;
}

void TGeoMap::CreateEmptyMapInMemory(double LatLow, double LongLow, double LatHigh, double LongHigh, double dLat,
                                     double dLong, int Wid, int Hgt, bool ShowGrid,
                                     const TOnDrawMapDataEvent& OnDrawMapData) {
    const TGeneratedMapBounds b = NormalizedMapBounds({LatLow, LongLow, LatHigh, LongHigh, dLat, dLong, Wid, Hgt});
    CheckMapImageSize(b.Wid, b.Hgt);  // before allocating the picture
    QImage picture = BlankMapPicture(b.Wid, b.Hgt);
    {
        TCanvas canvas(picture);
        if (ShowGrid) DrawMapGrid(canvas, b);
        if (OnDrawMapData) OnDrawMapData(this, canvas, b.LatLow, b.LongLow, b.LatHigh, b.LongHigh, b.Wid, b.Hgt);
    }
    {
        const TPaintSuppression hold(*this);
        SetMapBitMap(picture);
        FCalib.ClearCalibData();
        FCalib.SetCalibData(GeneratedMapCalibration(b, ShowGrid, "$unknown$"));
        FCalib.StoreCalibModel(cmEquiRect);
        FCalib.RecalcCalibration();
    }
    Paint();
}

void TGeoMap::CreateAndLoadEmptyMap(const std::string& FName, double LatLow, double LongLow, double LatHigh,
                                    double LongHigh, double dLat, double dLong, int Wid, int Hgt,
                                    const TOnDrawMapDataEvent& OnDrawMapData) {
    const TGeneratedMapBounds b = NormalizedMapBounds({LatLow, LongLow, LatHigh, LongHigh, dLat, dLong, Wid, Hgt});
    CheckMapImageSize(b.Wid, b.Hgt);  // before writing a file that could not be loaded
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

} // namespace zylcarto
