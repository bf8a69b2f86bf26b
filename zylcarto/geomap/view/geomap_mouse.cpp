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

}  // namespace

void TGeoMapPrivate::XorLine(TCanvas& C, const TRect& L) {
    C.Pen = {XorWhite, psSolid, pmXor, 1};
    C.MoveTo(L.Left, L.Top);
    C.LineTo(L.Right, L.Bottom);
}

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
        if (Fresh) FTool->RedrawShape(Canvas);
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

// ---- the mouse tools: one per mouse action, made when MouseAction changes

namespace {

using TMouseTool = TGeoMapPrivate::TMouseTool;

// The corner of a shape dragged to (X, Y), kept inside the control from Min on.
TPoint ClampToControl(const TGeoMap& Map, int X, int Y, int Min) {
    return {std::clamp(X, Min, std::max(Map.width(), Min)), std::clamp(Y, Min, std::max(Map.height(), Min))};
}

// Pans in both or one direction, or zooms by dragging; the left press takes
// the anchors, the release stores the view. A pan follows the pointer outside
// the control too, as the held button keeps the moves coming.
class TDragTool final : public TMouseTool {
public:
    enum class TKind : std::uint8_t { Pan, PanHoriz, PanVert, Zoom };
    TDragTool(TGeoMapPrivate& Map, TKind Kind) : TMouseTool(Map), FKind(Kind) {}

    void Press(TMouseButton Button, TShiftState, int X, int Y, TPoint) override {
        if (Button == mbLeft) FAnchor = TAnchor{{X, Y}, M.Viewport().TopLeft()};
    }
    void Move(TShiftState Shift, int X, int Y) override {
        if (!FAnchor) return;
        if (!(Shift & ssLeft)) {  // released where the control did not see it
            FAnchor.reset();
            return;
        }
        TGeoMap& Map = *Control();
        const int W = Map.width(), H = Map.height();
        TMapViewport V = M.Viewport();
        const TPoint Before = V.TopLeft();
        if (FKind == TKind::Zoom) {
            const double Factor = 1 - 0.05 * (FAnchor->Mouse.X - X) / std::max(W, 1) +
                                  static_cast<double>(FAnchor->Mouse.Y - Y) / std::max(H, 1);
            if (X < 0 || X > W || Y < 0 || Y > H || Factor == 1) return;
            V.ZoomAroundCenter(V.Magnify() * Factor);
            M.SetView(V);
        } else {
            TPoint P = Before;
            if (FKind != TKind::PanVert) P.X = FAnchor->TopLeft.X + V.ToImageLength(FAnchor->Mouse.X - X);
            if (FKind != TKind::PanHoriz) P.Y = FAnchor->TopLeft.Y + V.ToImageLength(FAnchor->Mouse.Y - Y);
            V.SetTopLeft(P);
            M.SetView(V);
            if (M.FConfinePan) Map.PanMapToFillWindow();
            if (M.Viewport().TopLeft() == Before) return;
        }
        Map.Paint();
        if (FKind != TKind::Zoom && !M.UserPanned()) return;  // a pan by hand ends following
        Map.DoZoomPanEvent();
    }
    void Release(TMouseButton Button, int, int) override {
        if (Button != mbLeft || !FAnchor) return;
        // The next drag takes fresh anchors even when no move comes between.
        FAnchor.reset();
        Control()->ZoomStateOnStack();
    }
    bool Dragging() const override { return FAnchor.has_value(); }
    void Deactivate() override { FAnchor.reset(); }

private:
    struct TAnchor {
        TPoint Mouse;    // control pixel of the press
        TPoint TopLeft;  // the view's then
    };
    TKind FKind;
    std::optional<TAnchor> FAnchor;
};

// A line from an anchor to the pointer; left presses switch it on and off,
// Ctrl-presses continue it from the pressed point.
class TRubberBandTool final : public TMouseTool {
public:
    using TMouseTool::TMouseTool;

    void Press(TMouseButton Button, TShiftState Shift, int X, int Y, TPoint ImagePt) override {
        if (Button != mbLeft) return;
        TGeoMap* Map = Control();
        if ((Shift & ssCtrl) && FLine) {
            if (!FireHostEvent(Map, M.FOnContRubberBand, &TGeoMap::continueRubberBand, ImagePt)) return;
            FLine->Left = X;
            FLine->Top = Y;
        } else if (!FLine) {
            FLine = TRect{X, Y, X, Y};
            FireHostEvent(Map, M.FOnBeginRubberBand, &TGeoMap::beginRubberBand, ImagePt);
        } else {
            Deactivate();
            FireHostEvent(Map, M.FOnEndRubberBand, &TGeoMap::endRubberBand, ImagePt);
        }
    }
    void Move(TShiftState, int X, int Y) override {
        if (!FLine) return;
        M.XorLines({*FLine, {FLine->Left, FLine->Top, X, Y}});
        FLine->Right = X;
        FLine->Bottom = Y;
    }
    bool Dragging() const override { return FLine.has_value(); }
    void RedrawShape(TCanvas& C) const override {
        if (FLine) TGeoMapPrivate::XorLine(C, *FLine);
    }
    void Deactivate() override {
        if (FLine) M.XorLines({*FLine});
        FLine.reset();
    }

private:
    std::optional<TRect> FLine;  // anchor to the pointer's last position
};

// A rectangle dragged from the left press; Finish has it when released inside
// the control's reach. Solid for the zoom box, dotted for the selection.
class TBoxDragTool : public TMouseTool {
public:
    TBoxDragTool(TGeoMapPrivate& Map, TPenStyle Style) : TMouseTool(Map), FStyle(Style) {}

    void Press(TMouseButton Button, TShiftState, int X, int Y, TPoint ImagePt) override {
        if (Button != mbLeft || FBox || !Starts(X, Y)) return;
        FBox = TRect{X, Y, X, Y};
        Started(ImagePt);
    }
    void Move(TShiftState Shift, int X, int Y) override {
        if (!FBox || !Follows(Shift)) return;
        const TPoint Corner = ClampToControl(*Control(), X, Y, 0);
        M.XorRectangles({*FBox, {FBox->Left, FBox->Top, Corner.X, Corner.Y}}, FStyle);
        FBox->Right = Corner.X;
        FBox->Bottom = Corner.Y;
    }
    void Release(TMouseButton Button, int X, int Y) override {
        if (!FBox || !Ends(Button)) return;
        const TRect Box = *FBox;
        Deactivate();
        if (Button == mbLeft) Finish(Box, X, Y);
    }
    bool Dragging() const override { return FBox.has_value(); }
    void RedrawShape(TCanvas& C) const override {
        if (FBox) XorRectangle(C, *FBox, FStyle);
    }
    void Deactivate() override {
        if (FBox) M.XorRectangles({*FBox}, FStyle);
        FBox.reset();
    }

protected:
    virtual bool Starts(int /*X*/, int /*Y*/) const { return true; }
    virtual void Started(TPoint /*ImagePt*/) {}
    virtual bool Follows(TShiftState /*Shift*/) const { return true; }
    virtual bool Ends(TMouseButton Button) const { return Button == mbLeft; }
    // Box: anchor and the corner last drawn; (X, Y) where the button came up.
    virtual void Finish(const TRect& Box, int X, int Y) = 0;

private:
    TPenStyle FStyle;
    std::optional<TRect> FBox;
};

// A dragged box that the view is zoomed to on a left release; another button
// (not the middle one) cancels it.
class TZoomBoxTool final : public TBoxDragTool {
public:
    explicit TZoomBoxTool(TGeoMapPrivate& Map) : TBoxDragTool(Map, psSolid) {}

private:
    bool Starts(int X, int Y) const override {
        return X >= 0 && X <= Control()->width() && Y >= 0 && Y <= Control()->height();
    }
    bool Ends(TMouseButton Button) const override { return Button != mbMiddle; }
    void Finish(const TRect& Box, int, int) override {
        if (Box.Left == Box.Right || Box.Top == Box.Bottom) return;
        TGeoMap& Map = *Control();
        const TPoint p1 = Map.ControlToMapImage({std::min(Box.Left, Box.Right), std::min(Box.Top, Box.Bottom)});
        const TPoint p2 = Map.ControlToMapImage({std::max(Box.Left, Box.Right), std::max(Box.Top, Box.Bottom)});
        if (p1.X == p2.X || p1.Y == p2.Y) return;
        TMapViewport V = M.Viewport();
        V.FitBox(p1, p2.X - p1.X, p2.Y - p1.Y);
        M.SetView(V);
        Map.Paint();
        Map.DoZoomPanEvent();
    }
};

// A dotted rectangle; the release reports its corners as positions or pixels.
class TSelectRectTool final : public TBoxDragTool {
public:
    explicit TSelectRectTool(TGeoMapPrivate& Map) : TBoxDragTool(Map, psDot) {}

private:
    void Started(TPoint ImagePt) override {
        FireHostEvent(Control(), M.FOnBeginRubberBand, &TGeoMap::beginRubberBand, ImagePt);
    }
    bool Follows(TShiftState Shift) const override { return Shift & ssLeft; }
    void Finish(const TRect& Box, int X, int Y) override {
        TGeoMap& Map = *Control();
        const TPoint p1 = Map.ControlToMapImage({Box.Left, Box.Top});
        const TPoint p2 = Map.ControlToMapImage({X, Y});
        bool v1 = false, v2 = false, v3 = false, v4 = false;
        const double Long1 = Map.CalcLongitude(p1, v1), Lat1 = Map.CalcLatitude(p1, v2);
        const double Long2 = Map.CalcLongitude(p2, v3), Lat2 = Map.CalcLatitude(p2, v4);
        if (v1 && v2 && v3 && v4)
            Map.DoSelectRectEvent(1, Long1, Lat1, Long2, Lat2);
        else
            Map.DoSelectRectEvent(0, p1.X, p1.Y, p2.X, p2.Y);
    }
};

// Records the pointer's path in strokes, drawing each new segment at once.
class TTraceTool final : public TMouseTool {
public:
    using TMouseTool::TMouseTool;

    void Press(TMouseButton Button, TShiftState, int, int, TPoint) override {
        if (Button == mbLeft) FStroke = true;
    }
    void Move(TShiftState Shift, int X, int Y) override {
        if (!FStroke || !(Shift & ssLeft)) return;
        const TPoint P = ClampToControl(*Control(), X, Y, 0);
        Append(P.X, P.Y);
    }
    void Release(TMouseButton, int, int) override { Deactivate(); }
    bool Dragging() const override { return FStroke; }
    // The segments stay: they are part of the picture as the trace.
    void Deactivate() override {
        if (!FStroke) return;
        FStroke = false;
        if (M.FTrace.Count >= 1) M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count - 1)].Flags |= TraceEndsStroke;
    }

private:
    void Append(int X, int Y) {
        TGeoMapPrivate::TTraceState& Trace = M.FTrace;
        if (Trace.Count >= TGeoMap::MaxMouseTracePoints) return;
        const TPoint ImagePt = Control()->ControlToMapImage({X, Y});
        TColoredPoint& P = Trace.Points[static_cast<std::size_t>(Trace.Count)];
        P.X = ImagePt.X;
        P.Y = ImagePt.Y;
        P.Color = Trace.Color;
        P.Flags = Trace.Invert ? TraceDrawnXor : 0;
        ++Trace.Count;
        if (Trace.Count < 2) return;
        const TColoredPoint& Prev = Trace.Points[static_cast<std::size_t>(Trace.Count - 2)];
        if (Prev.Flags & TraceEndsStroke) return;
        const TMapViewport V = M.Viewport();
        const TPoint From = V.ImageToControl({RoundToInt(Prev.X), RoundToInt(Prev.Y)});
        const TPoint To = V.ImageToControl(ImagePt);
        M.DrawFeedback([&](TCanvas& C) {
            C.Pen = {Trace.Color, psSolid, Trace.Invert ? pmXor : pmCopy, 1};
            C.MoveTo(From.X, From.Y);
            C.LineTo(To.X, To.Y);
            C.Pen.Mode = pmCopy;
        });
    }

    bool FStroke = false;  // a left press of this tool is held
};

// The box of a MouseBox request: a press starts it (a right press ends the
// request), the release completes it (a right release ends the request).
class TMouseBoxTool final : public TMouseTool {
public:
    TMouseBoxTool(TGeoMapPrivate& Map, TGeoMapPrivate::TBoxRequest& Request) : TMouseTool(Map), R(Request) {}

    void Press(TMouseButton Button, TShiftState, int X, int Y, TPoint) override {
        if (R.State != mbsWaiting) return;
        if (Button == mbRight) return End(mbsIdle);
        R.Box = {X, Y, X, Y};
        R.State = mbsDragging;
    }
    void Move(TShiftState, int X, int Y) override {
        if (R.State != mbsDragging) return;
        const TPoint Corner = ClampToControl(*Control(), X, Y, 1);
        M.XorRectangles({R.Box, {R.Box.Left, R.Box.Top, Corner.X, Corner.Y}}, psSolid);
        R.Box.Right = Corner.X;
        R.Box.Bottom = Corner.Y;
    }
    void Release(TMouseButton Button, int X, int Y) override {
        if (R.State != mbsDragging) return;
        M.XorRectangles({R.Box}, psSolid);
        if (Button == mbRight) return End(mbsIdle);
        // Kept inside the control, as the box on screen was.
        const TPoint Corner = ClampToControl(*Control(), X, Y, 1);
        R.Box.Right = Corner.X;
        R.Box.Bottom = Corner.Y;
        End(mbsComplete);
    }
    bool Dragging() const override { return R.State == mbsDragging; }
    void RedrawShape(TCanvas& C) const override {
        if (R.State == mbsDragging) XorRectangle(C, R.Box, psSolid);
    }
    void Deactivate() override {
        if (R.State == mbsDragging) M.XorRectangles({R.Box}, psSolid);
        if (R.State != mbsComplete) End(mbsIdle);
    }

private:
    void End(TMouseBoxState State) {
        R.State = State;
        R.Loop->quit();
    }

    TGeoMapPrivate::TBoxRequest& R;
};

}  // namespace

std::shared_ptr<TMouseTool> TMouseTool::Make(TMouseActMode Action, TGeoMapPrivate& Map) {
    using enum TDragTool::TKind;
    switch (Action) {
    case maPan: return std::make_shared<TDragTool>(Map, Pan);
    case maPanHoriz: return std::make_shared<TDragTool>(Map, PanHoriz);
    case maPanVert: return std::make_shared<TDragTool>(Map, PanVert);
    case maZoomDrag: return std::make_shared<TDragTool>(Map, Zoom);
    case maRubberBand: return std::make_shared<TRubberBandTool>(Map);
    case maZoomBox: return std::make_shared<TZoomBoxTool>(Map);
    case maSelectRect: return std::make_shared<TSelectRectTool>(Map);
    case maTrace: return std::make_shared<TTraceTool>(Map);
    case maMeasure: return TGeoMapPrivate::MakeMeasureTool(Map);
    default: return std::make_shared<TMouseTool>(Map);
    }
}

bool TGeoMapPrivate::SetTool(TMouseActMode Action, std::shared_ptr<TMouseTool> Tool) {
    // Deactivated while still current, so that a shape a Paint has wiped is put
    // back before it is erased; held here in case a handler replaces it meanwhile.
    const std::shared_ptr<TMouseTool> Old = FTool;
    if (Old && !SurvivesCall(q_func(), [&] { Old->Deactivate(); })) return false;
    FTool = std::move(Tool);
    FMouseAction = Action;
    return true;
}

void TGeoMapPrivate::ChooseMouseAction(TMouseActMode Action) {
    if (Action != FMouseAction || !FTool) SetTool(Action, TMouseTool::Make(Action, *this));
}

// ---- press, move, release: the tool's work, with the host's handlers around

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Q_D(TGeoMap);
    const TPoint ImagePt = ControlToMapImage({X, Y});
    d->FPointer.LastClick = ImagePt;
    if (!SurvivesCall(this, [&, Tool = d->FTool] { Tool->Press(Button, Shift, X, Y, ImagePt); })) return;
    FireHostEvent(this, d->FOnMouseDown, &TGeoMap::mouseDown, Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
    Q_D(TGeoMap);
    d->FPointer.LastMove = ControlToMapImage({X, Y});
    if (!SurvivesCall(this, [&, Tool = d->FTool] { Tool->Move(Shift, X, Y); })) return;
    FireHostEvent(this, d->FOnMouseMove, &TGeoMap::mouseMove, Shift, X, Y);
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Q_D(TGeoMap);
    if (!FireHostEvent(this, d->FOnMouseUp, &TGeoMap::mouseUp, Button, Shift, X, Y)) return;
    const std::shared_ptr<TGeoMapPrivate::TMouseTool> Tool = d->FTool;
    Tool->Release(Button, X, Y);
}

// ---- the modal box request

void TGeoMap::MouseBoxAbort() {
    Q_D(TGeoMap);
    if (d->FBoxRequest) d->FTool->Deactivate();
}

TMouseBoxState TGeoMap::MouseBoxState() const {
    Q_D(const TGeoMap);
    return d->FBoxRequest ? d->FBoxRequest->State : mbsIdle;
}

bool TGeoMap::MouseBox(int& xLo, int& yLo, int& xHi, int& yHi) {
    Q_D(TGeoMap);
    if (d->FBoxRequest) return false;  // one request at a time
    const TMouseActMode SavedAction = d->FMouseAction;
    QEventLoop Loop;
    TGeoMapPrivate::TBoxRequest Request{mbsWaiting, {}, &Loop};
    const auto Tool = std::make_shared<TMouseBoxTool>(*d, Request);
    if (!d->SetTool(maNone, Tool)) return false;
    d->FBoxRequest = &Request;
    QPointer<TGeoMap> Self(this);
    // Ends the wait when the map goes away meanwhile (its members are then gone).
    connect(this, &QObject::destroyed, &Loop, &QEventLoop::quit);
    Loop.exec();
    if (!Self) return false;
    d->FBoxRequest = nullptr;
    const bool Completed = Request.State == mbsComplete;
    if (Completed) {
        xLo = std::min(Request.Box.Left, Request.Box.Right);
        xHi = std::max(Request.Box.Left, Request.Box.Right);
        yLo = std::min(Request.Box.Top, Request.Box.Bottom);
        yHi = std::max(Request.Box.Top, Request.Box.Bottom);
    }
    // Unless the host chose another action meanwhile, which ended the wait.
    if (d->FTool == Tool) d->SetTool(SavedAction, TGeoMapPrivate::TMouseTool::Make(SavedAction, *d));
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
