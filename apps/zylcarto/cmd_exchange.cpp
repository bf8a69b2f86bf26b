// zylcarto map import-ozi | import-world | export-world: calibrations from and
// to the files of other map tools (OziExplorer .map files and world files).
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "exchange_cmds.h"
#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/image_size.h"
#include "zylcarto/exchange/ozi_map.h"
#include "zylcarto/exchange/world_file.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::cli {

const char* const kMapExchangeUsage =
    "       zylcarto map import-ozi FILE.map OUT.xml [--max-residual PX]\n"
    "       zylcarto map import-world IMAGE OUT.xml [--utm-zone Z [--south] | --crs CRS]\n"
    "       zylcarto map export-world FILE.xml [DATAID]\n"
    "import-ozi    writes the calibration of an OziExplorer .map file and prints each\n"
    "              point's residual in metres: projected maps in their projection\n"
    "              and datum (model projected), UTM and latitude/longitude maps\n"
    "              shifted to WGS 84. A point more than PX pixels (default 2) off\n"
    "              the fit is named and nothing is written (exit 1).\n"
    "import-world  reads the world file beside IMAGE (JPEG, BMP, PNG or TIFF; for\n"
    "              IMAGE.ext: .etw from the extension's first and last letter,\n"
    "              .extw, then .wld, e.g. .tfw .tifw .wld for a .tif): degrees,\n"
    "              or UTM metres with --utm-zone or a WGS 84 UTM .prj, or the\n"
    "              grid of --crs or of any other .prj (model projected).\n"
    "export-world  writes the world file (and a .prj when none is there, the map's\n"
    "              own CRS for projected maps) beside\n"
    "              the calibration's image; non-affine models get the best affine\n"
    "              fit and its largest deviation is printed.\n";

namespace {

using namespace zylcarto;

std::string Metres(double m) { return FormatFixed(m, 3) + " m"; }

int ReportAndWrite(const TImportedCalibration& c, const std::string& out) {
    for (const std::string& n : c.Notes) std::fprintf(stderr, "zylcarto: note: %s\n", n.c_str());
    for (double r : c.ResidualsM)
        if (!std::isfinite(r)) {
            std::fprintf(stderr, "zylcarto: the %s model cannot be fitted to these points\n",
                         std::string(CalibModelNames[static_cast<std::size_t>(c.Model)]).c_str());
            return 1;
        }
    WriteImportedCalibration(out, c);
    std::printf("model\t%s\n", std::string(CalibModelNames[static_cast<std::size_t>(c.Model)]).c_str());
    if (c.Model == cmUTM) std::printf("utmzone\t%d%s\n", c.Data.UTMZone, c.Data.UTMSouth ? "S" : "N");
    std::printf("image\t%s\t%dx%d\n", c.Data.MapFName.c_str(), c.ImageWidth, c.ImageHeight);
    for (std::size_t i = 0; i < c.ResidualsM.size(); ++i)
        std::printf("residual\t%zu\t%s\n", i + 1, Metres(c.ResidualsM[i]).c_str());
    std::printf("max residual\t%s\n", Metres(c.MaxResidualM()).c_str());
    return 0;
}

}  // namespace

int RunMapImportOzi(TArgs a) {
    // A point the fit leaves further off is a wrong point or a wrong projection:
    // no calibration is better than a wrong one. Scanned sheets may need more.
    double maxResidualPx = 2;
    if (const auto m = TakeOption(a, "--max-residual")) {
        maxResidualPx = ParseDouble(*m, "--max-residual");
        if (!(maxResidualPx >= 0)) throw EUsageError("--max-residual must be 0 or more pixels");
    }
    RejectUnknownOptions(a);
    if (a.size() != 2) throw EUsageError("map import-ozi takes FILE.map OUT.xml [--max-residual PX]");
    const TImportedCalibration c = ReadInput(a[0], [&] { return ImportOziMap(a[0]); });
    std::size_t worst = 0;
    for (std::size_t i = 0; i < c.ResidualsPx.size(); ++i)
        if (!(c.ResidualsPx[i] <= c.ResidualsPx[worst])) worst = i;
    if (!c.ResidualsPx.empty() && !(c.ResidualsPx[worst] <= maxResidualPx)) {
        const TCalQuad& q = c.Data.CalQuads[static_cast<int>(worst) + 1];
        std::fprintf(stderr, "zylcarto: reference point %zu (pixel %d %d) lies %s px from the %s fit (at most %g)\n",
                     worst + 1, q.MapX, q.MapY, FormatFixed(c.ResidualsPx[worst], 1).c_str(),
                     std::string(CalibModelNames[static_cast<std::size_t>(c.Model)]).c_str(), maxResidualPx);
        return 1;
    }
    return ReportAndWrite(c, a[1]);
}

int RunMapImportWorld(TArgs a) {
    int zone = 0;
    if (auto z = TakeOption(a, "--utm-zone")) {
        zone = ParseInt(*z, "--utm-zone");
        if (zone < 1 || zone > 60) throw EUsageError("--utm-zone must be 1..60");
    }
    const bool south = TakeFlag(a, "--south");
    if (south && zone == 0) throw EUsageError("--south needs --utm-zone");
    const std::string crs = TakeOption(a, "--crs").value_or("");
    if (!crs.empty() && zone != 0) throw EUsageError("--crs and --utm-zone exclude each other");
    RejectUnknownOptions(a);
    if (a.size() != 2) throw EUsageError("map import-world takes IMAGE OUT.xml [--utm-zone Z [--south] | --crs CRS]");
    return ReportAndWrite(ReadInput(a[0], [&] { return ImportWorldFile(a[0], zone, south, crs); }), a[1]);
}

int RunMapExportWorld(const TArgs& a) {
    RejectUnknownOptions(a);
    if (a.empty() || a.size() > 2) throw EUsageError("map export-world takes FILE.xml [DATAID]");
    TCalibData d;
    TCalibModel model = cmUndefined;
    if (!ReadInput(a[0], [&] { return ParseCalibData(a[0], a.size() > 1 ? a[1] : "", d, model); }))
        throw EUsageError("no calibration data set " + (a.size() > 1 ? "\"" + a[1] + "\" " : std::string()) + "in " +
                          a[0]);
    const std::string dir = ExtractFilePath(a[0]);
    const std::string image = FindFileBeside(dir, d.MapFName);
    if (d.MapFName.empty() || image.empty())
        throw EUsageError("the map image \"" + d.MapFName + "\" of " + a[0] + " was not found");
    TImageSize size;
    if (!ReadImageSize(dir + image, size))
        throw EUsageError(dir + image + ": not a readable JPEG, BMP, PNG or TIFF image");
    if (model == cmUndefined) {
        std::fprintf(stderr, "zylcarto: the calibration has no model\n");
        return 1;
    }
    if (model == cmUTM && (d.UTMZone < 1 || d.UTMZone > 60)) {
        std::fprintf(stderr, "zylcarto: the UTM calibration has no zone\n");
        return 1;
    }
    TWorldExport w;
    try {
        w = WorldFileOf(d, model, size.Width, size.Height);
    } catch (const EZYLGeoMapError& e) {
        std::fprintf(stderr, "zylcarto: %s\n", e.what());
        return 1;
    }
    const std::string worldName = WorldFileNames(dir + image).front();
    WriteFileBytes(worldName, FormatWorldFile(w.World));
    const std::string prj = StripExtension(dir + image) + ".prj";
    if (!std::filesystem::exists(prj)) WriteFileBytes(prj, PrjText(d, w.UTM));
    std::printf("%s\n", worldName.c_str());
    if (!w.Exact) std::printf("max deviation\t%s\n", Metres(w.MaxResidualM).c_str());
    return 0;
}

}  // namespace zylcarto::cli
