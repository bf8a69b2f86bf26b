// zylcarto landmarks import-gpx | export-gpx: waypoints of GPS receivers and
// other tools to and from landmark files, their tracks and routes beside them.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "exchange_cmds.h"
#include "landmark_warnings.h"
#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::cli {
namespace {

using namespace zylcarto;

constexpr const char* kDefaultDataID = "ZYL_geomap_landmarks";

const char* const kUsage = "usage: zylcarto landmarks import-gpx IN.gpx OUT.xml [DATAID] [--tracks TRACKS.gpx]\n"
                           "       zylcarto landmarks export-gpx IN.xml OUT.gpx [DATAID] [--tracks TRACKS.gpx]\n"
                           "import-gpx  writes the waypoints of a GPX 1.0 or 1.1 file as a landmark set\n"
                           "            (DATAID, default ZYL_geomap_landmarks): name -> caption, desc (or\n"
                           "            cmt) -> identifier, sym -> symbol, ele -> altitude, time -> time (UTC).\n"
                           "            Characters the landmark file (Windows-1252) cannot hold become \"?\".\n"
                           "            Unknown symbols become Cross, with a warning. Tracks and routes, which\n"
                           "            a landmark file does not hold, go to TRACKS.gpx (default: OUT with\n"
                           "            the extension .tracks.gpx) as GPX 1.1.\n"
                           "export-gpx  writes a landmark set (the first without DATAID) as GPX 1.1 waypoints,\n"
                           "            with the tracks and routes of TRACKS.gpx when given.\n";

int ImportGpx(const TArgs& a, const std::optional<std::string>& TracksFile) {
    if (a.size() < 2 || a.size() > 3)
        throw EUsageError(std::string("landmarks import-gpx takes IN.gpx OUT.xml [DATAID]\n") + kUsage);
    const TGpxImport g = ReadInput(a[0], [&] { return ReadGpx(ReadFileBytes(a[0])); });
    TTextFile f;
    f.OpenWrite(a[1]);
    WriteLandMarkSet(f, true, a.size() > 2 ? a[2] : kDefaultDataID, static_cast<int>(g.LandMarks.size()),
                     [&](int i) -> const TLandMark& { return g.LandMarks[static_cast<std::size_t>(i - 1)]; });
    f.Close();
    if (g.Replaced > 0)
        std::fprintf(stderr, "zylcarto: warning: %d characters the landmark file cannot hold became \"?\"\n",
                     g.Replaced);
    if (g.Shortened > 0)
        std::fprintf(stderr, "zylcarto: warning: %d names or descriptions were cut to the landmark's length\n",
                     g.Shortened);
    if (!g.UnknownSymbols.empty()) {
        int waypoints = 0, listed = 0;
        std::string names;
        for (const auto& [name, count] : g.UnknownSymbols) {
            waypoints += count;
            if (++listed <= 5) names += (listed > 1 ? ", " : "") + Quoted(name) + " (" + std::to_string(count) + ")";
        }
        if (listed > 5) names += " and " + std::to_string(listed - 5) + " more";
        std::fprintf(
            stderr,
            "zylcarto: warning: %d waypoints have a symbol with no landmark element and are drawn as Cross: %s\n",
            waypoints, names.c_str());
    }
    std::printf("%zu landmarks (GPX %s)\n", g.LandMarks.size(), g.Version.empty() ? "?" : g.Version.c_str());
    if (!g.Tracks.empty() || !g.Routes.empty()) {
        const std::string file = TracksFile ? *TracksFile : StripExtension(a[1]) + ".tracks.gpx";
        WriteFileBytes(file, WriteGpx({}, g.Tracks, g.Routes));
        std::size_t points = 0;
        for (const TTrack& t : g.Tracks) points += t.NumPoints();
        std::printf("%zu tracks (%zu points), %zu routes in %s\n", g.Tracks.size(), points, g.Routes.size(),
                    file.c_str());
    }
    return 0;
}

int ExportGpx(const TArgs& a, const std::optional<std::string>& TracksFile) {
    if (a.size() < 2 || a.size() > 3)
        throw EUsageError(std::string("landmarks export-gpx takes IN.xml OUT.gpx [DATAID]\n") + kUsage);
    std::vector<TLandMark> lms;
    int skipped = 0;
    const bool found = ReadInput(a[0], [&] {
        TTextFile f;
        if (!f.OpenRead(a[0])) throw EUsageError("cannot read " + a[0]);
        TTextFileSource source(f);
        return ReadLandMarkSet(source, a.size() > 2 ? a[2] : "", lms, &skipped);
    });
    if (!found)
        throw EUsageError("no landmark set " + (a.size() > 2 ? "\"" + a[2] + "\" " : std::string()) + "in " + a[0]);
    WarnSkippedLandMarks(skipped, a[0]);
    WarnAlteredLandMarkTexts(lms, a[0]);
    const TGpxImport tracks =
        TracksFile ? ReadInput(*TracksFile, [&] { return ReadGpx(ReadFileBytes(*TracksFile)); }) : TGpxImport{};
    WriteFileBytes(a[1], WriteGpx(lms, tracks.Tracks, tracks.Routes));
    std::printf("%zu waypoints\n", lms.size());
    return 0;
}

int RunLandmarks(const TArgs& args) {
    if (args.empty()) throw EUsageError(std::string("landmarks needs a subcommand\n") + kUsage);
    TArgs rest(args.begin() + 1, args.end());
    const std::optional<std::string> tracks = TakeOption(rest, "--tracks");
    RejectUnknownOptions(rest);
    if (args[0] == "import-gpx") return ImportGpx(rest, tracks);
    if (args[0] == "export-gpx") return ExportGpx(rest, tracks);
    throw EUsageError("unknown landmarks subcommand \"" + args[0] + "\"\n" + kUsage);
}

const TRegistrar reg{{"landmarks", "import and export landmarks as GPX waypoints", kUsage, RunLandmarks}};

}  // namespace
}  // namespace zylcarto::cli
