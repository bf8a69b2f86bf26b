#pragma once
// A path measured on the map: the positions clicked with the image pixels they
// were clicked at, and its length, the bearings of its legs and, once closed, the
// area it encloses, on the WGS 84 ellipsoid along geodesics. A plain value.
#include <limits>
#include <vector>

#include "zylcarto/geodesy/geodesic.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TMeasurePath {
public:
    struct TVertex {
        TLatLong Position;
        TPoint Pixel;  // image pixel, where it is drawn
    };

    // Appends a vertex; false, nothing changed, once the path is closed.
    bool Add(const TVertex& Vertex);
    // Joins the last vertex back to the first; false, nothing changed, with
    // fewer than three vertices or when already closed.
    bool Close();
    // False when it was empty.
    bool Clear();

    const std::vector<TVertex>& Vertices() const { return FVertices; }
    bool Closed() const { return FClosed; }
    // Metres along the legs, the closing one included.
    double Length() const { return FPath.Length; }
    // Degrees clockwise from north at the start of each leg, the closing one last.
    const std::vector<double>& Bearings() const { return FPath.Bearings; }
    // Square metres; NaN while the path is open.
    double Area() const { return FArea; }

private:
    void Measure();

    std::vector<TVertex> FVertices;
    bool FClosed = false;
    TPathMeasure FPath;
    double FArea = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace zylcarto
