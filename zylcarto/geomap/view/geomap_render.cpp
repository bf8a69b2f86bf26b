// The control's paint: its state as a scene, composed by the renderer into
// AuxBmp and put on the screen.
#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/geomap/view/screen_image.h"

namespace zylcarto {

TMapScene TGeoMapPrivate::Scene() const {
    Q_Q(const TGeoMap);
    TMapScene S;
    S.Sender = const_cast<TGeoMap*>(q);  // the hooks receive the control as their sender
    S.Look = &FLook;
    S.HasMap = !FMapImgName.empty();
    S.Shown = IsShownState();
    S.Source = &ImageSource();
    S.ImageWidth = FMapImgWidth;
    S.ImageHeight = FMapImgHeight;
    S.Cache = &FCache;
    S.Calib = &FCalib;
    S.LandMarks = &FLandMarks;
    S.Measure = &FMeasure;
    S.Tracks = &FTracks;
    S.TrackLines = &FTrackLines;
    S.Trace = std::span<const TColoredPoint>(FTrace.Points.data(), static_cast<std::size_t>(FTrace.Count));
    if (FPosition.Display.Fix.HasPosition()) S.Position = &FPosition.Display;
    S.Hooks = Handles(FHooks.OnDrawLandmark, &TGeoMap::drawLandmark) ? &FRelayHooks : &FRelayHooksPlain;
    if (FState.Designing()) S.Placeholder = PlaceholderText();
    return S;
}

void TGeoMap::Paint() {
    Q_D(TGeoMap);
    // Every change ends here, painted or held: the host hears of it now.
    d->TellChanges();
    if (d->PaintHeld()) return;
    ConstructInternalMapImg();
    if (isVisible()) repaint();
}

void TGeoMap::ConstructInternalMapImg() {
    Q_D(TGeoMap);
    // In the screen's device pixels, so that the map image stays sharp on a
    // high-density screen; the renderer draws in control pixels all the same.
    const double Ratio = devicePixelRatioF();
    const int W = int(std::ceil(width() * Ratio)), H = int(std::ceil(height() * Ratio));
    if (d->AuxBmp.devicePixelRatio() != Ratio) {
        d->AuxBmp = NewScreenImage(W, H, ViewImageFormat);
        d->AuxBmp.setDevicePixelRatio(Ratio);
    } else if (d->AuxBmp.height() < H || d->AuxBmp.width() < W) {
        d->AuxBmp = NewScreenImage(std::max(d->AuxBmp.width(), W), std::max(d->AuxBmp.height(), H), ViewImageFormat);
        d->AuxBmp.setDevicePixelRatio(Ratio);
    }
    if (d->AuxBmp.isNull()) return;  // a control of size 0
    TMapRenderer(d->Scene(), d->Viewport()).Compose(d->AuxBmp);
}

void TGeoMap::DrawMouseTrace(TCanvas& Canvas) const {
    Q_D(const TGeoMap);
    TMapRenderer::DrawTrace(
        Canvas, std::span<const TColoredPoint>(d->FTrace.Points.data(), static_cast<std::size_t>(d->FTrace.Count)),
        d->Viewport());
}

}  // namespace zylcarto
