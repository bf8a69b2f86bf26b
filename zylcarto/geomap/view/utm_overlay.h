#pragma once
// The UTM grid of a map in one zone, whatever its calibration model: the zone
// it is drawn in, the conversion between image pixels and grid metres, the
// spacing and the range of lines a part of the image needs. No drawing here.
#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto {

// Easting and northing limits, in metres, of a part of the image.
struct TUTMGridRange {
    double EastMin = 0, EastMax = 0, NorthMin = 0, NorthMax = 0;
};

class TUTMGridFrame {
public:
    // A utm calibration has a grid of its own. Any other uses the calibration's
    // zone and hemisphere when it has a zone, else those of image pixel (X, Y),
    // so that one zone serves the whole map even where it crosses a border.
    TUTMGridFrame(const TMapCalibration& Calib, double X, double Y);

    // False when no zone could be found (a pixel without position, a polar cap).
    bool Valid() const { return FValid; }
    int Zone() const { return FZone; }
    bool South() const { return FSouth; }
    // Grid lines are straight in the image: its ends are enough to draw one.
    bool Straight() const { return FStraight; }

    // Image pixel to grid metres and back; false where the calibration gives no answer.
    bool ToGrid(double X, double Y, double& Easting, double& Northing) const;
    bool ToPixel(double Easting, double Northing, double& X, double& Y) const;

    // The grid range over the image rectangle from (Left, Top) to (Right, Bottom),
    // from positions along its border; false when none of them converts.
    bool RangeOver(double Left, double Top, double Right, double Bottom, TUTMGridRange& Range) const;

private:
    const TMapCalibration& FCalib;
    bool FValid = false, FStraight = false, FSouth = false;
    int FZone = 0;
};

// The spacing of the grid lines in metres: GridDist when at least 1 metre, else
// the 1-2-5 rounding of a tenth of the map's northing extent, at least 1 metre.
double UTMGridStep(int GridDist, double NorthingExtent);

}  // namespace zylcarto
