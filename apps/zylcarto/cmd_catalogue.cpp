// zylcarto ellipsoids | countries: the constant catalogues of the geodesy unit.
#include <cstdio>

#include "cli.h"
#include "zylcarto/geodesy/ellipsoids.h"

namespace zylcarto::cli {
namespace {

int RunEllipsoids(const Args& args) {
    if (!args.empty()) throw UsageError("ellipsoids takes no arguments");
    for (int i = 0; i < GeoEllipsoidCount; ++i) {
        const auto e = static_cast<TGeoEllipsoid>(i);
        const auto& ax = EllipsoidAxes(e);
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\n", i, std::string(GeoEllipsoidId[i]).c_str(),
                    std::string(GeoEllipsoidName[i]).c_str(), FormatShortest(ax.a).c_str(),
                    FormatShortest(ax.b).c_str(), FormatFixed(RecipFlattening(e), 10).c_str(),
                    FormatFixed(GeoEllEccSquared(e), 12).c_str());
    }
    return 0;
}

const Registrar ellipsoids{{"ellipsoids", "list the 61 reference ellipsoids",
                            "usage: zylcarto ellipsoids\n"
                            "Prints one tab-separated line per ellipsoid: ordinal, identifier, name,\n"
                            "semi-major axis a, semi-minor axis b (metres), reciprocal flattening, e^2.\n",
                            RunEllipsoids}};

} // namespace
} // namespace zylcarto::cli
