#pragma once
// Synthetic maps for the calibration tests: a known projection between image
// pixels and positions, in both directions, so that a fitted calibration can be
// compared with the truth at points it was not fitted to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "zylcarto/geomap/calibration/calibration.h"

namespace synthetic {

struct Geo {
    double Lat, Long;
};
struct Pix {
    double X, Y;
};

struct Map {
    std::function<Pix(Geo)> Forward;  // position -> exact (fractional) pixel
    std::function<Geo(Pix)> Inverse;  // pixel -> exact position
};

// A calibration of a W x H image by Model, without reference points.
inline zylcarto::TMapCalibration Calibration(zylcarto::TCalibModel Model, int W = 1000, int H = 1000,
                                             const std::string& Name = "Map1") {
    zylcarto::TMapCalibration cal(Name);
    cal.SetMapImageSize(W, H);
    cal.SetCalibModel(Model);
    return cal;
}

// Pixels of a regular grid, inclusive of both ends.
inline std::vector<zylcarto::TPoint> Grid(int x0, int x1, int y0, int y1, int steps) {
    std::vector<zylcarto::TPoint> pts;
    for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) pts.push_back({x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * j / steps});
    return pts;
}

struct Errors {
    double MaxLatErr = 0, MaxLongErr = 0;  // degrees, model vs truth at held-out pixels
    int MaxRoundTrip = 0;                  // pixels, pixel -> model position -> model pixel
    int MaxForward = 0;                    // pixels, true position -> model pixel vs true pixel
    int Invalid = 0;
};

// Compares the calibration with the truth at the held-out pixels and prints the
// bounds, so that the accuracy of each model is on record in the test log.
inline Errors Measure(const zylcarto::TMapCalibration& cal, const Map& truth,
                      const std::vector<zylcarto::TPoint>& heldOut, const std::string& label) {
    Errors e;
    for (const zylcarto::TPoint& p : heldOut) {
        bool vLat = false, vLong = false;
        const double lat = cal.CalcLatitude(p.X, p.Y, vLat);
        const double lon = cal.CalcLongitude(p.X, p.Y, vLong);
        if (!vLat || !vLong) {
            ++e.Invalid;
            continue;
        }
        const Geo t = truth.Inverse({double(p.X), double(p.Y)});
        e.MaxLatErr = std::max(e.MaxLatErr, std::fabs(lat - t.Lat));
        e.MaxLongErr = std::max(e.MaxLongErr, std::fabs(lon - t.Long));
        int x = 0, y = 0;
        if (!cal.CalcPixelCoords(lat, lon, x, y)) {
            ++e.Invalid;
            continue;
        }
        e.MaxRoundTrip = std::max({e.MaxRoundTrip, std::abs(x - p.X), std::abs(y - p.Y)});
        if (!cal.CalcPixelCoords(t.Lat, t.Long, x, y)) {
            ++e.Invalid;
            continue;
        }
        e.MaxForward = std::max({e.MaxForward, std::abs(x - p.X), std::abs(y - p.Y)});
    }
    std::cout << "[" << label << "] held-out " << heldOut.size() << ": max |dLat| " << e.MaxLatErr
              << " deg, max |dLong| " << e.MaxLongErr << " deg, round trip <= " << e.MaxRoundTrip
              << " px, forward <= " << e.MaxForward << " px\n";
    return e;
}

// Reference points of a point-based model at the given pixels, positions from the truth.
inline void AddReferencePoints(zylcarto::TMapCalibration& cal, const Map& truth,
                               const std::vector<zylcarto::TPoint>& pixels) {
    for (const zylcarto::TPoint& p : pixels) {
        const Geo g = truth.Inverse({double(p.X), double(p.Y)});
        ASSERT_TRUE(cal.AddCalibPoint(g.Lat, g.Long, p.X, p.Y));
    }
}

}  // namespace synthetic
