#include "zylcarto/geomap/view/measure_path.h"

namespace zylcarto {

bool TMeasurePath::Add(const TVertex& Vertex) {
    if (FClosed) return false;
    FVertices.push_back(Vertex);
    Measure();
    return true;
}

bool TMeasurePath::Close() {
    if (FClosed || FVertices.size() < 3) return false;
    FClosed = true;
    Measure();
    return true;
}

bool TMeasurePath::Clear() {
    if (FVertices.empty()) return false;
    *this = {};
    return true;
}

void TMeasurePath::Measure() {
    std::vector<TLatLong> Positions;
    Positions.reserve(FVertices.size() + 1);
    for (const TVertex& V : FVertices) Positions.push_back(V.Position);
    FArea = FClosed ? MeasurePolygon(Positions).Area : std::numeric_limits<double>::quiet_NaN();
    if (FClosed) Positions.push_back(Positions.front());
    FPath = MeasurePath(Positions);
}

}  // namespace zylcarto
