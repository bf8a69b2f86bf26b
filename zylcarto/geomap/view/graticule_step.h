#pragma once
// The spacing of the automatic latitude/longitude graticule: parallels and
// meridians about as far apart on the picture, each at a step a reader counts in
// (whole degrees, minutes or seconds of the usual divisions).
namespace zylcarto {

struct TGraticuleSteps {
    // Degrees between parallels and between meridians; 0: no lines of that kind.
    double Lat = 0, Long = 0;
};

// The lines come about this many to the shorter side of the picture.
inline constexpr double GraticuleLinesAcross = 5;

// Steps for a map whose picture of Width x Height pixels spans LatExtent degrees
// of latitude top to bottom and LongExtent degrees of longitude left to right:
// for each kind the step from the series 1, 2, 3, 5, 6, 10, 15, 20, 30 seconds, the
// same in minutes, the same and 45 in degrees (and below a second 1, 2, 5 times a
// power of ten) nearest to the picture's shorter side over GraticuleLinesAcross.
// Both 0 when an extent or a side is not finite and positive.
TGraticuleSteps AutomaticGraticuleSteps(double LatExtent, double LongExtent, double Width, double Height);

}  // namespace zylcarto
