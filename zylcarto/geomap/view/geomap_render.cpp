// The control's paint: its state as a scene, composed by the renderer into
// AuxBmp and put on the screen.
#include <algorithm>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/geomap/view/screen_image.h"

namespace zylcarto {

TMapScene TGeoMap::Scene() const {
    TMapScene S;
    S.Sender = const_cast<TGeoMap*>(this);  // the hooks receive the control as their sender
    S.Look = &FLook;
    S.HasMap = !FMapImgName.empty();
    S.Shown = IsShownState();
    S.Image = &GrafBmp;
    S.ImageWidth = FMapImgWidth;
    S.ImageHeight = FMapImgHeight;
    S.Cache = &FCache;
    S.Calib = &FCalib;
    S.LandMarks = &FLandMarks;
    S.Trace = std::span<const TColoredPoint>(FTrace.Points.data(), static_cast<std::size_t>(FTrace.Count));
    S.Hooks = &FHooks;
    return S;
}

void TGeoMap::Paint() {
    if (FSuppressPaint) return;
    ConstructInternalMapImg();
    if (isVisible()) repaint();
}

void TGeoMap::ConstructInternalMapImg() {
    const int W = width(), H = height();
    if (AuxBmp.height() < H || AuxBmp.width() < W)
        AuxBmp = NewScreenImage(std::max(AuxBmp.width(), W), std::max(AuxBmp.height(), H), ViewImageFormat);
    if (AuxBmp.isNull()) return;  // a control of size 0
    TMapRenderer(Scene(), Viewport()).Compose(AuxBmp);
}

void TGeoMap::DrawMouseTrace(TCanvas& Canvas) const {
    TMapRenderer::DrawTrace(
        Canvas, std::span<const TColoredPoint>(FTrace.Points.data(), static_cast<std::size_t>(FTrace.Count)),
        Viewport());
}

void TGeoMap::SetShowScaleBar(bool Value) {
    FLook.ShowScaleBar = Value;
    Paint();
}

void TGeoMap::SetShowNorthArrow(bool Value) {
    FLook.ShowNorthArrow = Value;
    Paint();
}

}  // namespace zylcarto
