// Mouse interaction of TGeoMap: what a drag does by mouse action, the modal box
// request and the mouse trace. Rubber shapes are XOR-drawn onto the picture on
// screen (never into AuxBmp), so drawing a shape twice erases it and the next
// Paint removes whatever is left.
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr TColor XorWhite = 0xFFFFFF;

}  // namespace

// ---- the picture on screen

const QImage& TGeoMap::ScreenPicture() const {
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

void TGeoMap::DrawFeedback(const std::function<void(TCanvas&)>& Draw) {
    const bool Fresh = FScreenKey != AuxBmp.cacheKey() || FScreenBmp.isNull();
    if (Fresh) {
        const double Ratio = AuxBmp.devicePixelRatio();  // kept by the copy
        FScreenBmp =
            AuxBmp
                .copy(0, 0, std::max(int(std::ceil(width() * Ratio)), 1), std::max(int(std::ceil(height() * Ratio)), 1))
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
    repaint();
}

void TGeoMap::XorRectangles(std::initializer_list<TRect> Rects, TPenStyle Style) {
    DrawFeedback([&](TCanvas& C) {
        for (const TRect& R : Rects) XorRectangle(C, R, Style);
    });
}

void TGeoMap::XorLines(std::initializer_list<TRect> Lines) {
    DrawFeedback([&](TCanvas& C) {
        for (const TRect& L : Lines) XorLine(C, L);
    });
}

// ---- Qt events to the control's handlers

void TGeoMap::mousePressEvent(QMouseEvent* Event) {
    TMouseButton Button;
    if (!ButtonFromQt(Event->button(), Button)) return QWidget::mousePressEvent(Event);
    const QPoint P = Event->position().toPoint();
    if (Button == mbLeft) FClickPending = true;
    MouseDown(Button, ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

void TGeoMap::mouseDoubleClickEvent(QMouseEvent* Event) {
    TMouseButton Button;
    if (!ButtonFromQt(Event->button(), Button)) return QWidget::mouseDoubleClickEvent(Event);
    const QPoint P = Event->position().toPoint();
    // The second press of a double click is no click of its own.
    if (Button == mbLeft) {
        FClickPending = false;
        if (!FireHostEvent(this, FOnDblClick, &TGeoMap::dblClick)) return;
    }
    MouseDown(Button, ShiftFromQt(Event->modifiers(), Event->buttons()) | ssDouble, P.x(), P.y());
}

void TGeoMap::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    MouseMove(ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

void TGeoMap::mouseReleaseEvent(QMouseEvent* Event) {
    TMouseButton Button;
    if (!ButtonFromQt(Event->button(), Button)) return QWidget::mouseReleaseEvent(Event);
    const QPoint P = Event->position().toPoint();
    if (Button == mbLeft && FClickPending) {
        FClickPending = false;
        if (rect().contains(P) && !FireHostEvent(this, FOnClick, &TGeoMap::click)) return;
    }
    MouseUp(Button, ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

// ---- the mouse tools: one per mouse action, chosen by MouseAction

class TGeoMap::TMouseTool {
public:
    virtual ~TMouseTool() = default;
    virtual void Press(TGeoMap&, TMouseButton, TShiftState, int /*X*/, int /*Y*/, TPoint /*ImagePt*/) const {}
    virtual void Move(TGeoMap&, TShiftState, int /*X*/, int /*Y*/) const {}
    virtual void Release(TGeoMap&, TMouseButton, int /*X*/, int /*Y*/) const {}
    // Puts the tool's feedback shape back onto a picture a Paint has renewed.
    virtual void RedrawShape(const TGeoMap&, TCanvas&) const {}
};

// Pans in both or one direction, or zooms by dragging; the left press takes
// the anchors, the release stores the view. A pan follows the pointer outside
// the control too, as the held button keeps the moves coming.
class TGeoMap::TDragTool final : public TGeoMap::TMouseTool {
public:
    enum class TKind : std::uint8_t { Pan, PanHoriz, PanVert, Zoom };
    explicit TDragTool(TKind Kind) : FKind(Kind) {}

    void Press(TGeoMap& M, TMouseButton Button, TShiftState, int X, int Y, TPoint) const override {
        if (Button != mbLeft) return;
        M.FDrag.MouseAnchorX = X;
        M.FDrag.MouseAnchorY = Y;
        M.FDrag.TopLeftXAnchor = M.FView.TopLeft.X;
        M.FDrag.TopLeftYAnchor = M.FView.TopLeft.Y;
        M.FDrag.LButtonWasDown = true;
    }
    void Move(TGeoMap& M, TShiftState Shift, int X, int Y) const override {
        const int W = M.width(), H = M.height();
        const bool Inside = X >= 0 && X <= W && Y >= 0 && Y <= H;
        if (!(Shift & ssLeft)) {
            M.FDrag.LButtonWasDown = false;
        } else if (!M.FDrag.LButtonWasDown) {
            return;  // pressed before this tool was chosen
        } else if (FKind == TKind::Zoom) {
            const double Factor = 1 - 0.05 * (M.FDrag.MouseAnchorX - X) / std::max(W, 1) +
                                  static_cast<double>(M.FDrag.MouseAnchorY - Y) / std::max(H, 1);
            if (!Inside || Factor == 1) return;
            M.FView = M.Viewport();
            M.FView.ZoomAroundCenter(M.FView.Magnify * Factor);
            M.Paint();
            M.DoZoomPanEvent();
        } else {
            const TPoint Before = M.FView.TopLeft;
            if (FKind != TKind::PanVert)
                M.FView.TopLeft.X = M.FDrag.TopLeftXAnchor + M.FView.ToImageLength(M.FDrag.MouseAnchorX - X);
            if (FKind != TKind::PanHoriz)
                M.FView.TopLeft.Y = M.FDrag.TopLeftYAnchor + M.FView.ToImageLength(M.FDrag.MouseAnchorY - Y);
            if (M.FConfinePan) M.PanMapToFillWindow();
            if (M.FView.TopLeft == Before) return;
            M.Paint();
            M.DoZoomPanEvent();
        }
    }
    void Release(TGeoMap& M, TMouseButton Button, int, int) const override {
        M.ZoomStateOnStack();
        // The next drag must take fresh anchors even when no move comes between.
        if (Button == mbLeft) M.FDrag.LButtonWasDown = false;
    }

private:
    TKind FKind;
};

// A line from an anchor to the pointer; left presses switch it on and off,
// Ctrl-presses continue it from the pressed point.
class TGeoMap::TRubberBandTool final : public TGeoMap::TMouseTool {
public:
    void Press(TGeoMap& M, TMouseButton Button, TShiftState Shift, int X, int Y, TPoint ImagePt) const override {
        if (Button != mbLeft) return;
        if ((Shift & ssCtrl) && M.FDrag.RubberBandOn) {
            if (!FireHostEvent(&M, M.FOnContRubberBand, &TGeoMap::continueRubberBand, ImagePt)) return;
            M.FDrag.BandAnchorX = X;
            M.FDrag.BandAnchorY = Y;
        } else if (!M.FDrag.RubberBandOn) {
            M.FDrag.RubberBandOn = true;
            if (!FireHostEvent(&M, M.FOnBeginRubberBand, &TGeoMap::beginRubberBand, ImagePt)) return;
            M.FDrag.BandAnchorX = M.FDrag.BandOldX = X;
            M.FDrag.BandAnchorY = M.FDrag.BandOldY = Y;
        } else {
            M.FDrag.RubberBandOn = false;
            M.XorLines({{M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, M.FDrag.BandOldX, M.FDrag.BandOldY}});
            FireHostEvent(&M, M.FOnEndRubberBand, &TGeoMap::endRubberBand, ImagePt);
        }
    }
    void Move(TGeoMap& M, TShiftState, int X, int Y) const override {
        if (!M.FDrag.RubberBandOn) return;
        M.XorLines({{M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, M.FDrag.BandOldX, M.FDrag.BandOldY},
                    {M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, X, Y}});
        M.FDrag.BandOldX = X;
        M.FDrag.BandOldY = Y;
    }
    void RedrawShape(const TGeoMap& M, TCanvas& C) const override {
        if (M.FDrag.RubberBandOn)
            XorLine(C, {M.FDrag.BandAnchorX, M.FDrag.BandAnchorY, M.FDrag.BandOldX, M.FDrag.BandOldY});
    }
};

// A dragged box that the view is zoomed to on a left release.
class TGeoMap::TZoomBoxTool final : public TGeoMap::TMouseTool {
public:
    void Press(TGeoMap& M, TMouseButton Button, TShiftState, int X, int Y, TPoint) const override {
        if (M.FDrag.ZoomState != zsIdle || Button != mbLeft || X < 0 || X > M.width() || Y < 0 || Y > M.height())
            return;
        M.FDrag.ZoomState = zsBoxDragging;
        M.FDrag.AnchorX = M.FDrag.OldCornerX = X;
        M.FDrag.AnchorY = M.FDrag.OldCornerY = Y;
    }
    void Move(TGeoMap& M, TShiftState, int X, int Y) const override {
        if (M.FDrag.ZoomState != zsBoxDragging) return;
        const int cX = std::clamp(X, 0, std::max(M.width(), 0)), cY = std::clamp(Y, 0, std::max(M.height(), 0));
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY},
                         {M.FDrag.AnchorX, M.FDrag.AnchorY, cX, cY}},
                        psSolid);
        M.FDrag.OldCornerX = cX;
        M.FDrag.OldCornerY = cY;
    }
    void Release(TGeoMap& M, TMouseButton Button, int, int) const override {
        if (M.FDrag.ZoomState != zsBoxDragging || Button == mbMiddle) return;
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}}, psSolid);
        M.FDrag.ZoomState = zsIdle;
        if (Button == mbLeft) ZoomToBox(M);
    }
    void RedrawShape(const TGeoMap& M, TCanvas& C) const override {
        if (M.FDrag.ZoomState == zsBoxDragging)
            XorRectangle(C, {M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}, psSolid);
    }

private:
    static void ZoomToBox(TGeoMap& M) {
        if (M.FDrag.AnchorX == M.FDrag.OldCornerX || M.FDrag.AnchorY == M.FDrag.OldCornerY) return;
        const TPoint p1 = M.ControlToMapImage(
            {std::min(M.FDrag.AnchorX, M.FDrag.OldCornerX), std::min(M.FDrag.AnchorY, M.FDrag.OldCornerY)});
        const TPoint p2 = M.ControlToMapImage(
            {std::max(M.FDrag.AnchorX, M.FDrag.OldCornerX), std::max(M.FDrag.AnchorY, M.FDrag.OldCornerY)});
        if (p1.X == p2.X || p1.Y == p2.Y) return;
        M.FView = M.Viewport();
        M.FView.FitBox(p1, p2.X - p1.X, p2.Y - p1.Y);
        M.Paint();
        M.DoZoomPanEvent();
    }
};

// A dotted rectangle; the release reports its corners as positions or pixels.
class TGeoMap::TSelectRectTool final : public TGeoMap::TMouseTool {
public:
    void Press(TGeoMap& M, TMouseButton Button, TShiftState, int X, int Y, TPoint ImagePt) const override {
        if (Button != mbLeft) return;
        M.FDrag.AnchorX = M.FDrag.OldCornerX = X;
        M.FDrag.AnchorY = M.FDrag.OldCornerY = Y;
        M.FDrag.SelectRectOn = true;
        FireHostEvent(&M, M.FOnBeginRubberBand, &TGeoMap::beginRubberBand, ImagePt);
    }
    void Move(TGeoMap& M, TShiftState Shift, int X, int Y) const override {
        if (!M.FDrag.SelectRectOn || !(Shift & ssLeft)) return;
        const int cX = std::clamp(X, 0, std::max(M.width(), 0)), cY = std::clamp(Y, 0, std::max(M.height(), 0));
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY},
                         {M.FDrag.AnchorX, M.FDrag.AnchorY, cX, cY}},
                        psDot);
        M.FDrag.OldCornerX = cX;
        M.FDrag.OldCornerY = cY;
    }
    void Release(TGeoMap& M, TMouseButton Button, int X, int Y) const override {
        if (Button != mbLeft || !M.FDrag.SelectRectOn) return;
        M.FDrag.SelectRectOn = false;
        M.XorRectangles({{M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}}, psDot);
        const TPoint p1 = M.ControlToMapImage({M.FDrag.AnchorX, M.FDrag.AnchorY});
        const TPoint p2 = M.ControlToMapImage({X, Y});
        bool v1 = false, v2 = false, v3 = false, v4 = false;
        const double Long1 = M.CalcLongitude(p1, v1), Lat1 = M.CalcLatitude(p1, v2);
        const double Long2 = M.CalcLongitude(p2, v3), Lat2 = M.CalcLatitude(p2, v4);
        if (v1 && v2 && v3 && v4)
            M.DoSelectRectEvent(1, Long1, Lat1, Long2, Lat2);
        else
            M.DoSelectRectEvent(0, p1.X, p1.Y, p2.X, p2.Y);
    }
    void RedrawShape(const TGeoMap& M, TCanvas& C) const override {
        if (M.FDrag.SelectRectOn)
            XorRectangle(C, {M.FDrag.AnchorX, M.FDrag.AnchorY, M.FDrag.OldCornerX, M.FDrag.OldCornerY}, psDot);
    }
};

// Records the pointer's path in strokes, drawing each new segment at once.
class TGeoMap::TTraceTool final : public TGeoMap::TMouseTool {
public:
    void Move(TGeoMap& M, TShiftState Shift, int X, int Y) const override {
        if (M.FDrag.ZoomState != zsIdle || !(Shift & ssLeft)) return;
        Append(M, std::clamp(X, 0, std::max(M.width(), 0)), std::clamp(Y, 0, std::max(M.height(), 0)));
    }
    void Release(TGeoMap& M, TMouseButton, int, int) const override {
        if (M.FTrace.Count >= 1) M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count - 1)].Flags |= TraceEndsStroke;
    }

private:
    static void Append(TGeoMap& M, int X, int Y) {
        if (M.FTrace.Count >= MaxMouseTracePoints) return;
        const TPoint ImagePt = M.ControlToMapImage({X, Y});
        TColoredPoint& P = M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count)];
        P.X = ImagePt.X;
        P.Y = ImagePt.Y;
        P.Color = M.FTrace.Color;
        P.Flags = M.FTrace.Invert ? TraceDrawnXor : 0;
        ++M.FTrace.Count;
        if (M.FTrace.Count < 2) return;
        const TColoredPoint& Prev = M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count - 2)];
        if (Prev.Flags & TraceEndsStroke) return;
        const TPoint From = M.FView.ImageToControl({RoundToInt(Prev.X), RoundToInt(Prev.Y)});
        const TPoint To = M.FView.ImageToControl(ImagePt);
        M.DrawFeedback([&](TCanvas& C) {
            C.Pen = {M.FTrace.Color, psSolid, M.FTrace.Invert ? pmXor : pmCopy, 1};
            C.MoveTo(From.X, From.Y);
            C.LineTo(To.X, To.Y);
            C.Pen.Mode = pmCopy;
        });
    }
};

const TGeoMap::TMouseTool& TGeoMap::MouseTool() const {
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

void TGeoMap::RedrawActiveShapes(TCanvas& Canvas) const {
    if (FDrag.BoxState == mbsDragging)
        XorRectangle(Canvas, {FDrag.BoxX1, FDrag.BoxY1, FDrag.OldCornerX, FDrag.OldCornerY}, psSolid);
    MouseTool().RedrawShape(*this, Canvas);
}

// ---- press, move, release: the box request, then the tool, with the host's handlers around

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TPoint ImagePt = ControlToMapImage({X, Y});
    FDrag.LastClickX = ImagePt.X;
    FDrag.LastClickY = ImagePt.Y;
    if (FDrag.BoxState == mbsWaiting) {
        if (Button == mbRight) {
            SetMouseBoxState(mbsIdle);
        } else {
            FDrag.BoxX1 = X;
            FDrag.BoxY1 = Y;
            FDrag.OldCornerX = X;
            FDrag.OldCornerY = Y;
            SetMouseBoxState(mbsDragging);
        }
    }
    if (!SurvivesCall(this, [&] { MouseTool().Press(*this, Button, Shift, X, Y, ImagePt); })) return;
    FireHostEvent(this, FOnMouseDown, &TGeoMap::mouseDown, Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
    const TPoint ImagePt = ControlToMapImage({X, Y});
    FDrag.LastMoveX = ImagePt.X;
    FDrag.LastMoveY = ImagePt.Y;
    if (FDrag.BoxState == mbsDragging) {
        const int W = width(), H = height();
        const int bX = std::clamp(X, 1, std::max(W, 1)), bY = std::clamp(Y, 1, std::max(H, 1));
        XorRectangles(
            {{FDrag.BoxX1, FDrag.BoxY1, FDrag.OldCornerX, FDrag.OldCornerY}, {FDrag.BoxX1, FDrag.BoxY1, bX, bY}},
            psSolid);
        FDrag.OldCornerX = bX;
        FDrag.OldCornerY = bY;
    }
    if (!SurvivesCall(this, [&] { MouseTool().Move(*this, Shift, X, Y); })) return;
    FireHostEvent(this, FOnMouseMove, &TGeoMap::mouseMove, Shift, X, Y);
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FireHostEvent(this, FOnMouseUp, &TGeoMap::mouseUp, Button, Shift, X, Y)) return;
    if (FDrag.BoxState == mbsDragging) {
        XorRectangles({{FDrag.BoxX1, FDrag.BoxY1, FDrag.OldCornerX, FDrag.OldCornerY}}, psSolid);
        if (Button == mbRight) {
            SetMouseBoxState(mbsIdle);
        } else {
            // Kept inside the control, as the box on screen was.
            FDrag.BoxX2 = std::clamp(X, 1, std::max(width(), 1));
            FDrag.BoxY2 = std::clamp(Y, 1, std::max(height(), 1));
            SetMouseBoxState(mbsComplete);
        }
    }
    MouseTool().Release(*this, Button, X, Y);
}

// ---- the modal box request

void TGeoMap::SetMouseBoxState(TMouseBoxState Value) {
    FDrag.BoxState = Value;
    if ((Value == mbsIdle || Value == mbsComplete) && FMouseBoxLoop) FMouseBoxLoop->quit();
}

void TGeoMap::MouseBoxAbort() { SetMouseBoxState(mbsIdle); }

bool TGeoMap::MouseBox(int& xLo, int& yLo, int& xHi, int& yHi) {
    if (FDrag.BoxState != mbsIdle) return false;  // one request at a time
    const TMouseActMode SavedAction = FMouseAction;
    FMouseAction = maNone;
    FDrag.BoxState = mbsWaiting;
    QPointer<TGeoMap> Self(this);
    QEventLoop Loop;
    FMouseBoxLoop = &Loop;
    // Ends the wait when the map goes away meanwhile (its members are then gone).
    connect(this, &QObject::destroyed, &Loop, &QEventLoop::quit);
    Loop.exec();
    if (!Self) return false;
    FMouseBoxLoop = nullptr;
    const bool Completed = FDrag.BoxState == mbsComplete;
    if (Completed) {
        xLo = std::min(FDrag.BoxX1, FDrag.BoxX2);
        xHi = std::max(FDrag.BoxX1, FDrag.BoxX2);
        yLo = std::min(FDrag.BoxY1, FDrag.BoxY2);
        yHi = std::max(FDrag.BoxY1, FDrag.BoxY2);
    }
    FDrag.BoxState = mbsIdle;
    FMouseAction = SavedAction;
    return Completed;
}

// ---- the trace for hosts

TColoredPoint TGeoMap::GetMTracePoint(int Index) const {
    TColoredPoint Result;
    if (Index < 1 || Index > FTrace.Count) {
        Result.Flags = TraceInvalid;
        return Result;
    }
    Result = FTrace.Points[static_cast<std::size_t>(Index - 1)];
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
