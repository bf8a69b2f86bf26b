// The view as the control changes size: the centre kept, the image confined or
// centred, and a fit asked for before the control was laid out.
#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

#include "probe_map.h"
#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;
using zylcarto::test::Picture;

namespace {

class ShownMap : public TGeoMap {
public:
    explicit ShownMap(QSize Image) {
        resize(500, 400);
        SetMapBitMap(Picture(Image.width(), Image.height(), qRgb(255, 0, 0)));
        show();
    }
};

}  // namespace

TEST(ViewGeometry, ResizeKeepsTheCentreAndTheViewOnTheImage) {
    struct Step {
        TPoint Before;
        QSize Size;
        TPoint After;
    };
    ShownMap M({1000, 800});
    for (const Step& S : {Step{{200, 200}, {300, 200}, {300, 300}},  // the centre pixel (450, 400) stays
                          Step{{700, 600}, {800, 700}, {200, 100}},  // from the far corner back onto the image
                          Step{{0, 0}, {1200, 1000}, {-100, -100}}}) {
        M.SetTopLeft(S.Before);
        M.resize(S.Size);
        EXPECT_EQ(M.TopLeft(), S.After) << S.Size.width() << " x " << S.Size.height();
    }
}

TEST(ViewGeometry, AnImageSmallerThanTheControlIsCentredAndPansOnlyAlongItsLongerSide) {
    struct Case {
        QSize Image;
        TPoint Centred, Dragged;
    };
    for (const Case& C : {Case{{200, 100}, {-150, -150}, {-150, -150}}, Case{{1000, 100}, {0, -150}, {100, -150}}}) {
        ShownMap M(C.Image);
        EXPECT_EQ(M.TopLeft(), C.Centred) << C.Image.width();
        const QImage& Shown = M.AuxBitmap();
        EXPECT_EQ(Shown.pixel(5 - C.Centred.X, 200), qRgb(255, 0, 0));
        EXPECT_EQ(Shown.pixel(249, 149), M.ColorBackGnd() | 0xFF000000u);
        QTest::mousePress(&M, Qt::LeftButton, {}, {300, 200});
        QTest::mouseMove(&M, {200, 100});
        QTest::mouseRelease(&M, Qt::LeftButton, {}, {200, 100});
        EXPECT_EQ(M.TopLeft(), C.Dragged) << C.Image.width();
    }
}

TEST(ViewGeometry, AFitBeforeTheShowFitsTheShownSizeUnlessTheHostZoomedSince) {
    struct Case {
        double HostMagnification;  // 0: none
        double Magnification;
        TPoint TopLeft;
    };
    for (const Case& C : {Case{0, 0.45, {-167, 0}}, Case{2.0, 2.0, {0, 0}}}) {
        QWidget Window;
        auto* Layout = new QVBoxLayout(&Window);
        Layout->setContentsMargins(0, 0, 0, 0);
        auto* M = new TGeoMap;
        Layout->addWidget(M);
        M->SetMapBitMap(Picture(1000, 800));
        Window.resize(600, 360);
        M->ZoomFitPage();  // still at the size of a new control
        ASSERT_EQ(M->Magnification(), 0.5);
        if (C.HostMagnification > 0) M->SetMagnification(C.HostMagnification);
        Window.show();
        ASSERT_EQ(M->size(), QSize(600, 360));
        EXPECT_DOUBLE_EQ(M->Magnification(), C.Magnification);
        EXPECT_EQ(M->TopLeft(), C.TopLeft);
    }
}
