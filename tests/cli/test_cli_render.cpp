// zylcarto map render: what the picture it writes shows.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "pixels.h"

namespace zylcarto::test {
namespace {

// A GPX file of the scratch folder, quoted for the shell.
std::string Gpx(const std::string& Name, const std::string& Body) {
    const std::string path = ScratchPath(Name);
    WriteFile(path, "<gpx version=\"1.1\">" + Body + "</gpx>");
    return "'" + path + "'";
}

// A generated 200 x 200 map over 10..20 N, 0..5 E, rendered pixel for pixel;
// tracks are drawn red, routes magenta.
TEST(CliRender, EachTrackFileDrawsItsTracksAndRoutes) {
    const std::string map = ScratchPath("tracked");
    ASSERT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 200 200").Status, 0);
    // Where the map's calibration puts a point of the track, one of the route and one between.
    const std::vector<std::string> at =
        RunCli("map to-pixel '" + map + ".xml'", "14.5 2.5\n12.5 1.5\n13.5 2.5\n").Lines();
    ASSERT_EQ(at.size(), 3u);
    const auto Pixel = [&](std::size_t i, TColor Color, const char* What) {
        return TPixel{std::stoi(at[i]), std::stoi(at[i].substr(at[i].find(' '))), Color, What};
    };
    const std::string track = Gpx("ride.gpx", "<trk><trkseg><trkpt lat=\"14.5\" lon=\"0.5\"/>"
                                              "<trkpt lat=\"14.5\" lon=\"4.5\"/></trkseg></trk>");
    const std::string route = Gpx("plan.gpx", "<rte><rtept lat=\"12.5\" lon=\"0.5\"><name>From</name></rtept>"
                                              "<rtept lat=\"12.5\" lon=\"4.5\"><name>To</name></rtept></rte>");
    const std::string png = ScratchPath("tracked.png");
    const TCliResult r =
        RunCli("map render '" + map + ".xml' '" + png + "' --size 200x200 --track " + track + " --track " + route);
    ASSERT_EQ(r.Status, 0) << r.Err;
    const QImage I(QString::fromStdString(png));
    ExpectPixels(I, {Pixel(0, 0x0000FF, "track"), Pixel(1, 0xFF00FF, "route")});
    const TPixel between = Pixel(2, 0, "");
    EXPECT_NE(At(I, between.X, between.Y), 0x0000FFu);

    struct TCase {
        std::string Track;
        int Status;
        std::string Err;
    };
    for (const TCase& c : {TCase{Gpx("none.gpx", "<wpt lat=\"1\" lon=\"2\"/>"), 0, "no track or route in"},
                           {Gpx("bad.gpx", "<trk><trkseg><trkpt lat=\"95\" lon=\"0\"/></trkseg></trk>"), 2, "bad.gpx"},
                           {"/nonexistent/x.gpx", 2, "x.gpx"}}) {
        const TCliResult e = RunCli("map render '" + map + ".xml' '" + png + "' --track " + c.Track);
        EXPECT_EQ(e.Status, c.Status) << c.Track << "\n" << e.Err;
        EXPECT_NE(e.Err.find(c.Err), std::string::npos) << e.Err;
    }
}

}  // namespace
}  // namespace zylcarto::test
