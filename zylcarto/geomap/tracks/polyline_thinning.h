#pragma once
/// @file
/// Fewer vertices for a polyline drawn at a given scale: a track of 100 000 fixes
/// seen whole on a screen needs a few hundred. A pure function, safe from any thread.
#include <cstddef>
#include <span>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// A position on the screen, pixels.
struct TPixelPos {
    /// @{
    /// Column and row.
    double X = 0, Y = 0;
    /// @}
};

/// The indexes, ascending, of the vertices of Points to draw so that no vertex left
/// out lies farther than Tolerance pixels from the line drawn (Tolerance·√2 where the
/// line turns back on itself). The first and the last vertex are always kept, and so
/// is every vertex with a coordinate that is not finite, which the line does not
/// pass over. Linear time: each vertex is looked at twice at most (a cone of the
/// directions every vertex passed over allows, narrowed until the next vertex
/// falls outside it). A Tolerance that is not positive keeps every vertex.
ZYLCARTO_EXPORT std::vector<std::size_t> ThinPolyline(std::span<const TPixelPos> Points, double Tolerance);

}  // namespace zylcarto
