// Mouse interaction of TGeoMap: what a drag does by mouse action, the modal box
// request and the mouse trace. Rubber shapes are XOR-drawn onto the picture on
// screen (never into AuxBmp), so drawing a shape twice erases it and the next
// Paint removes whatever is left.
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr TColor XorWhite = 0xFFFFFF;

}  // namespace

// ---- the picture on screen

const QImage& TGeoMapPrivate::ScreenPicture() const {
    // A Paint since the last feedback shape has replaced the whole picture.
    return FScreenKey == AuxBmp.cacheKey() && !FScreenBmp.isNull() ? FScreenBmp : AuxBmp;
}

namespace {

void XorRectangle(TCanvas& C, const TRect& R, TPenStyle Style) {
    C.Pen = {XorWhite, Style, pmXor, 1};
    C.Brush.Style = bsClear;
    C.Rectangle(R.Left, R.Top, R.Right, R.Bottom);
}

void XorLine(TCanvas& C, const TRect& L) {
    C.Pen = {XorWhite, psSolid, pmXor, 1};
    C.MoveTo(L.Left, L.Top);
    C.LineTo(L.Right, L.Bottom);
}

}  // namespace

void TGeoMapPrivate::DrawFeedback(const std::function<void(TCanvas&)>& Draw) {
    Q_Q(TGeoMap);
    const bool Fresh = FScreenKey != AuxBmp.cacheKey() || FScreenBmp.isNull();
    if (Fresh) {
        const double Ratio = AuxBmp.devicePixelRatio();  // kept by the copy
        FScreenBmp = AuxBmp
                         .copy(0, 0, std::max(int(std::ceil(q->width() * Ratio)), 1),
                               std::max(int(std::ceil(q->height() * Ratio)), 1))
                         .convertToFormat(QImage::Format_RGB32);
        FScreenKey = AuxBmp.cacheKey();
    }
    {
        TCanvas Canvas(FScreenBmp);
        // A Paint has wiped the shapes in progress; they are put back first, so
        // that the XOR drawing that erases them finds them.
        if (Fresh) RedrawActiveShapes(Canvas);
        Draw(Canvas);
    }
    q->repaint();
}

void TGeoMapPrivate::XorRectangles(std::initializer_list<TRect> Rects, TPenStyle Style) {
    DrawFeedback([&](TCanvas& C) {
        for (const TRect& R : Rects) XorRectangle(C, R, Style);
    });
}

void TGeoMapPrivate::XorLines(std::initializer_list<TRect> Lines) {
    DrawFeedback([&](TCanvas& C) {
        for (const TRect& L : Lines) XorLine(C, L);
    });
}

// ---- Qt events to the control's handlers

void TGeoMap::mousePressEvent(QMouseEvent* Event) {
    Q_D(TGeoMap);
    TMouseButton Button;
    if (!ButtonFromQt(Event->button(), Button)) return QWidget::mousePressEvent(Event);
    const QPoint P = Event->position().toPoint();
    if (Button == mbLeft) d->FClickPending = true;
    MouseDown(Button, ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

void TGeoMap::mouseDoubleClickEvent(QMouseEvent* Event) {
    Q_D(TGeoMap);
    TMouseButton Button;
    if (!ButtonFromQt(Event->button(), Button)) return QWidget::mouseDoubleClickEvent(Event);
    const QPoint P = Event->position().toPoint();
    // The second press of a double click is no click of its own.
    if (Button == mbLeft) {
        d->FClickPending = false;
        if (!FireHostEvent(this, d->FOnDblClick, &TGeoMap::dblClick)) return;
    }
    MouseDown(Button, ShiftFromQt(Event->modifiers(), Event->buttons()) | ssDouble, P.x(), P.y());
}

void TGeoMap::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    MouseMove(ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

void TGeoMap::mouseReleaseEvent(QMouseEvent* Event) {
    Q_D(TGeoMap);
    TMouseButton Button;
    if (!ButtonFromQt(Event->button(), Button)) return QWidget::mouseReleaseEvent(Event);
    const QPoint P = Event->position().toPoint();
    if (Button == mbLeft && d->FClickPending) {
        d->FClickPending = false;
        if (rect().contains(P) && !FireHostEvent(this, d->FOnClick, &TGeoMap::click)) return;
    }
    MouseUp(Button, ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

// ---- the mouse tools: one per mouse action, chosen by MouseAction

class TGeoMapPrivate::TMouseTool {
public:
    virtual ~TMouseTool() = default;
    virtual void Press(TGeoMapPrivate&, TMouseButton, TShiftState, int /*X*/, int /*Y*/, TPoint /*ImagePt*/) const {}
    virtual void Move(TGeoMapPrivate&, TShiftState, int /*X*/, int /*Y*/) const {}
    virtual void Release(TGeoMapPrivate&, TMouseButton, int /*X*/, int /*Y*/) const {}
    // Puts the tool's feedback shape back onto a picture a Paint has renewed.
    virtual void RedrawShape(const TGeoMapPrivate&, TCanvas&) const {}
};

// Pans in both or one direction, or zooms by dragging; the left press takes
// the anchors, the release stores the view. A pan follows the pointer outside
// the control too, as the held button keeps the moves coming.
class TGeoMapPrivate::TDragTool final : public TGeoMapPrivate::TMouseTool {
public:
    enum class TKind : std::uint8_t { Pan, PanHoriz, PanVert, Zoom };
    explicit TDragTool(TKind Kind) : FKind(Kind) {}

    void Press(TGeoMapPrivate& M, TMouseButton Button, TShiftState, int X, int Y, TPoint) const override {
        if (Button != mbLeft) return;
        M.FDrag.MouseAnchorX = X;
        M.FDrag.MouseAnchorY = Y;
        const TPoint TopLeft = M.Viewport().TopLeft();
        M.FDrag.TopLeftXAnchor = TopLeft.X;
        M.FDrag.TopLeftYAnchor = TopLeft.Y;
        M.FDrag.LButtonWasDown = true;
    }
    void Move(TGeoMapPrivate& M, TShiftState Shift, int X, int Y) const override {
        const int W = M.q_func()->width(), H = M.q_func()->height();
        const bool Inside = X >= 0 && X <= W && Y >= 0 && Y <= H;
        if (!(Shift & ssLeft)) {
            M.FDrag.LButtonWasDown = false;
        } else if (!M.FDrag.LButtonWasDown) {
            return;  // pressed before this tool was chosen
        } else if (FKind == TKind::Zoom) {
            const double Factor = 1 - 0.05 * (M.FDrag.MouseAnchorX - X) / std::max(W, 1) +
                                  static_cast<double>(M.FDrag.MouseAnchorY - Y) / std::max(H, 1);
            if (!Inside || Factor == 1) return;
            TMapViewport V = M.Viewport();
            V.ZoomAroundCenter(V.Magnify() * Factor);
            M.SetView(V);
            M.q_func()->Paint();
            M.q_func()->DoZoomPanEvent();
        } else {
            TMapViewport V = M.Viewport();
            const TPoint Before = V.TopLeft();
            TPoint P = Before;
            if (FKind != TKind::PanVert) P.X = M.FDrag.TopLeftXAnchor + V.ToImageLength(M.FDrag.MouseAnchorX - X);
            if (FKind != TKind::PanHoriz) P.Y = M.FDrag.TopLeftYAnchor + V.ToImageLength(M.FDrag.MouseAnchorY - Y);
            V.SetTopLeft(P);
            M.SetView(V);
            if (M.FConfinePan) M.q_func()->PanMapToFillWindow();
            if (M.Viewport().TopLeft() == Before) return;
            M.q_func()->Paint();
            if (!M.UserPanned()) return;
            M.q_func()->DoZoomPanEvent();
        }
    }
    void Release(TGeoMapPrivate& M, TMouseButton Button, int, int) const override {
        M.q_func()->ZoomStateOnStack();
        // The next drag must take fresh anchors even when no move comes between.
        if (Button == mbLeft) M.FDrag.LButtonWasDown = false;
    }

private:
    TKind FKind;
};

// A line from an anchor to the pointer; left presses switch it on and off,
// Ctrl-presses continue it from the pressed point.
class TGeoMapPrivate::TRubberBandTool final : public TGeoMapPrivate::TMouseTool {
public:
    void Press(TGeoMapPrivate& M, TMouseButton Button, TShiftState Shift, int X, int Y, TPoint ImagePt) const override {
        if (Button != mbLeft) return;
        if ((Shift & ssCtrl) && M.FDrag.RubberBandOn) {
            if (!FireHostEvent(M.q_func(), M.FOnContRubberBand, &TGeoMap::continueRubberBand, ImagePt)) return;
            M.FDrag.BandAnchorX = X;
            M.FDrag.BandAnchorY = Y;
        } else if (!M.FDrag.RubberBandOn) {
            M.FDrag.RubberBandOn = true;
            if (!FireHostEvent(M.q_func(), M.FOnBeginRubberBand, &TGeoMap::beginRubberBand, ImagePt)) return;
            M.FDrag.BandAnchorX = M.FDrag.BandOldX = X;
            M.FDrag.BandAnchorY = M.FDrag.BandOldY = Y;
        } else {
            M.FDrag.RubberBandOn = false;
            M.XorLines({{M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, M.FDrag.BandOldX, M.FDrag.BandOldY}});
            FireHostEvent(M.q_func(), M.FOnEndRubberBand, &TGeoMap::endRubberBand, ImagePt);
        }
    }
    void Move(TGeoMapPrivate& M, TShiftState, int X, int Y) const override {
        if (!M.FDrag.RubberBandOn) return;
        M.XorLines({{M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, M.FDrag.BandOldX, M.FDrag.BandOldY},
                    {M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, X, Y}});
        M.FDrag.BandOldX = X;
        M.FDrag.BandOldY = Y;
    }
    void RedrawShape(const TGeoMapPrivate& M, TCanvas& C) const override {
        if (M.FDrag.RubberBandOn)
            XorLine(C, {M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, M.FDrag.BandOldX, M.FDrag.BandOldY});
    }
};

// A dragged box that the view is zoomed to on a left release.
class TGeoMapPrivate::TZoomBoxTool final : public TGeoMapPrivate::TMouseTool {
public:
    void Press(TGeoMapPrivate& M, TMouseButton Button, TShiftState, int X, int Y, TPoint) const override {
        if (M.FDrag.ZoomState != zsIdle || Button != mbLeft || X < 0 || X > M.q_func()->width() || Y < 0 ||
            Y > M.q_func()->height())
            return;
        M.FDrag.ZoomState = zsBoxDragging;
        M.FDrag.AnchorX = M.FDrag.OldCornerX = X;
        M.FDrag.AnchorY = M.FDrag.OldCornerY = Y;
    }
    void Move(TGeoMapPrivate& M, TShiftState, int X, int Y) const override {
        if (M.FDrag.ZoomState != zsBoxDragging) return;
        const int cX = std::clamp(X, 0, std::max(M.q_func()->width(), 0)),
                  cY = std::clamp(Y, 0, std::max(M.q_func()->height(), 0));
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY},
                         {M.FDrag.AnchorX, M.FDrag.AnchorY, cX, cY}},
                        psSolid);
        M.FDrag.OldCornerX = cX;
        M.FDrag.OldCornerY = cY;
    }
    void Release(TGeoMapPrivate& M, TMouseButton Button, int, int) const override {
        if (M.FDrag.ZoomState != zsBoxDragging || Button == mbMiddle) return;
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}}, psSolid);
        M.FDrag.ZoomState = zsIdle;
        if (Button == mbLeft) ZoomToBox(M);
    }
    void RedrawShape(const TGeoMapPrivate& M, TCanvas& C) const override {
        if (M.FDrag.ZoomState == zsBoxDragging)
            XorRectangle(C, {M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}, psSolid);
    }

private:
    static void ZoomToBox(TGeoMapPrivate& M) {
        if (M.FDrag.AnchorX == M.FDrag.OldCornerX || M.FDrag.AnchorY == M.FDrag.OldCornerY) return;
        const TPoint p1 = M.q_func()->ControlToMapImage(
            {std::min(M.FDrag.AnchorX, M.FDrag.OldCornerX), std::min(M.FDrag.AnchorY, M.FDrag.OldCornerY)});
        const TPoint p2 = M.q_func()->ControlToMapImage(
            {std::max(M.FDrag.AnchorX, M.FDrag.OldCornerX), std::max(M.FDrag.AnchorY, M.FDrag.OldCornerY)});
        if (p1.X == p2.X || p1.Y == p2.Y) return;
        TMapViewport V = M.Viewport();
        V.FitBox(p1, p2.X - p1.X, p2.Y - p1.Y);
        M.SetView(V);
        M.q_func()->Paint();
        M.q_func()->DoZoomPanEvent();
    }
};

// A dotted rectangle; the release reports its corners as positions or pixels.
class TGeoMapPrivate::TSelectRectTool final : public TGeoMapPrivate::TMouseTool {
public:
    void Press(TGeoMapPrivate& M, TMouseButton Button, TShiftState, int X, int Y, TPoint ImagePt) const override {
        if (Button != mbLeft) return;
        M.FDrag.AnchorX = M.FDrag.OldCornerX = X;
        M.FDrag.AnchorY = M.FDrag.OldCornerY = Y;
        M.FDrag.SelectRectOn = true;
        FireHostEvent(M.q_func(), M.FOnBeginRubberBand, &TGeoMap::beginRubberBand, ImagePt);
    }
    void Move(TGeoMapPrivate& M, TShiftState Shift, int X, int Y) const override {
        if (!M.FDrag.SelectRectOn || !(Shift & ssLeft)) return;
        const int cX = std::clamp(X, 0, std::max(M.q_func()->width(), 0)),
                  cY = std::clamp(Y, 0, std::max(M.q_func()->height(), 0));
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY},
                         {M.FDrag.AnchorX, M.FDrag.AnchorY, cX, cY}},
                        psDot);
        M.FDrag.OldCornerX = cX;
        M.FDrag.OldCornerY = cY;
    }
    void Release(TGeoMapPrivate& M, TMouseButton Button, int X, int Y) const override {
        if (Button != mbLeft || !M.FDrag.SelectRectOn) return;
        M.FDrag.SelectRectOn = false;
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}}, psDot);
        const TPoint p1 = M.q_func()->ControlToMapImage({M.FDrag.AnchorX, M.FDrag.AnchorY});
        const TPoint p2 = M.q_func()->ControlToMapImage({X, Y});
        bool v1 = false, v2 = false, v3 = false, v4 = false;
        const double Long1 = M.q_func()->CalcLongitude(p1, v1), Lat1 = M.q_func()->CalcLatitude(p1, v2);
        const double Long2 = M.q_func()->CalcLongitude(p2, v3), Lat2 = M.q_func()->CalcLatitude(p2, v4);
        if (v1 && v2 && v3 && v4)
            M.q_func()->DoSelectRectEvent(1, Long1, Lat1, Long2, Lat2);
        else
            M.q_func()->DoSelectRectEvent(0, p1.X, p1.Y, p2.X, p2.Y);
    }
    void RedrawShape(const TGeoMapPrivate& M, TCanvas& C) const override {
        if (M.FDrag.SelectRectOn)
            XorRectangle(C, {M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}, psDot);
    }
};

// Records the pointer's path in strokes, drawing each new segment at once.
class TGeoMapPrivate::TTraceTool final : public TGeoMapPrivate::TMouseTool {
public:
    void Move(TGeoMapPrivate& M, TShiftState Shift, int X, int Y) const override {
        if (M.FDrag.ZoomState != zsIdle || !(Shift & ssLeft)) return;
        Append(M, std::clamp(X, 0, std::max(M.q_func()->width(), 0)),
               std::clamp(Y, 0, std::max(M.q_func()->height(), 0)));
    }
    void Release(TGeoMapPrivate& M, TMouseButton, int, int) const override {
        if (M.FTrace.Count >= 1) M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count - 1)].Flags |= TraceEndsStroke;
    }

private:
    static void Append(TGeoMapPrivate& M, int X, int Y) {
        if (M.FTrace.Count >= TGeoMap::MaxMouseTracePoints) return;
        const TPoint ImagePt = M.q_func()->ControlToMapImage({X, Y});
        TColoredPoint& P = M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count)];
        P.X = ImagePt.X;
        P.Y = ImagePt.Y;
        P.Color = M.FTrace.Color;
        P.Flags = M.FTrace.Invert ? TraceDrawnXor : 0;
        ++M.FTrace.Count;
        if (M.FTrace.Count < 2) return;
        const TColoredPoint& Prev = M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count - 2)];
        if (Prev.Flags & TraceEndsStroke) return;
        const TMapViewport V = M.Viewport();
        const TPoint From = V.ImageToControl({RoundToInt(Prev.X), RoundToInt(Prev.Y)});
        const TPoint To = V.ImageToControl(ImagePt);
        M.DrawFeedback([&](TCanvas& C) {
            C.Pen = {M.FTrace.Color, psSolid, M.FTrace.Invert ? pmXor : pmCopy, 1};
            C.MoveTo(From.X, From.Y);
            C.LineTo(To.X, To.Y);
            C.Pen.Mode = pmCopy;
        });
    }
};

const TGeoMapPrivate::TMouseTool& TGeoMapPrivate::MouseTool() const {
    static const TMouseTool None;
    static const TDragTool Pan(TDragTool::TKind::Pan), PanHoriz(TDragTool::TKind::PanHoriz),
        PanVert(TDragTool::TKind::PanVert), ZoomDrag(TDragTool::TKind::Zoom);
    static const TRubberBandTool RubberBand;
    static const TZoomBoxTool ZoomBox;
    static const TSelectRectTool SelectRect;
    static const TTraceTool Trace;
    switch (FMouseAction) {
    case maPan: return Pan;
    case maPanHoriz: return PanHoriz;
    case maPanVert: return PanVert;
    case maRubberBand: return RubberBand;
    case maZoomBox: return ZoomBox;
    case maZoomDrag: return ZoomDrag;
    case maSelectRect: return SelectRect;
    case maTrace: return Trace;
    default: return None;
    }
}

void TGeoMapPrivate::RedrawActiveShapes(TCanvas& Canvas) const {
    if (FDrag.BoxState == mbsDragging)
        XorRectangle(Canvas, {FDrag.BoxX1, FDrag.BoxY1, FDrag.OldCornerX, FDrag.OldCornerY}, psSolid);
    MouseTool().RedrawShape(*this, Canvas);
}

// ---- press, move, release: the box request, then the tool, with the host's handlers around

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Q_D(TGeoMap);
    const TPoint ImagePt = ControlToMapImage({X, Y});
    d->FDrag.LastClickX = ImagePt.X;
    d->FDrag.LastClickY = ImagePt.Y;
    if (d->FDrag.BoxState == mbsWaiting) {
        if (Button == mbRight) {
            d->SetMouseBoxState(mbsIdle);
        } else {
            d->FDrag.BoxX1 = X;
            d->FDrag.BoxY1 = Y;
            d->FDrag.OldCornerX = X;
            d->FDrag.OldCornerY = Y;
            d->SetMouseBoxState(mbsDragging);
        }
    }
    if (!SurvivesCall(this, [&] { d->MouseTool().Press(*d, Button, Shift, X, Y, ImagePt); })) return;
    FireHostEvent(this, d->FOnMouseDown, &TGeoMap::mouseDown, Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
    Q_D(TGeoMap);
    const TPoint ImagePt = ControlToMapImage({X, Y});
    d->FDrag.LastMoveX = ImagePt.X;
    d->FDrag.LastMoveY = ImagePt.Y;
    if (d->FDrag.BoxState == mbsDragging) {
        const int W = width(), H = height();
        const int bX = std::clamp(X, 1, std::max(W, 1)), bY = std::clamp(Y, 1, std::max(H, 1));
        d->XorRectangles({{d->FDrag.BoxX1, d->FDrag.BoxY1, d->FDrag.OldCornerX, d->FDrag.OldCornerY},
                          {d->FDrag.BoxX1, d->FDrag.BoxY1, bX, bY}},
                         psSolid);
        d->FDrag.OldCornerX = bX;
        d->FDrag.OldCornerY = bY;
    }
    if (!SurvivesCall(this, [&] { d->MouseTool().Move(*d, Shift, X, Y); })) return;
    FireHostEvent(this, d->FOnMouseMove, &TGeoMap::mouseMove, Shift, X, Y);
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Q_D(TGeoMap);
    if (!FireHostEvent(this, d->FOnMouseUp, &TGeoMap::mouseUp, Button, Shift, X, Y)) return;
    if (d->FDrag.BoxState == mbsDragging) {
        d->XorRectangles({{d->FDrag.BoxX1, d->FDrag.BoxY1, d->FDrag.OldCornerX, d->FDrag.OldCornerY}}, psSolid);
        if (Button == mbRight) {
            d->SetMouseBoxState(mbsIdle);
        } else {
            // Kept inside the control, as the box on screen was.
            d->FDrag.BoxX2 = std::clamp(X, 1, std::max(width(), 1));
            d->FDrag.BoxY2 = std::clamp(Y, 1, std::max(height(), 1));
            d->SetMouseBoxState(mbsComplete);
        }
    }
    d->MouseTool().Release(*d, Button, X, Y);
}

// ---- the modal box request

void TGeoMapPrivate::SetMouseBoxState(TMouseBoxState Value) {
    FDrag.BoxState = Value;
    if ((Value == mbsIdle || Value == mbsComplete) && FMouseBoxLoop) FMouseBoxLoop->quit();
}

void TGeoMap::MouseBoxAbort() {
    Q_D(TGeoMap);
    d->SetMouseBoxState(mbsIdle);
}

bool TGeoMap::MouseBox(int& xLo, int& yLo, int& xHi, int& yHi) {
    Q_D(TGeoMap);
    if (d->FDrag.BoxState != mbsIdle) return false;  // one request at a time
    const TMouseActMode SavedAction = d->FMouseAction;
    d->FMouseAction = maNone;
    d->FDrag.BoxState = mbsWaiting;
    QPointer<TGeoMap> Self(this);
    QEventLoop Loop;
    d->FMouseBoxLoop = &Loop;
    // Ends the wait when the map goes away meanwhile (its members are then gone).
    connect(this, &QObject::destroyed, &Loop, &QEventLoop::quit);
    Loop.exec();
    if (!Self) return false;
    d->FMouseBoxLoop = nullptr;
    const bool Completed = d->FDrag.BoxState == mbsComplete;
    if (Completed) {
        xLo = std::min(d->FDrag.BoxX1, d->FDrag.BoxX2);
        xHi = std::max(d->FDrag.BoxX1, d->FDrag.BoxX2);
        yLo = std::min(d->FDrag.BoxY1, d->FDrag.BoxY2);
        yHi = std::max(d->FDrag.BoxY1, d->FDrag.BoxY2);
    }
    d->FDrag.BoxState = mbsIdle;
    d->FMouseAction = SavedAction;
    return Completed;
}

// ---- the trace for hosts

TColoredPoint TGeoMap::GetMTracePoint(int Index) const {
    Q_D(const TGeoMap);
    TColoredPoint Result;
    if (Index < 1 || Index > d->FTrace.Count) {
        Result.Flags = TraceInvalid;
        return Result;
    }
    Result = d->FTrace.Points[static_cast<std::size_t>(Index - 1)];
    const int px = RoundToInt(Result.X), py = RoundToInt(Result.Y);
    bool LatOK = false, LongOK = false;
    const double Lat = CalcLatitude(px, py, LatOK);
    const double Long = CalcLongitude(px, py, LongOK);
    if (LatOK && LongOK) {
        Result.X = Long;
        Result.Y = Lat;
    } else {
        Result.Flags = TraceInvalid;
    }
    return Result;
}

}  // namespace zylcarto
