#include "calib_review.h"

namespace zylcarto::demo {

std::vector<TReferencePoint> ReferencePoints(const TMapCalibration& Calib) {
    const TCalibData& D = Calib.CalibData();
    const std::vector<TPointReview> Reviews = ReviewCalibPoints(Calib);
    std::vector<TReferencePoint> Points;
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        const TCalQuad& Q = D.CalQuads[i];
        Points.push_back({Q.Latitude, Q.Longitude, Q.MapX, Q.MapY, Reviews[static_cast<std::size_t>(i - 1)]});
    }
    return Points;
}

}  // namespace zylcarto::demo
