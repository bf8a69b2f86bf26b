#pragma once
// Landmark symbols drawn from runs of pixels. A symbol made of lines at fixed
// offsets from its centre (the plus and the cross, the outlines of the
// transparent square, cross box and spade) is drawn once per shape onto a
// scratch image; every landmark of that shape then copies the runs in its own
// colours. A frame draws thousands of landmarks of a few
// shapes, and the default opaque cross is twenty strokes.
#include <cstdint>
#include <vector>

#include "zylcarto/geomap/view/symbol_drawing.h"

namespace zylcarto {

class TSymbolRuns {
public:
    // DrawLandMarkSymbolOnCanvas, with the same pixels and the same canvas state after it.
    void Draw(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, TColor ColorFG, TColor ColorBG, int Size,
              int Direction, int Length, bool Transparent);
    // Asks the processor to fetch the pixels that Draw of this shape at (X, Y) will write.
    void Prefetch(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, int Size, int Direction, int Length,
                  bool Transparent);

private:
    struct TRun {
        int dy, x1, x2;  // pixels x1..x2 of row dy, relative to the centre
        bool Background;
        qsizetype Offset;  // of pixel (x1, dy) from the centre in the canvas's rows
    };
    struct TShape {
        TLandMarkElement Element;
        int Size, Direction, Length;
        bool Transparent;
        std::vector<TRun> Runs;
        TRect Box;      // relative to the centre, right and bottom inclusive
        TPoint PenEnd;  // the pen position after drawing, relative to the centre
        bool PenEndsInBackground, SetsBrushToBackground;
        bool ByStrokes;  // not drawn from runs: shapes or fills, or too large
    };

    const TShape* Shape(const TCanvas& Canvas, TLandMarkElement Element, int Size, int Direction, int Length,
                        bool Transparent);

    std::vector<TShape> FShapes;
    qsizetype FRowPixels = 0;  // of the canvas the offsets were made for
    std::size_t FLast = 0;
};

}  // namespace zylcarto
