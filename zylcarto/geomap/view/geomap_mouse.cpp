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
#include "zylcarto/geomap/view/rounding.h"

namespace zylcarto {
namespace {

constexpr TColor XorWhite = 0xFFFFFF;

bool IsPan(TMouseActMode Action) { return Action == maPan || Action == maPanHoriz || Action == maPanVert; }

} // namespace

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

} // namespace

void TGeoMap::DrawFeedback(const std::function<void(TCanvas&)>& Draw) {
    const bool Fresh = FScreenKey != AuxBmp.cacheKey() || FScreenBmp.isNull();
    if (Fresh) {
        FScreenBmp = AuxBmp.copy(0, 0, std::max(width(), 1), std::max(height(), 1))
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

void TGeoMap::RedrawActiveShapes(TCanvas& Canvas) const {
    if (FMouseBoxState == mbsDragging)
        XorRectangle(Canvas, {FMouseBoxX1, FMouseBoxY1, FWindOldCornerX, FWindOldCornerY}, psSolid);
    if (FMouseAction == maZoomBox && FZoomState == zsBoxDragging)
        XorRectangle(Canvas, {FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY}, psSolid);
    if (FMouseAction == maSelectRect && FSelectRectOn)
        XorRectangle(Canvas, {FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY}, psDot);
    if (FMouseAction == maRubberBand && FRubberBandOn)
        XorLine(Canvas, {FRubberBAnchorX, FRubberBAnchorY, FRubberBandOldX, FRubberBandOldY});
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
        if (FOnDblClick) FOnDblClick(this);
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
        if (rect().contains(P) && FOnClick) FOnClick(this);
    }
    MouseUp(Button, ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

// ---- press, move, release

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TPoint ImagePt = ControlToMapImage({X, Y});
    FLastMClickPosX = ImagePt.X;
    FLastMClickPosY = ImagePt.Y;
    const int W = width(), H = height();

    if (FMouseBoxState == mbsWaiting) {
        if (Button == mbRight) {
            SetMouseBoxState(mbsIdle);
        } else {
            FMouseBoxX1 = X;
            FMouseBoxY1 = Y;
            FWindOldCornerX = X;
            FWindOldCornerY = Y;
            SetMouseBoxState(mbsDragging);
        }
    }
    if (FMouseAction == maZoomBox && FZoomState == zsIdle && Button == mbLeft && X >= 0 && X <= W && Y >= 0 &&
        Y <= H) {
        FZoomState = zsBoxDragging;
        FWindAnchorX = FWindOldCornerX = X;
        FWindAnchorY = FWindOldCornerY = Y;
    }
    if (FMouseAction == maSelectRect && Button == mbLeft) {
        FWindAnchorX = FWindOldCornerX = X;
        FWindAnchorY = FWindOldCornerY = Y;
        FSelectRectOn = true;
        if (FOnBeginRubberBand) FOnBeginRubberBand(this, ImagePt);
    }
    if (FMouseAction == maRubberBand && Button == mbLeft) {
        if ((Shift & ssCtrl) && FRubberBandOn) {
            if (FOnContRubberBand) FOnContRubberBand(this, ImagePt);
            FRubberBAnchorX = X;
            FRubberBAnchorY = Y;
        } else if (!FRubberBandOn) {
            FRubberBandOn = true;
            if (FOnBeginRubberBand) FOnBeginRubberBand(this, ImagePt);
            FRubberBAnchorX = FRubberBandOldX = X;
            FRubberBAnchorY = FRubberBandOldY = Y;
        } else {
            FRubberBandOn = false;
            XorLines({{FRubberBAnchorX, FRubberBAnchorY, FRubberBandOldX, FRubberBandOldY}});
            if (FOnEndRubberBand) FOnEndRubberBand(this, ImagePt);
        }
    }
    if (FOnMouseDown) FOnMouseDown(this, Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
    const TPoint ImagePt = ControlToMapImage({X, Y});
    FLastMMousePosX = ImagePt.X;
    FLastMMousePosY = ImagePt.Y;
    const int W = width(), H = height();
    const bool Inside = X >= 0 && X <= W && Y >= 0 && Y <= H;
    const int cX = std::clamp(X, 0, std::max(W, 0)), cY = std::clamp(Y, 0, std::max(H, 0));
    const bool LeftDown = (Shift & ssLeft) != 0;

    if (FMouseBoxState == mbsDragging) {
        const int bX = std::clamp(X, 1, std::max(W, 1)), bY = std::clamp(Y, 1, std::max(H, 1));
        XorRectangles({{FMouseBoxX1, FMouseBoxY1, FWindOldCornerX, FWindOldCornerY}, {FMouseBoxX1, FMouseBoxY1, bX, bY}},
                      psSolid);
        FWindOldCornerX = bX;
        FWindOldCornerY = bY;
    }

    if (IsPan(FMouseAction) || FMouseAction == maZoomDrag) {
        if (!LeftDown) {
            FLButtonWasDown = false;
        } else if (!FLButtonWasDown) {
            MouseAnchorX = X;
            MouseAnchorY = Y;
            FTopLeftXAnchor = FView.TopLeft.X;
            FTopLeftYAnchor = FView.TopLeft.Y;
            FLButtonWasDown = true;
        } else if (Inside && FMouseAction == maZoomDrag) {
            const double Factor = 1 - 0.05 * (MouseAnchorX - X) / std::max(W, 1) +
                                  static_cast<double>(MouseAnchorY - Y) / std::max(H, 1);
            FView = Viewport();
            FView.ZoomAroundCenter(FView.Magnify * Factor);
            Paint();
            DoZoomPanEvent();
        } else if (Inside) {
            if (FMouseAction != maPanVert) FView.TopLeft.X = FTopLeftXAnchor + FView.ToImageLength(MouseAnchorX - X);
            if (FMouseAction != maPanHoriz) FView.TopLeft.Y = FTopLeftYAnchor + FView.ToImageLength(MouseAnchorY - Y);
            if (FConfinePan) PanMapToFillWindow();
            Paint();
            DoZoomPanEvent();
        }
    } else if (FMouseAction == maRubberBand) {
        if (FRubberBandOn) {
            XorLines({{FRubberBAnchorX, FRubberBAnchorY, FRubberBandOldX, FRubberBandOldY},
                      {FRubberBAnchorX, FRubberBAnchorY, X, Y}});
            FRubberBandOldX = X;
            FRubberBandOldY = Y;
        }
    } else if (FMouseAction == maZoomBox) {
        if (FZoomState == zsBoxDragging) {
            XorRectangles({{FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY},
                           {FWindAnchorX, FWindAnchorY, cX, cY}}, psSolid);
            FWindOldCornerX = cX;
            FWindOldCornerY = cY;
        }
    } else if (FMouseAction == maSelectRect) {
        if (FSelectRectOn && LeftDown) {
            XorRectangles({{FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY},
                           {FWindAnchorX, FWindAnchorY, cX, cY}}, psDot);
            FWindOldCornerX = cX;
            FWindOldCornerY = cY;
        }
    } else if (FMouseAction == maTrace) {
        if (FZoomState == zsIdle && LeftDown) AppendTracePoint(cX, cY);
    }
    if (FOnMouseMove) FOnMouseMove(this, Shift, X, Y);
}

void TGeoMap::AppendTracePoint(int X, int Y) {
    if (FNumMTrace >= MaxMouseTracePoints) return;
    const TPoint ImagePt = ControlToMapImage({X, Y});
    TColoredPoint& P = FMTrace[static_cast<std::size_t>(FNumMTrace)];
    P.X = ImagePt.X;
    P.Y = ImagePt.Y;
    P.Color = FColorMTrace;
    P.Flags = FMTraceInvert ? TraceDrawnXor : 0;
    ++FNumMTrace;
    if (FNumMTrace < 2) return;
    const TColoredPoint& Prev = FMTrace[static_cast<std::size_t>(FNumMTrace - 2)];
    if (Prev.Flags & TraceEndsStroke) return;
    const TPoint From = FView.ImageToControl({RoundToInt(Prev.X), RoundToInt(Prev.Y)});
    const TPoint To = FView.ImageToControl(ImagePt);
    DrawFeedback([&](TCanvas& C) {
        C.Pen = {FColorMTrace, psSolid, FMTraceInvert ? pmXor : pmCopy, 1};
        C.MoveTo(From.X, From.Y);
        C.LineTo(To.X, To.Y);
        C.Pen.Mode = pmCopy;
    });
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FOnMouseUp) FOnMouseUp(this, Button, Shift, X, Y);
    const int W = width(), H = height();

    if (FMouseBoxState == mbsDragging) {
        XorRectangles({{FMouseBoxX1, FMouseBoxY1, FWindOldCornerX, FWindOldCornerY}}, psSolid);
        if (Button == mbRight) {
            SetMouseBoxState(mbsIdle);
        } else {
            // Kept inside the control, as the box on screen was.
            FMouseBoxX2 = std::clamp(X, 1, std::max(W, 1));
            FMouseBoxY2 = std::clamp(Y, 1, std::max(H, 1));
            SetMouseBoxState(mbsComplete);
        }
    }
    if (FMouseAction == maSelectRect && Button == mbLeft && FSelectRectOn) {
        FSelectRectOn = false;
        XorRectangles({{FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY}}, psDot);
        const TPoint p1 = ControlToMapImage({FWindAnchorX, FWindAnchorY});
        const TPoint p2 = ControlToMapImage({X, Y});
        bool v1 = false, v2 = false, v3 = false, v4 = false;
        const double Long1 = CalcLongitude(p1, v1), Lat1 = CalcLatitude(p1, v2);
        const double Long2 = CalcLongitude(p2, v3), Lat2 = CalcLatitude(p2, v4);
        if (v1 && v2 && v3 && v4)
            DoSelectRectEvent(1, Long1, Lat1, Long2, Lat2);
        else
            DoSelectRectEvent(0, p1.X, p1.Y, p2.X, p2.Y);
    }
    if (FMouseAction == maZoomBox && FZoomState == zsBoxDragging && Button != mbMiddle) {
        XorRectangles({{FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY}}, psSolid);
        FZoomState = zsIdle;
        if (Button == mbLeft) ZoomToBox();
    }
    if (IsPan(FMouseAction) || FMouseAction == maZoomDrag) {
        ZoomStateOnStack();
        // The next drag must take fresh anchors even when no move comes between.
        if (Button == mbLeft) FLButtonWasDown = false;
    }
    if (FMouseAction == maTrace && FNumMTrace >= 1) FMTrace[static_cast<std::size_t>(FNumMTrace - 1)].Flags |= TraceEndsStroke;
}

void TGeoMap::ZoomToBox() {
    if (FWindAnchorX == FWindOldCornerX || FWindAnchorY == FWindOldCornerY) return;
    const TPoint p1 = ControlToMapImage({std::min(FWindAnchorX, FWindOldCornerX), std::min(FWindAnchorY, FWindOldCornerY)});
    const TPoint p2 = ControlToMapImage({std::max(FWindAnchorX, FWindOldCornerX), std::max(FWindAnchorY, FWindOldCornerY)});
    if (p1.X == p2.X || p1.Y == p2.Y) return;
    FView = Viewport();
    FView.FitBox(p1, p2.X - p1.X, p2.Y - p1.Y);
    Paint();
    DoZoomPanEvent();
}

// ---- the modal box request

void TGeoMap::SetMouseBoxState(TMouseBoxState Value) {
    FMouseBoxState = Value;
    if ((Value == mbsIdle || Value == mbsComplete) && FMouseBoxLoop) FMouseBoxLoop->quit();
}

void TGeoMap::MouseBoxAbort() { SetMouseBoxState(mbsIdle); }

bool TGeoMap::MouseBox(int& xLo, int& yLo, int& xHi, int& yHi) {
    if (FMouseBoxState != mbsIdle) return false;  // one request at a time
    const TMouseActMode SavedAction = FMouseAction;
    FMouseAction = maNone;
    FMouseBoxState = mbsWaiting;
    QPointer<TGeoMap> Self(this);
    QEventLoop Loop;
    FMouseBoxLoop = &Loop;
    // Ends the wait when the map goes away meanwhile (its members are then gone).
    connect(this, &QObject::destroyed, &Loop, &QEventLoop::quit);
    Loop.exec();
    if (!Self) return false;
    FMouseBoxLoop = nullptr;
    const bool Completed = FMouseBoxState == mbsComplete;
    if (Completed) {
        xLo = std::min(FMouseBoxX1, FMouseBoxX2);
        xHi = std::max(FMouseBoxX1, FMouseBoxX2);
        yLo = std::min(FMouseBoxY1, FMouseBoxY2);
        yHi = std::max(FMouseBoxY1, FMouseBoxY2);
    }
    FMouseBoxState = mbsIdle;
    FMouseAction = SavedAction;
    return Completed;
}

// ---- the trace for hosts

TColoredPoint TGeoMap::GetMTracePoint(int Index) const {
    TColoredPoint Result;
    if (Index < 1 || Index > FNumMTrace) {
        Result.Flags = TraceInvalid;
        return Result;
    }
    Result = FMTrace[static_cast<std::size_t>(Index - 1)];
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

} // namespace zylcarto
