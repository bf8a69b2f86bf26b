// zylcarto map new | show | render: generated maps, calibration files and
// offscreen rendering of a calibrated map with its landmarks and tracks.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "batch_convert.h"
#include "cli.h"
#include "exchange_cmds.h"
#include "landmark_warnings.h"
#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/landmark_store.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/geomap/landmarks/symbol_repository.h"
#include "zylcarto/geomap/tracks/track_store.h"
#include "zylcarto/geomap/view/file_lookup.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/image_pyramid.h"
#include "zylcarto/geomap/view/jpeg_codec.h"
#include "zylcarto/geomap/view/map_grid.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/geomap/view/memory_image_source.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::cli {
namespace {

const char* const kUsage = "usage: zylcarto map new FILE LATLOW LONGLOW LATHIGH LONGHIGH DLAT DLONG WIDTH HEIGHT [--jpeg]\n"
                           "       zylcarto map show FILE.xml [DATAID]\n"
                           "       zylcarto map render FILE.xml OUT.png [--size WxH] [--center LAT LON] [--mag M]\n"
                           "                [--graticule none|points|lines|pointsandlines|utmgrid]\n"
                           "                [--landmarks FILE.xml] [--symbols FILE.xml] [--max-pixels N]\n"
                           "                [--track FILE.gpx]...\n"
                           "new     writes FILE.bmp (16 colours, with a labelled grid) and its calibration\n"
                           "        FILE.xml (data set ZYL_geomap_caldata), then loads them as a check.\n"
                           "        --jpeg writes FILE.jpg instead, a band of rows at a time, for maps\n"
                           "        beyond the map control's pixel limit (up to 65500 pixels a side).\n"
                           "show    prints the calibration data set (the first one without DATAID), one\n"
                           "        tab-separated item per line.\n"
                           "render  composes the map offscreen into a picture of WxH pixels (default\n"
                           "        800x600), fitted to the window unless --mag is given, centred on\n"
                           "        LAT LON when given, and saves the picture as PNG. --landmarks loads the\n"
                           "        first landmark set of a file; with --symbols, a landmark whose user tag\n"
                           "        is a symbol number 1..N of the repository takes that symbol.\n"
                           "        --max-pixels N refuses larger map images (default 3000000, 0 for\n"
                           "        any size); one above 256 MB is read in tiles, never whole. Each\n"
                           "        --track draws the tracks and routes of a GPX file.\n";

// The map control needs a GUI application; without a display it draws offscreen.
class TGuiSession {
public:
    TGuiSession() {
        if (QApplication::instance()) return;
        if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
            std::getenv("WAYLAND_DISPLAY") == nullptr)
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApp = std::make_unique<QApplication>(FArgc, FArgv);
    }

private:
    int FArgc = 1;
    char FName[9] = "zylcarto";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApp;
};

// The renderer's text needs a GUI application; without a display it works offscreen.
class TFontSession {
public:
    TFontSession() {
        if (QGuiApplication::instance()) return;
        if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
            std::getenv("WAYLAND_DISPLAY") == nullptr)
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApp = std::make_unique<QGuiApplication>(FArgc, FArgv);
    }

private:
    int FArgc = 1;
    char FName[9] = "zylcarto";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QGuiApplication> FApp;
};

std::string CornerName(int i) {
    static const char* const names[] = {"topleft", "bottomleft", "bottomright", "topright"};
    return names[i];
}

// A generated map of any size: the picture streamed to a JPEG, the calibration
// beside it, both read back as a check without holding the picture.
int WriteLargeGeneratedMap(const std::string& FileName, const TGeneratedMapBounds& B) {
    constexpr int kJpegSide = 65500;
    if (B.Wid > kJpegSide || B.Hgt > kJpegSide)
        throw EUsageError("a JPEG map is at most " + std::to_string(kJpegSide) + " pixels a side");
    if (!PossibleMapBounds(B)) throw EUsageError("no map has these bounds");
    TFontSession fonts;
    const std::string xml = StripExtension(FileName) + ".xml";
    const std::string jpg = StripExtension(xml) + ".jpg";
    WriteGeneratedMapJpeg(B, jpg, {});
    {
        TTextFile f;
        f.OpenWrite(xml);
        WriteRawCalDataToOpenXMLFile(f, true, "ZYL_geomap_caldata", GeneratedMapCalibration(B, true, StripPath(jpg)),
                                     cmBiquadraticPn);
        f.Close();
    }
    TTextFile f;
    TCalibSetHeader header;
    if (!f.OpenRead(xml)) throw EOperationFailed("the generated calibration could not be read back");
    TTextFileSource source(f);
    if (!FindCalibSet(source, "", header)) throw EOperationFailed("the generated calibration could not be read back");
    TMapCalibration calib("map");
    ReadMapCalibration(source, header, calib, "map");
    DecodeJpegPart(jpg, 8, QRect(0, 0, 1, 1), {}, {});  // the header and a first row
    std::printf("%s\n%s\n", jpg.c_str(), xml.c_str());
    return 0;
}

int RunNew(TArgs a) {
    const bool jpeg = TakeFlag(a, "--jpeg");
    RejectUnknownOptions(a);
    if (a.size() != 9) throw EUsageError(std::string("map new takes 9 arguments\n") + kUsage);
    const double latLow = ParseDegrees(a[1], "LATLOW", dmsLatitude),
                 longLow = ParseDegrees(a[2], "LONGLOW", dmsLongitude);
    const double latHigh = ParseDegrees(a[3], "LATHIGH", dmsLatitude),
                 longHigh = ParseDegrees(a[4], "LONGHIGH", dmsLongitude);
    const double dLat = ParseDouble(a[5], "DLAT"), dLong = ParseDouble(a[6], "DLONG");
    const int wid = ParseInt(a[7], "WIDTH"), hgt = ParseInt(a[8], "HEIGHT");
    // the generator swaps reversed bounds, but equal ones leave no grid to draw
    if (std::fabs(latLow) > 90 || std::fabs(latHigh) > 90) throw EUsageError("latitudes must lie within -90..90");
    // A map across the antimeridian is written 170 .. 190.
    if (std::fabs(longLow) > 360 || std::fabs(longHigh) > 360 || std::fabs(longHigh - longLow) > 360)
        throw EUsageError("longitudes must lie within -360..360 and span at most a whole turn");
    if (latLow == latHigh) throw EUsageError("LATLOW and LATHIGH must differ");
    if (longLow == longHigh) throw EUsageError("LONGLOW and LONGHIGH must differ");
    if (jpeg)
        return WriteLargeGeneratedMap(
            a[0], NormalizedMapBounds({latLow, longLow, latHigh, longHigh, dLat, dLong, wid, hgt}));
    TGuiSession gui;
    TGeoMap map;
    map.SetName("map");
    map.CreateAndLoadEmptyMap(a[0], latLow, longLow, latHigh, longHigh, dLat, dLong, wid, hgt);
    if (map.MapImgWidth() <= 0) throw EOperationFailed("the generated map could not be loaded back");
    const std::string xml = StripExtension(a[0]) + ".xml";
    std::printf("%s\n%s\n", (StripExtension(xml) + ".bmp").c_str(), xml.c_str());
    return 0;
}

int RunShow(const TArgs& a) {
    if (a.empty() || a.size() > 2) throw EUsageError(std::string("map show takes FILE.xml [DATAID]\n") + kUsage);
    TCalibData d;
    TCalibModel model = cmUndefined;
    if (!ParseCalibData(a[0], a.size() > 1 ? a[1] : "", d, model))
        throw EUsageError("no calibration data set " + (a.size() > 1 ? "\"" + a[1] + "\" " : std::string()) + "in " +
                          a[0]);
    std::printf("model\t%s\n", std::string(CalibModelNames[static_cast<std::size_t>(model)]).c_str());
    std::printf("map\t%s\n", d.MapFName.c_str());
    std::printf("caption\t%s\n", d.Caption.c_str());
    int c = 0;
    for (const TCoords& corner : d.Corners)
        std::printf("corner\t%s\t%s\t%s\n", CornerName(c++).c_str(), FormatShortest(corner.Latit).c_str(),
                    FormatShortest(corner.Longit).c_str());
    std::printf("resolution\t%s\n", FormatShortest(d.Resolution).c_str());
    std::printf("utmzone\t%d\n", d.UTMZone);
    std::printf("utmsouth\t%s\n", d.UTMSouth ? "true" : "false");
    std::printf("ellipsoid\t%s\n", std::string(GeoEllipsoidId[static_cast<std::size_t>(d.Ellipsoid)]).c_str());
    for (int i = 1; i <= UsedCalLines(d); ++i) {
        const TCalibLine& l = d.CalLines[i];
        std::string points;
        for (int k = 1; k <= UsedPoints(l); ++k)
            points += "\t" + std::to_string(l.CalPoints[k].X) + "," + std::to_string(l.CalPoints[k].Y);
        std::printf("line\t%d\t%s\t%s\t%d%s\n", i, l.LineType == gtlParallel ? "parallel" : "meridian",
                    FormatShortest(l.LineValue).c_str(), UsedPoints(l), points.c_str());
    }
    for (int i = 1; i <= UsedCalQuads(d); ++i) {
        const TCalQuad& q = d.CalQuads[i];
        std::printf("quad\t%d\t%s\t%s\t%d\t%d\n", i, FormatShortest(q.Latitude).c_str(),
                    FormatShortest(q.Longitude).c_str(), q.MapX, q.MapY);
    }
    return 0;
}

TShowGrat GraticuleOption(const std::string& v) {
    if (v == "none") return sgNone;
    if (v == "points") return sgPoints;
    if (v == "lines") return sgLines;
    if (v == "pointsandlines") return sgPointsAndLines;
    if (v == "utmgrid") return sgUTMGrid;
    throw EUsageError("--graticule must be none, points, lines, pointsandlines or utmgrid, not \"" + v + "\"");
}

void ParseSize(const std::string& v, int& w, int& h) {
    const std::size_t x = v.find('x');
    if (x == std::string::npos) throw EUsageError("--size must be WxH, not \"" + v + "\"");
    w = ParseInt(v.substr(0, x), "--size width");
    h = ParseInt(v.substr(x + 1), "--size height");
    if (w < 1 || h < 1 || static_cast<long long>(w) * h > 3000000)
        throw EUsageError("--size must be at least 1x1 and at most 3000000 pixels");
}

int RunRender(TArgs a) {
    int w = 800, h = 600;
    if (auto v = TakeOption(a, "--size")) ParseSize(*v, w, h);
    std::optional<double> mag;
    if (auto v = TakeOption(a, "--mag")) {
        mag = ParseDouble(*v, "--mag");
        if (!(*mag > 0)) throw EUsageError("--mag must be positive");
    }
    std::optional<std::pair<double, double>> center;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] == "--center") {
            if (i + 2 >= a.size()) throw EUsageError("--center needs LAT and LON");
            center = {ParseDegrees(a[i + 1], "--center LAT", dmsLatitude),
                      ParseDegrees(a[i + 2], "--center LON", dmsLongitude)};
            a.erase(a.begin() + static_cast<long>(i), a.begin() + static_cast<long>(i) + 3);
            break;
        }
    TShowGrat grat = sgNone;
    if (auto v = TakeOption(a, "--graticule")) grat = GraticuleOption(*v);
    const auto landmarks = TakeOption(a, "--landmarks");
    const auto symbols = TakeOption(a, "--symbols");
    long long maxPixels = MapImagePixelLimit;
    if (auto v = TakeOption(a, "--max-pixels")) {
        maxPixels = ParseInt(*v, "--max-pixels");
        if (maxPixels < 0) throw EUsageError("--max-pixels must be 0 (no limit) or more");
    }
    std::vector<std::string> trackFiles;
    while (const auto v = TakeOption(a, "--track")) trackFiles.push_back(*v);
    RejectUnknownOptions(a);
    if (a.size() != 2) throw EUsageError(std::string("map render takes FILE.xml OUT.png\n") + kUsage);

    // Loaded and composed without a map control: fonts need a GUI application, nothing more.
    TFontSession fonts;
    TMapCalibration calib("map");
    {
        TTextFile f;
        TCalibSetHeader header;
        if (!f.OpenRead(a[0]))
            throw EUsageError("no calibration data set in " + a[0] + " (or the file cannot be read)");
        TTextFileSource source(f);
        if (!FindCalibSet(source, "", header))
            throw EUsageError("no calibration data set in " + a[0] + " (or the file cannot be read)");
        ReadMapCalibration(source, header, calib, "map");
    }
    const std::string imageName = calib.CalibData().MapFName;
    const std::string imageFile =
        imageName.empty() ? std::string()
                          : FindFileIgnoringCase(MapImageBesideCalibration(imageName, a[0]));
    if (imageFile.empty()) throw EUsageError("the map image \"" + imageName + "\" of " + a[0] + " was not found");
    // Held whole up to what the map control holds whole by default; beyond, read in tiles.
    constexpr long long kWholeBytes = 256LL << 20;
    const QSize fileSize = MapImageFileSize(imageFile);
    QImage image;
    std::unique_ptr<TImageSource> source;
    if (!fileSize.isEmpty() && 4LL * fileSize.width() * fileSize.height() > kWholeBytes) {
        CheckMapImageSize(fileSize.width(), fileSize.height(), "map", maxPixels);
        try {
            source = std::make_unique<TImagePyramid>(imageFile, TPyramidOptions{}, nullptr, nullptr);
        } catch (const EImageDecodeError& e) {
            throw EOperationFailed("Cannot use map image \"" + imageName + "\": " + e.what());
        }
    } else {
        image = DecodeMapImageFile(imageFile, imageName, "map", {}, maxPixels).convertToFormat(ViewImageFormat);
        source = std::make_unique<TMemoryImageSource>(image);
    }
    const QSize imageSize = source->Size();
    calib.SetMapImageSize(imageSize.width(), imageSize.height());
    FitReadCalibration(calib);

    TLandMarkStore marks(nullptr, [] { return std::string("map"); });
    if (landmarks) {
        TTextFile f;
        std::vector<TLandMark> read;
        int skipped = 0;
        bool found = f.OpenRead(*landmarks);
        if (found) {
            TTextFileSource source(f);
            found = ReadLandMarkSet(source, "", read, &skipped);
        }
        if (!found) throw EUsageError("no landmark set in " + *landmarks);
        WarnSkippedLandMarks(skipped, *landmarks);
        WarnAlteredLandMarkTexts(read, *landmarks);
        for (const TLandMark& lm : read) {
            const int before = marks.NumLandMarks();
            marks.AddLandMark(lm.Latitude, lm.Longitude, lm.Altitude);
            if (marks.NumLandMarks() > before) marks.SetLandMarkData(marks.NumLandMarks(), lm);
        }
    }
    if (symbols) {
        TSymbolRepository rep;
        if (!rep.LoadFromFile(*symbols, "")) throw EUsageError("no symbol set in " + *symbols);
        for (int i = 1; i <= marks.NumLandMarks(); ++i) {
            TLandMark lm = marks.GetLandMarkData(i);
            if (lm.Tag >= 1 && lm.Tag <= rep.NumEntries()) {
                lm.SymbolProps = rep.GetValues(lm.Tag).Properties;
                marks.SetLandMarkData(i, lm);
            }
        }
    }

    TTrackStore tracks;
    for (const std::string& file : trackFiles) {
        TGpxImport gpx = ReadInput(file, [&] { return ReadGpx(ReadFileBytes(file)); });
        if (gpx.Tracks.empty() && gpx.Routes.empty())
            std::fprintf(stderr, "zylcarto: warning: no track or route in %s\n", file.c_str());
        for (TTrack& t : gpx.Tracks) tracks.AddTrack(std::move(t));
        for (TRoute& r : gpx.Routes) tracks.AddRoute(std::move(r));
    }

    TMapAppearance look;
    look.ShowGrat = grat;
    TMapViewport view{{0, 0}, 1.0, w, h};
    const double fit = view.FitMagnification(imageSize.width(), imageSize.height());
    if (mag)
        view.SetMagnify(TMapViewport::Clamped(*mag));
    else if (fit > 0)
        view.SetMagnify(TMapViewport::Clamped(fit));
    if (center) {
        int x = 0, y = 0;
        if (calib.CalcPixelCoords(center->first, center->second, x, y))
            view.CenterOnWithin({x, y}, imageSize.width(), imageSize.height());
    }
    TMapScene scene;
    scene.Look = &look;
    scene.HasMap = true;
    scene.Source = source.get();
    scene.ImageWidth = imageSize.width();
    scene.ImageHeight = imageSize.height();
    scene.Calib = &calib;
    scene.LandMarks = &marks;
    scene.Tracks = &tracks;
    QImage picture(w, h, ViewImageFormat);
    TMapRenderer(scene, view).Compose(picture);
    if (!picture.save(QString::fromStdString(a[1]), "PNG")) throw EOperationFailed("cannot write " + a[1]);
    return 0;
}

int RunMap(const TArgs& args) {
    if (args.empty()) throw EUsageError(std::string("map needs a subcommand\n") + kUsage);
    const TArgs rest(args.begin() + 1, args.end());
    // errors of the library (EZYLError, EInOutError) are failed operations, not bad usage
    if (args[0] == "new") return RunNew(rest);
    if (args[0] == "show") return RunShow(rest);
    if (args[0] == "render") return RunRender(rest);
    if (args[0] == "import-ozi") return RunMapImportOzi(rest);
    if (args[0] == "import-world") return RunMapImportWorld(rest);
    if (args[0] == "export-world") return RunMapExportWorld(rest);
    if (args[0] == "to-position") return RunMapToPosition(rest);
    if (args[0] == "to-pixel") return RunMapToPixel(rest);
    throw EUsageError("unknown map subcommand " + Quoted(args[0]) + "\n" + kUsage);
}

const TRegistrar reg{{"map", "generate, show, render, import and export calibrated maps",
                      std::string(kUsage) + kMapExchangeUsage + kMapConvertUsage, RunMap}};

}  // namespace
}  // namespace zylcarto::cli
