#include <zylcarto/geodesy/ellipsoids.h>
#include <zylcarto/geodesy/projections.h>

#include <cstdio>

int main() {
    int zone = 0;
    double e = 0, n = 0;
    zylcarto::LatLongToUTM(48.2, 16.4, zylcarto::gelWGS84, zone, e, n);
    std::printf("%d %.0f\n", zone, zylcarto::RecipFlattening(zylcarto::gelWGS84));
    return zone == 33 ? 0 : 1;
}
