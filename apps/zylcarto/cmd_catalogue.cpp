// zylcarto ellipsoids | countries: the constant catalogues of the geodesy unit.
#include <cstdio>
#include <string>

#include "cli.h"
#include "zylcarto/geodesy/countries.h"
#include "zylcarto/geodesy/ellipsoids.h"

namespace zylcarto::cli {
namespace {

int RunEllipsoids(const TArgs& args) {
    if (!args.empty()) throw EUsageError("ellipsoids takes no arguments");
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

const TRegistrar ellipsoids{{"ellipsoids", "list the 61 reference ellipsoids",
                             "usage: zylcarto ellipsoids\n"
                             "Prints one tab-separated line per ellipsoid: ordinal, identifier, name,\n"
                             "semi-major axis a, semi-minor axis b (metres), reciprocal flattening, e^2.\n",
                             RunEllipsoids}};

int RunCountries(const TArgs& args) {
    if (!args.empty()) throw EUsageError("countries takes no arguments");
    for (const TCountryData& c : CountryData) {
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%d\n", c.Name.Str().c_str(), c.Fips10.Str().c_str(),
                    c.ISO3166_2.Str().c_str(), c.ISO3166_3.Str().c_str(), FormatShortest(c.CLat).c_str(),
                    FormatShortest(c.CLong).c_str(), c.Capital.Str().c_str(), FormatShortest(c.CapLat).c_str(),
                    FormatShortest(c.CapLong).c_str(), static_cast<int>(c.CapAlt));
    }
    return 0;
}

const TRegistrar countries{{"countries", "list the 231 countries with codes and capitals",
                            "usage: zylcarto countries\n"
                            "Prints one tab-separated line per country: name, FIPS 10-4 code, ISO 3166\n"
                            "alpha-2 and alpha-3 codes, centre latitude and longitude, capital, its\n"
                            "latitude, longitude (degrees) and altitude (metres).\n",
                            RunCountries}};

}  // namespace
}  // namespace zylcarto::cli
