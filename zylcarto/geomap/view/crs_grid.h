#pragma once
// The grid of any coordinate reference system over a calibrated map: the range
// and spacing of its lines over a part of the image, their labels, and the
// lines as image pixels. PROJ is called once per batch, not once per point.
#include <cstdint>
#include <string>
#include <vector>

#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto {

// Easting and northing limits of a part of the image, in the CRS's units.
struct TCrsGridRange {
    double EastMin = 0, EastMax = 0, NorthMin = 0, NorthMax = 0;
};

// The range over the image rectangle from (Left, Top) to (Right, Bottom), from
// positions along its border; false when none of them converts.
bool CrsGridRange(const TMapCalibration& Calib, const TCRSConverter& Crs, double Left, double Top, double Right,
                  double Bottom, TCrsGridRange& Range);

// The 1-2-5 spacing that gives about ten lines over Extent; 0 for an extent that
// is not finite and positive.
double CrsGridStep(double Extent);

// A grid line's value as its label: whole units for steps of 1 and more, else
// as many decimals as the step needs.
std::string CrsGridLabel(double Value, double Step);

// Image pixels of grid lines, Points per line, line after line; Valid[i] is 0
// where the position does not convert or lies off the calibration.
struct TCrsGridPixels {
    std::vector<double> X, Y;
    std::vector<std::uint8_t> Valid;
};

// Lines of constant northing (Northings, from Range.EastMin to EastMax) then of
// constant easting (Eastings, from NorthMin to NorthMax), each sampled at Points
// evenly spaced positions (at least 2).
TCrsGridPixels CrsGridLinePixels(const TMapCalibration& Calib, const TCRSConverter& Crs, const TCrsGridRange& Range,
                                 const std::vector<double>& Northings, const std::vector<double>& Eastings, int Points);

}  // namespace zylcarto
