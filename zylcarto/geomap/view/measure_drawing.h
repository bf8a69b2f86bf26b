#pragma once
// How a measured path looks on the map: its legs, its vertices and a label with
// its length (and area, once closed) beside the last vertex.
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/map_viewport.h"

namespace zylcarto {

class TMeasurePath;

// Draws Path, its image pixels placed by View; nothing for an empty path.
void DrawMeasurePath(TCanvas& Canvas, const TMeasurePath& Path, const TMapViewport& View);

}  // namespace zylcarto
