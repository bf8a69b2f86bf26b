#pragma once
/// @file
/// Composes a map picture from a scene and a viewport into a given image, in
/// a fixed order: background, map image (through the cache of scaled tiles), the first
/// host hook, graticule or UTM grid with calibration markers, tracks and routes,
/// residual arrows, landmarks with captions, the second hook, the highlighted
/// landmark, the live position, scale bar and north arrow, mouse trace, measured
/// path, frame.
/// No widget is involved: the control's paint, bitmap export, printing and
/// the command-line renderer all compose through it.
#include <QImage>
#include <QRect>
#include <span>
#include <vector>

#include "zylcarto/geomap/view/map_scene.h"
#include "zylcarto/geomap/view/map_viewport.h"

namespace zylcarto {

struct TLMTextProperties;

/// One composition: borrows the scene, which must outlive it, and copies the
/// view. Compose may fill the scene's cache, so renderers sharing a cache run
/// on one thread at a time. Nothing here raises but what a host's hook raises.
class TMapRenderer {
public:
    /// A renderer of Scene as seen through View.
    TMapRenderer(const TMapScene& Scene, const TMapViewport& View) : FScene(Scene), FView(View) {}

    /// Draws the view's Width x Height control pixels into the top-left corner
    /// of Target, which must be at least that large and stay so meanwhile.
    /// A Target with a device pixel ratio gets the map image at its device
    /// resolution, lines and text at their size in control pixels.
    void Compose(QImage& Target) const;
    /// The same on any canvas, a printer's under a scaling transform for one;
    /// the canvas's pen, brush and font are left as the drawing leaves them.
    void Compose(TCanvas& Canvas) const;

    /// Draws the segments of a trace recorded in image pixels, placed by View in
    /// control pixels, each in the colour and mode of the point it ends at; the
    /// canvas's pen and brush are restored.
    static void DrawTrace(TCanvas& Canvas, std::span<const TColoredPoint> Trace, const TMapViewport& View);

private:
    const TMapAppearance& Look() const { return *FScene.Look; }
    const TMapCalibration& Calib() const { return *FScene.Calib; }
    const TLandMarkStore& LandMarks() const { return *FScene.LandMarks; }
    const TMapHooks& Hooks() const;  // no hooks when the scene has none
    void DrawEmptyMap(TCanvas& Canvas) const;
    void DrawPlaceholder(TCanvas& Canvas) const;
    void FillBackgroundAroundImage(TCanvas& Canvas) const;
    void DrawMapImage(TCanvas& Canvas) const;
    void DrawCachedImage(TCanvas& Canvas) const;
    void DrawImagePixels(TCanvas& Canvas) const;
    void DrawOverlay(TCanvas& Canvas) const;
    void DrawParabolicGraticule(TCanvas& Canvas, bool Lines, bool Markers) const;
    void DrawLatLongGraticule(TCanvas& Canvas, int Segments) const;
    void DrawUTMGrid(TCanvas& Canvas) const;
    void DrawCrsGrid(TCanvas& Canvas) const;
    void DrawCalibPointMarker(TCanvas& Canvas, int X, int Y) const;
    void DrawCalibQuadMarkers(TCanvas& Canvas) const;
    double VisibleLandMarkFraction() const;
    void DrawLandMarks(TCanvas& Canvas) const;
    // Cells of the control taken by captions drawn, so that a caption that would
    // overlap one is left out: zoomed out, captions otherwise pile up unreadably.
    class TCaptionSpace {
    public:
        TCaptionSpace(int Width, int Height);
        // Takes the rectangle's cells and true when none was taken; a rectangle
        // off the control takes nothing and is free.
        bool Take(const QRect& R);

    private:
        static constexpr int Cell = 4;
        int FCols, FRows;
        std::vector<bool> FTaken;
    };
    void DrawCaption(TCanvas& Canvas, int X, int Y, const TLMTextProperties& Caption, TCaptionSpace& Space) const;
    void DrawHighLight(TCanvas& Canvas) const;
    void DrawScaleBar(TCanvas& Canvas) const;
    void DrawNorthArrow(TCanvas& Canvas) const;

    const TMapScene& FScene;
    const TMapViewport FView;
};

}  // namespace zylcarto
