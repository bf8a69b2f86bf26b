// zylcarto track stats, nmea-to-gpx, and the tracks landmarks import-gpx keeps.
#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "file_bytes.h"
#include "scratch_dir.h"

namespace zylcarto::test {
namespace {

// Writes Text to a file of the scratch folder and returns its path, quoted for the shell.
std::string Input(const std::string& Name, const std::string& Text) {
    const std::string path = ScratchPath(Name);
    WriteFile(path, Text);
    return "'" + path + "'";
}

// Two legs of 0.01 degrees along the equator (1113.195 m each), 100 s apart, then a
// track without times or elevations.
const char* const kTwoTracks =
    "<gpx version=\"1.1\"><trk><name>Ride\tout</name><trkseg>"
    "<trkpt lat=\"0\" lon=\"10\"><ele>100</ele><time>2024-05-01T12:00:00Z</time></trkpt>"
    "<trkpt lat=\"0\" lon=\"10.01\"><ele>110</ele><time>2024-05-01T12:01:40Z</time></trkpt>"
    "<trkpt lat=\"0\" lon=\"10.02\"><ele>104</ele><time>2024-05-01T12:03:20Z</time></trkpt></trkseg></trk>"
    "<trk><trkseg><trkpt lat=\"0\" lon=\"10\"/><trkpt lat=\"0\" lon=\"10.01\"/></trkseg></trk></gpx>";
const char* const kHeader = "track\tname\tpoints\tlength_m\tduration_s\tmoving_s\tascent_m\tdescent_m\n";

struct TCase {
    std::string Args;
    int Status;
    std::string Out;  // the whole output, or a part of it when Part is set
    std::string Err;  // a part of standard error
    bool Part = false;
};

void RunCases(const std::vector<TCase>& Cases) {
    for (const TCase& c : Cases) {
        const TCliResult r = RunCli(c.Args);
        EXPECT_EQ(r.Status, c.Status) << c.Args << "\n" << r.Err;
        if (c.Part)
            EXPECT_NE(r.Out.find(c.Out), std::string::npos) << c.Args << "\n" << r.Out;
        else
            EXPECT_EQ(r.Out, c.Out) << c.Args;
        EXPECT_NE(r.Err.find(c.Err), std::string::npos) << c.Args << "\n" << r.Err;
    }
}

TEST(CliTrack, StatsOfEachTrack) {
    RunCases({
        {"track stats " + Input("two.gpx", kTwoTracks), 0,
         std::string(kHeader) + "1\tRide out\t3\t2226.390\t200\t200\t10.0\t6.0\n2\t\t2\t1113.195\t-\t-\t-\t-\n", ""},
        {"track stats " + Input("wpt.gpx", "<gpx><wpt lat=\"1\" lon=\"2\"/></gpx>"), 1, "", "no track in"},
        {"track stats " + Input("bad.gpx", "<gpx><trk><trkseg><trkpt lat=\"95\" lon=\"0\"/></trkseg></trk></gpx>"), 2,
         "", "trkpt position out of range"},
        {"track stats " + Input("kml.gpx", "<kml/>"), 2, "", "not a GPX file"},
        {"track stats /nonexistent/x.gpx", 2, "", "x.gpx"},
        {"track stats", 2, "", "track stats takes FILE.gpx"},
        {"track stats " + Input("two2.gpx", kTwoTracks) + " --fast", 2, "", "--fast"},
        {"track", 2, "", "track needs a subcommand"},
    });
}

TEST(CliTrack, NmeaToGpx) {
    const std::string log = "$GPRMC,120000,A,0000.000,N,01000.000,E,1.0,90,010524,,*3B\r\n"
                            "$GPGGA,120000,0000.000,N,01000.000,E,1,08,0.9,10.0,M,,M,,*6E\r\n"
                            "$GPRMC,120030,A,0000.000,N,00000.000,E,1.0,90,010524,,*00\r\n"  // bad checksum
                            "$GPRMC,120100,A,0000.000,N,01000.600,E,1.0,90,010524,,*3C\r\n"
                            "$GPRMC,120200,V,,,,,,,010524,,*32\r\n";
    const std::string out = ScratchPath("log.gpx");
    RunCases({
        {"nmea-to-gpx " + Input("log.nmea", log) + " '" + out + "'", 0,
         "2 fixes in 1 segments (1 sentences without a fix, 0 other lines)\n",
         "1 sentences of " + ScratchPath("log.nmea") + " passed over: 1 with a bad or missing checksum"},
        {"track stats '" + out + "'", 0, std::string(kHeader) + "1\tlog\t2\t1113.195\t60\t60\t-\t-\n", ""},
        {"nmea-to-gpx " + Input("l2.nmea", log) + " '" + out + "' --name 'Day 1'", 0, "2 fixes", "", true},
        {"track stats '" + out + "'", 0, "1\tDay 1\t2\t", "", true},
        {"nmea-to-gpx " + Input("nofix.nmea", "$GPRMC,120200,V,,,,,,,010524,,*32\n") + " '" + out + "'", 1, "",
         "no fix in"},
        {"nmea-to-gpx " + Input("text.nmea", "hello\n") + " '" + out + "'", 2, "", "no NMEA sentence"},
        {"nmea-to-gpx /nonexistent/x.nmea '" + out + "'", 2, "", "x.nmea"},
        {"nmea-to-gpx " + Input("l3.nmea", log) + " /nonexistent/dir/out.gpx", 1, "", "out.gpx"},
        {"nmea-to-gpx " + Input("l4.nmea", log), 2, "", "nmea-to-gpx takes IN.nmea OUT.gpx"},
    });
}

TEST(CliTrack, LandmarksImportGpxKeepsTracksAndRoutes) {
    const std::string gpx = Input("mixed.gpx", std::string(kTwoTracks).insert(
                                                  std::string(kTwoTracks).find("<trk>"),
                                                  "<rte><name>Plan</name><rtept lat=\"1\" lon=\"2\"/></rte>"));
    const std::string lm = ScratchPath("lm.xml"), kept = ScratchPath("kept.gpx");
    RunCases({
        {"landmarks import-gpx " + gpx + " '" + lm + "'", 0,
         "0 landmarks (GPX 1.1)\n2 tracks (5 points), 1 routes in " + ScratchPath("lm.tracks.gpx") + "\n", ""},
        {"track stats '" + ScratchPath("lm.tracks.gpx") + "'", 0, "1\tRide out\t3\t2226.390\t200", "", true},
        {"landmarks import-gpx " + gpx + " '" + lm + "' --tracks '" + kept + "'", 0, "1 routes in " + kept, "", true},
        {"landmarks export-gpx '" + lm + "' " + Input("o.gpx", "") + " --tracks /nonexistent/t.gpx", 2, "", "t.gpx"},
    });
}

}  // namespace
}  // namespace zylcarto::test
