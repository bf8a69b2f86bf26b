#pragma once
// Generates the demo's atlas: maps of Zylland at several scales, each a BMP
// image with its calibration file, drawn from the built-in region data.
#include <string>
#include <string_view>
#include <vector>

#include "region_data.h"

namespace zylcarto {
class TCanvas;
struct TGeneratedMapBounds;
}  // namespace zylcarto

namespace zylcarto::demo {

struct TDemoMapSpec {
    std::string_view Stem;  // file name without extension, lower case
    std::string_view Caption;
    double LatLow, LongLow, LatHigh, LongHigh;
    double dLat, dLong;  // grid steps
    int Wid, Hgt;
};

// The data set of the atlas's calibration files.
constexpr std::string_view CalDataID = "ZYL_geomap_caldata";

// Coarsest first.
std::span<const TDemoMapSpec> DemoMaps();

// The calibration files of the atlas in Folder, generating what is missing
// (or everything with Regenerate). Folder is created when needed.
std::vector<std::string> BuildAtlas(const std::string& Folder, bool Regenerate);

// Draws the region onto a generated map of the given bounds.
void DrawRegion(TCanvas& Canvas, const TRegion& Region, const TGeneratedMapBounds& Bounds);

}  // namespace zylcarto::demo
