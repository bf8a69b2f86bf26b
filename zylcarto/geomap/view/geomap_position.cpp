// TGeoMap: the live position, its trail and following it.
#include <algorithm>

#include "zylcarto/geomap/view/geomap_p.h"

namespace zylcarto {

void TGeoMap::ShowPosition(const TPositionFix& Fix) {
    Q_D(TGeoMap);
    if (!Fix.HasPosition()) return;
    TPositionDisplay& P = d->FPosition.Display;
    P.Fix = Fix;
    P.Current = true;
    if (d->FPosition.TrailLength > 0) {
        P.Trail.push_back(Fix);
        if (static_cast<int>(P.Trail.size()) > d->FPosition.TrailLength) P.Trail.pop_front();
    }
    if (d->FPosition.Follow) d->KeepPositionInView();
    Paint();
    Q_EMIT positionChanged(Fix);
}

bool TGeoMap::PositionCurrent() const {
    Q_D(const TGeoMap);
    return d->FPosition.Display.Current;
}

void TGeoMap::SetPositionCurrent(bool Value) {
    Q_D(TGeoMap);
    if (d->FPosition.Display.Current == Value) return;
    d->FPosition.Display.Current = Value;
    Paint();
}

const TPositionFix& TGeoMap::ShownPosition() const {
    Q_D(const TGeoMap);
    return d->FPosition.Display.Fix;
}

void TGeoMap::ClearPosition() {
    Q_D(TGeoMap);
    d->FPosition.Display = {};
    Paint();
}

bool TGeoMap::FollowPosition() const {
    Q_D(const TGeoMap);
    return d->FPosition.Follow;
}

void TGeoMap::SetFollowPosition(bool Value) {
    Q_D(TGeoMap);
    if (d->FPosition.Follow == Value) return;
    d->FPosition.Follow = Value;
    const QPointer<TGeoMap> Self(this);
    Q_EMIT followPositionChanged(Value);
    if (!Self || !Value) return;
    d->KeepPositionInView();
    Paint();
}

void TGeoMap::ResetFollowPosition() { SetFollowPosition(false); }

int TGeoMap::TrailLength() const {
    Q_D(const TGeoMap);
    return d->FPosition.TrailLength;
}

void TGeoMap::SetTrailLength(int Value) {
    Q_D(TGeoMap);
    TGeoMapPrivate::TPositionState& S = d->FPosition;
    S.TrailLength = std::clamp(Value, 0, MaxTrailLength);
    while (static_cast<int>(S.Display.Trail.size()) > S.TrailLength) S.Display.Trail.pop_front();
    Paint();
}

void TGeoMap::ResetTrailLength() { SetTrailLength(DefaultTrailLength); }

void TGeoMap::SetOnFollowStopped(TNotifyEvent Handler) {
    Q_D(TGeoMap);
    d->FPosition.OnFollowStopped = std::move(Handler);
}

void TGeoMapPrivate::KeepPositionInView() {
    const TPositionFix& Fix = FPosition.Display.Fix;
    double x = 0, y = 0;
    if (!Fix.HasPosition() || !FCalib.CalcPixelCoordsFrac(Fix.Latitude, Fix.Longitude, x, y)) return;
    TMapViewport V = Viewport();
    const double cx = (x - V.TopLeft().X) * V.Magnify(), cy = (y - V.TopLeft().Y) * V.Magnify();
    const double Margin = (1 - TGeoMap::FollowMiddle) / 2;
    const auto Inside = [Margin](double c, int Size) { return c >= Margin * Size && c <= (1 - Margin) * Size; };
    if (Inside(cx, V.Width()) && Inside(cy, V.Height())) return;
    V.PlaceAt(x, y, {V.Width() / 2, V.Height() / 2});
    if (FConfinePan) V.Confine(FMapImgWidth, FMapImgHeight);
    SetView(V);
}

bool TGeoMapPrivate::UserPanned() {
    Q_Q(TGeoMap);
    if (!FPosition.Follow) return true;
    FPosition.Follow = false;
    const QPointer<TGeoMap> Self(q);
    Q_EMIT q->followPositionChanged(false);
    return Self && FireHostEvent(q, FPosition.OnFollowStopped, &TGeoMap::followStopped);
}

}  // namespace zylcarto
