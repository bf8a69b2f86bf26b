// zylcarto map to-position | to-pixel: conversions with a calibration file, for
// every model, as gdaltransform converts with a georeferenced image.
#include <cstdio>
#include <string>

#include "batch_convert.h"
#include "cli.h"
#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/image_size.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::cli {

const char* const kMapConvertUsage =
    "       zylcarto map to-position FILE.xml [DATAID] < \"X Y\" lines\n"
    "       zylcarto map to-pixel FILE.xml [DATAID] < \"LAT LON\" lines\n"
    "to-position   converts fractional image pixels to \"LAT LON\" (WGS 84 for the\n"
    "              projected model, 9 decimals) with the calibration, any model;\n"
    "to-pixel      converts \"LAT LON\" to fractional pixels \"X Y\" (3 decimals). One\n"
    "              line out per line in (blank and # lines skipped); a line that\n"
    "              cannot be converted gives \"error: line N: ...\" and exit status 1.\n";

namespace {

constexpr int DegreeDecimals = 9;
constexpr int PixelDecimals = 3;

// The calibration of a data set, fitted as the map widget fits it on loading.
// The image beside the file gives the size the conic search starts from.
void LoadCalibration(const TArgs& a, const char* sub, TMapCalibration& cal) {
    if (a.empty() || a.size() > 2)
        throw EUsageError(std::string("map ") + sub + " takes FILE.xml [DATAID] and reads lines from standard input");
    TCalibData d;
    TCalibModel model = cmUndefined;
    if (!ParseCalibData(a[0], a.size() > 1 ? a[1] : "", d, model))
        throw EUsageError("no calibration data set " + (a.size() > 1 ? Quoted(a[1]) + " " : std::string()) + "in " +
                          a[0]);
    const std::string dir = ExtractFilePath(a[0]);
    const std::string image = d.MapFName.empty() ? std::string() : FindFileBeside(dir, d.MapFName);
    TImageSize size;
    if (!image.empty() && ReadImageSize(dir + image, size)) cal.SetMapImageSize(size.Width, size.Height);
    cal.SetCalibData(d);
    cal.StoreCalibModel(model);
    cal.RecalcCalibration();
    if (model == cmUndefined) throw EOperationFailed(a[0] + ": the calibration has no model");
    if (model == cmProjected && !cal.CRSError().empty())
        throw EUsageError(a[0] + ": coordinate reference system " + Quoted(d.CRS) + ": " + cal.CRSError());
}

}  // namespace

int RunMapToPosition(const TArgs& a) {
    RejectUnknownOptions(a);
    TMapCalibration cal("map");
    LoadCalibration(a, "to-position", cal);
    return RunBatch(stdin, "X Y", DegreeDecimals, false, PositionConverter(cal, false));
}

int RunMapToPixel(const TArgs& a) {
    RejectUnknownOptions(a);
    TMapCalibration cal("map");
    LoadCalibration(a, "to-pixel", cal);
    return RunBatch(stdin, "LAT LON", PixelDecimals, true, PixelConverter(cal, false));
}

}  // namespace zylcarto::cli
