// The measure tool of TGeoMap and what the map tells a host of the measured
// path. The path is drawn by the renderer (so it survives repaints); only the
// leg from the last vertex to the pointer is an XOR shape of the tool.
#include <cmath>
#include <limits>
#include <optional>

#include "zylcarto/geomap/view/geomap_p.h"

namespace zylcarto {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// A click this close to the first vertex, in control pixels, closes the path.
constexpr double CloseRadius = 4;

// Left clicks add vertices, a click on the first one closes the path, a double
// click or Enter finishes it; the next click then starts another. Escape or a
// right click clears it, and so does choosing another mouse action.
class TMeasureTool final : public TGeoMapPrivate::TMouseTool {
public:
    using TMouseTool::TMouseTool;

    void Press(TMouseButton Button, TShiftState Shift, int X, int Y, TPoint ImagePt) override {
        if (Button == mbRight) return Clear();
        if (Button != mbLeft) return;
        EraseLeg();
        if (Shift & ssDouble) {
            FFinished = true;
            return;
        }
        const bool Restart = !Open();
        if (!Restart && Path().Vertices().size() >= 3 && NearFirst(X, Y)) {
            M.ChangeMeasure([](TMeasurePath& P) { return P.Close(); });
            return;
        }
        bool LatOK = false, LongOK = false;
        const double Lat = M.FCalib.CalcLatitude(ImagePt, LatOK), Long = M.FCalib.CalcLongitude(ImagePt, LongOK);
        if (!LatOK || !LongOK) return;  // no position here
        FFinished = false;
        M.ChangeMeasure([&](TMeasurePath& P) {
            if (Restart) P.Clear();
            return P.Add({{Lat, Long}, ImagePt});
        });
    }
    void Move(TShiftState, int X, int Y) override {
        if (!Open()) return EraseLeg();
        const TPoint From = M.Viewport().ImageToControl(Path().Vertices().back().Pixel);
        const TRect Leg{From.X, From.Y, X, Y};
        if (FLeg)
            M.XorLines({*FLeg, Leg});
        else
            M.XorLines({Leg});
        FLeg = Leg;
    }
    bool Key(int Key) override {
        if (Key == Qt::Key_Escape) {
            Clear();
        } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
            EraseLeg();
            FFinished = true;
        } else {
            return false;
        }
        return true;
    }
    bool Dragging() const override { return Open(); }
    void RedrawShape(TCanvas& C) const override {
        if (FLeg) TGeoMapPrivate::XorLine(C, *FLeg);
    }
    void Deactivate() override { Clear(); }

private:
    const TMeasurePath& Path() const { return M.FMeasure; }
    // Clicks extend the path.
    bool Open() const { return !FFinished && !Path().Closed() && !Path().Vertices().empty(); }
    bool NearFirst(int X, int Y) const {
        const TPoint First = M.Viewport().ImageToControl(Path().Vertices().front().Pixel);
        return std::hypot(double(X - First.X), double(Y - First.Y)) <= CloseRadius;
    }
    void EraseLeg() {
        if (FLeg) M.XorLines({*FLeg});
        FLeg.reset();
    }
    void Clear() {
        EraseLeg();
        FFinished = false;
        M.ChangeMeasure([](TMeasurePath& P) { return P.Clear(); });
    }

    std::optional<TRect> FLeg;  // the leg to the pointer, as on screen
    bool FFinished = false;     // by a double click or Enter
};

}  // namespace

std::shared_ptr<TGeoMapPrivate::TMouseTool> TGeoMapPrivate::MakeMeasureTool(TGeoMapPrivate& Map) {
    return std::make_shared<TMeasureTool>(Map);
}

bool TGeoMapPrivate::ChangeMeasure(const std::function<bool(TMeasurePath&)>& Change) {
    Q_Q(TGeoMap);
    if (!Change(FMeasure)) return true;
    q->Paint();
    return FireHostEvent(q, FOnMeasure, &TGeoMap::measureChanged);
}

int TGeoMap::MeasurePointCount() const { return static_cast<int>(d_func()->FMeasure.Vertices().size()); }

TLatLong TGeoMap::MeasurePoint(int Index) const {
    if (Index < 1 || Index > MeasurePointCount()) return {NaN, NaN};
    return d_func()->FMeasure.Vertices()[static_cast<std::size_t>(Index - 1)].Position;
}

double TGeoMap::MeasuredLength() const { return d_func()->FMeasure.Length(); }
double TGeoMap::MeasuredArea() const { return d_func()->FMeasure.Area(); }
bool TGeoMap::MeasureClosed() const { return d_func()->FMeasure.Closed(); }

int TGeoMap::MeasureLegCount() const { return static_cast<int>(d_func()->FMeasure.Bearings().size()); }

double TGeoMap::MeasureLegBearing(int Index) const {
    if (Index < 1 || Index > MeasureLegCount()) return NaN;
    return d_func()->FMeasure.Bearings()[static_cast<std::size_t>(Index - 1)];
}

void TGeoMap::ClearMeasure() {
    d_func()->ChangeMeasure([](TMeasurePath& P) { return P.Clear(); });
}

void TGeoMap::SetOnMeasure(TNotifyEvent Handler) { d_func()->FOnMeasure = std::move(Handler); }

}  // namespace zylcarto
