// zylcarto track stats | nmea-to-gpx: what GPS receivers recorded.
#include <cstdio>
#include <filesystem>
#include <string>

#include "exchange_cmds.h"
#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/exchange/nmea.h"
#include "zylcarto/geomap/tracks/track_stats.h"
#include "zylcarto/support/streams.h"

namespace zylcarto::cli {
namespace {

const char* const kTrackUsage =
    "usage: zylcarto track stats FILE.gpx\n"
    "Prints a header and one tab-separated line per track of FILE: number, name,\n"
    "fixes, length along the WGS 84 ellipsoid (metres, segments not joined),\n"
    "duration and moving time (seconds; a leg slower than 0.5 m/s is a stop),\n"
    "ascent and descent (metres; changes under 5 m are taken for noise); \"-\" where\n"
    "the track has no times or no elevations. Exit status 1 when FILE has no track.\n";

// A name on one line of a table.
std::string TableText(std::string Text) {
    for (char& c : Text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return Text;
}

std::string Cell(bool Known, double Value, int Decimals) { return Known ? FormatFixed(Value, Decimals) : "-"; }

int TrackStats(const TArgs& a) {
    if (a.size() != 1) throw EUsageError(std::string("track stats takes FILE.gpx\n") + kTrackUsage);
    const TGpxImport g = ReadInput(a[0], [&] { return ReadGpx(ReadFileBytes(a[0])); });
    if (g.Tracks.empty()) throw EOperationFailed("no track in " + a[0]);
    std::string out = "track\tname\tpoints\tlength_m\tduration_s\tmoving_s\tascent_m\tdescent_m\n";
    for (std::size_t i = 0; i < g.Tracks.size(); ++i) {
        const TTrackStats s = TrackStatistics(g.Tracks[i]);
        out += std::to_string(i + 1) + "\t" + TableText(g.Tracks[i].Name) + "\t" + std::to_string(s.Points) + "\t" +
               FormatFixed(s.Length, 3) + "\t" + Cell(s.Timed, s.Duration, 0) + "\t" + Cell(s.Timed, s.MovingTime, 0) +
               "\t" + Cell(s.HasElevation, s.Ascent, 1) + "\t" + Cell(s.HasElevation, s.Descent, 1) + "\n";
    }
    WriteOut(out);
    return ExitSuccess;
}

int RunTrack(const TArgs& Args) {
    if (Args.empty()) throw EUsageError(std::string("track needs a subcommand\n") + kTrackUsage);
    const TArgs rest(Args.begin() + 1, Args.end());
    RejectUnknownOptions(rest);
    if (Args[0] == "stats") return TrackStats(rest);
    throw EUsageError("unknown track subcommand " + Quoted(Args[0]) + "\n" + kTrackUsage);
}

const TRegistrar track{{"track", "statistics of the tracks of a GPX file", kTrackUsage, RunTrack}};

const char* const kNmeaUsage =
    "usage: zylcarto nmea-to-gpx IN.nmea OUT.gpx [--name NAME]\n"
    "Writes the fixes of an NMEA 0183 log (RMC and GGA sentences of any talker) as\n"
    "one GPX 1.1 track named NAME (default: the name of IN without its extension):\n"
    "position, UTC time (from the date of the last RMC), altitude of GGA, speed of RMC.\n"
    "A sentence without a fix starts a new segment. Sentences with a bad or missing\n"
    "checksum or a damaged field are passed over and counted on standard error.\n"
    "Exit status 1 when the log holds no fix, 2 when it holds no sentence.\n";

int NmeaToGpx(TArgs a) {
    const std::optional<std::string> name = TakeOption(a, "--name");
    RejectUnknownOptions(a);
    if (a.size() != 2) throw EUsageError(std::string("nmea-to-gpx takes IN.nmea OUT.gpx\n") + kNmeaUsage);
    TNmeaImport n = ReadInput(a[0], [&] { return ReadNmea(ReadFileBytes(a[0])); });
    if (n.Sentences == 0) throw EUsageError(a[0] + ": no NMEA sentence");
    const int skipped = n.BadChecksum + n.Malformed;
    if (skipped > 0)
        std::fprintf(stderr, "zylcarto: warning: %d sentences of %s passed over: %d with a bad or missing checksum, %d "
                     "with a damaged field\n", skipped, a[0].c_str(), n.BadChecksum, n.Malformed);
    if (n.Track.Segments.empty()) throw EOperationFailed("no fix in " + a[0]);
    n.Track.Name = name ? *name : std::filesystem::path(a[0]).stem().string();
    WriteFileBytes(a[1], WriteGpx({}, {n.Track}));
    WriteOut(std::to_string(n.Track.NumPoints()) + " fixes in " + std::to_string(n.Track.Segments.size()) +
             " segments (" + std::to_string(n.NoFix) + " sentences without a fix, " + std::to_string(n.Ignored) +
             " other lines)\n");
    return ExitSuccess;
}

const TRegistrar nmea{{"nmea-to-gpx", "an NMEA log of a GPS receiver as a GPX track", kNmeaUsage, NmeaToGpx}};

}  // namespace
}  // namespace zylcarto::cli
