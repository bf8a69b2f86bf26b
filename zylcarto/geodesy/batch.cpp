#include "zylcarto/geodesy/batch.h"

#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/geocentric_math.h"
#include "zylcarto/geodesy/tm_series.h"

namespace zylcarto {

std::size_t LatLongToUTMBatch(const double* Lat, const double* Long, std::size_t Count, TGeoEllipsoid E, int* Zone,
                              double* Easting, double* Northing) {
    const auto& s = tmseries::OfEllipsoid(E);
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i) {
        int zone = 0;
        char letter = ' ';
        const double lat = Lat[i], lon = Long[i];
        GeoToUTMZone(lat, lon, zone, letter);
        const bool ok = tmseries::UTMForward(s, lat, lon, zone, Easting[i], Northing[i]);
        if (Northing[i] < 0.0) Northing[i] += tmseries::UTMFalseNorthingSouth;
        Zone[i] = zone;
        converted += ok && zone != 0;
    }
    return converted;
}

std::size_t LatLongToUTMForcedBatch(const double* Lat, const double* Long, std::size_t Count, int Zone, TGeoEllipsoid E,
                                    double* Easting, double* Northing) {
    const auto& s = tmseries::OfEllipsoid(E);
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i)
        converted += tmseries::UTMForcedForward(s, Lat[i], Long[i], Zone, Easting[i], Northing[i]);
    return converted;
}

std::size_t UTMToLatLongBatch(const double* Easting, const double* Northing, const int* Zone,
                              const unsigned char* South, std::size_t Count, TGeoEllipsoid E, double* Lat,
                              double* Long) {
    const auto& s = tmseries::OfEllipsoid(E);
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i)
        converted += tmseries::UTMInverse(s, Easting[i], Northing[i], Zone[i], South[i] != 0, Lat[i], Long[i]);
    return converted;
}

std::size_t GeoToTMBatch(const TTransverseMercator& P, const double* Lat, const double* Long, std::size_t Count,
                         double* Easting, double* Northing) {
    const auto t = tmseries::Prepare(P);
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i)
        converted += tmseries::GeoToGrid(t, Lat[i], Long[i], Easting[i], Northing[i]);
    return converted;
}

std::size_t TMToGeoBatch(const TTransverseMercator& P, const double* Easting, const double* Northing, std::size_t Count,
                         double* Lat, double* Long) {
    const auto t = tmseries::Prepare(P);
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i)
        converted += tmseries::GridToGeo(t, Easting[i], Northing[i], Lat[i], Long[i]);
    return converted;
}

void GeoToCartesianBatch(const double* Lat, const double* Long, const double* Height, std::size_t Count,
                         TGeoEllipsoid E, double* X, double* Y, double* Z) {
    const auto& c = geocentric::Constants(E);
    for (std::size_t i = 0; i < Count; ++i) geocentric::ToCartesian(c, Lat[i], Long[i], Height[i], X[i], Y[i], Z[i]);
}

void CartesianToGeoBatch(const double* X, const double* Y, const double* Z, std::size_t Count, TGeoEllipsoid E,
                         double* Lat, double* Long, double* Height) {
    const auto& c = geocentric::Constants(E);
    for (std::size_t i = 0; i < Count; ++i) geocentric::ToGeographic(c, X[i], Y[i], Z[i], Lat[i], Long[i], Height[i]);
}

std::size_t HelmertTransformBatch(int SrcDatum, const double* Lat, const double* Long, const double* Height,
                                  std::size_t Count, int DstDatum, double* Lat2, double* Long2, double* Height2,
                                  int* Status) {
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i) {
        Status[i] = HelmertTransform(SrcDatum, Lat[i], Long[i], Height[i], DstDatum, Lat2[i], Long2[i], Height2[i]);
        converted += Status[i] == 0;
    }
    return converted;
}

}  // namespace zylcarto
