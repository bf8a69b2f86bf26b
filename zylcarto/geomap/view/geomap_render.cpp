// The control's paint: its state as a scene, composed by the renderer into
// AuxBmp and put on the screen.
#include <algorithm>
#include <cmath>

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
    S.Hooks = Handles(FHooks.OnDrawLandmark, &TGeoMap::drawLandmark) ? &FRelayHooks : &FRelayHooksPlain;
    if (FState.Designing()) S.Placeholder = PlaceholderText();
    return S;
}

void TGeoMap::Paint() {
    if (PaintHeld()) return;
    ConstructInternalMapImg();
    if (isVisible()) repaint();
}

void TGeoMap::ConstructInternalMapImg() {
    // In the screen's device pixels, so that the map image stays sharp on a
    // high-density screen; the renderer draws in control pixels all the same.
    const double Ratio = devicePixelRatioF();
    const int W = int(std::ceil(width() * Ratio)), H = int(std::ceil(height() * Ratio));
    if (AuxBmp.devicePixelRatio() != Ratio) {
        AuxBmp = NewScreenImage(W, H, ViewImageFormat);
        AuxBmp.setDevicePixelRatio(Ratio);
    } else if (AuxBmp.height() < H || AuxBmp.width() < W) {
        AuxBmp = NewScreenImage(std::max(AuxBmp.width(), W), std::max(AuxBmp.height(), H), ViewImageFormat);
        AuxBmp.setDevicePixelRatio(Ratio);
    }
    if (AuxBmp.isNull()) return;  // a control of size 0
    TMapRenderer(Scene(), Viewport()).Compose(AuxBmp);
}

void TGeoMap::DrawMouseTrace(TCanvas& Canvas) const {
    TMapRenderer::DrawTrace(
        Canvas, std::span<const TColoredPoint>(FTrace.Points.data(), static_cast<std::size_t>(FTrace.Count)),
        Viewport());
}

}  // namespace zylcarto
