#pragma once
// The residuals of a fit as a picture: each reference point with an arrow to
// where the fit puts it, drawn over the map image.
#include <string>
#include <vector>

namespace zylcarto::cli {

struct TPlotPoint {
    double X = 0, Y = 0;        // the point's pixel
    double FitX = 0, FitY = 0;  // where the fit puts its position
    bool Placed = false;        // false: the fit gives it no pixel, only the point is drawn
    bool Outlier = false;
};

// How many times the arrows are drawn longer than the residuals: a 1-2-5 number
// (at least 1) that makes the longest about a tenth of the picture's shorter side.
double ResidualArrowScale(const std::vector<TPlotPoint>& Points, int Width, int Height);

// Writes a PNG of Width x Height pixels to File: Background (any image Qt reads,
// stretched to that size; "" for a white canvas), the points, their arrows Scale
// times longer than the residuals (outliers in red) and the scale written in a
// corner. Raises EUsageError when the background cannot be read and
// EOperationFailed when the file cannot be written.
void WriteResidualPlot(const std::string& File, const std::string& Background, int Width, int Height,
                       const std::vector<TPlotPoint>& Points, double Scale);

}  // namespace zylcarto::cli
