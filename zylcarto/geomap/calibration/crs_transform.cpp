#include "zylcarto/geomap/calibration/crs_transform.h"

#include <proj.h>

#include <cmath>
#include <string_view>

#include "zylcarto/geomap/calibration/calib_text.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

// PROJ writes its complaints to standard error unless told otherwise: keep the
// last one for the caller's message instead.
void KeepLastMessage(void* Data, int Level, const char* Message) {
    if (Level <= PJ_LOG_ERROR && Message) *static_cast<std::string*>(Data) = Message;
}

// A PROJ string describes an operation unless it says it is a CRS.
std::string AsCrsText(const std::string& Definition) {
    const std::string lower = LowerCase(Definition);
    const bool projString =
        lower.starts_with("+proj=") || lower.starts_with("proj=") || lower.find(" +proj=") != std::string::npos;
    if (projString && lower.find("type=crs") == std::string::npos) return Definition + " +type=crs";
    return Definition;
}

bool IsPlanarOrGeographic(PJ_TYPE T) {
    return T == PJ_TYPE_PROJECTED_CRS || T == PJ_TYPE_GEOGRAPHIC_2D_CRS || T == PJ_TYPE_GEOGRAPHIC_3D_CRS;
}

struct TPjHolder {
    PJ* P;
    ~TPjHolder() { proj_destroy(P); }
};

}  // namespace

std::shared_ptr<TCrsTransform> TCrsTransform::Create(const std::string& Definition, std::string& Error) {
    std::shared_ptr<TCrsTransform> t(new TCrsTransform());
    t->FDefinition = Definition;
    t->FContext = proj_context_create();
    if (!t->FContext) {
        Error = "PROJ cannot start";
        return nullptr;
    }
    // The context lives as long as the object: so does the string it logs into.
    std::string& message = t->FLastMessage;
    proj_log_func(t->FContext, &message, KeepLastMessage);
    const auto fail = [&](const std::string& Why) {
        Error = Why + (message.empty() ? "" : ": " + message);
        return nullptr;
    };
    if (TrimBlanks(Definition).empty()) return fail("no coordinate reference system given");
    TPjHolder crs{proj_create(t->FContext, AsCrsText(Definition).c_str())};
    if (!crs.P) return fail("PROJ does not understand the coordinate reference system");
    PJ_TYPE type = proj_get_type(crs.P);
    if (type == PJ_TYPE_BOUND_CRS) {
        TPjHolder base{proj_get_source_crs(t->FContext, crs.P)};
        type = base.P ? proj_get_type(base.P) : PJ_TYPE_UNKNOWN;
    }
    if (!IsPlanarOrGeographic(type)) return fail("not a projected or geographic coordinate reference system");
    t->FGeographic = type != PJ_TYPE_PROJECTED_CRS;
    const char* const single[] = {"MULTILINE=NO", nullptr};
    if (const char* w = proj_as_wkt(t->FContext, crs.P, PJ_WKT1_ESRI, single)) t->FEsriWkt = w;
    if (const char* w = proj_as_wkt(t->FContext, crs.P, PJ_WKT1_GDAL, single)) t->FGdalWkt = w;
    TPjHolder wgs84{proj_create(t->FContext, "EPSG:4326")};
    if (!wgs84.P) return fail("PROJ has no WGS 84 (is its database installed?)");
    TPjHolder toGeo{proj_create_crs_to_crs_from_pj(t->FContext, crs.P, wgs84.P, nullptr, nullptr)};
    TPjHolder toGrid{proj_create_crs_to_crs_from_pj(t->FContext, wgs84.P, crs.P, nullptr, nullptr)};
    if (!toGeo.P || !toGrid.P) return fail("PROJ finds no transformation to WGS 84");
    t->FToGeo = proj_normalize_for_visualization(t->FContext, toGeo.P);
    t->FToGrid = proj_normalize_for_visualization(t->FContext, toGrid.P);
    if (!t->FToGeo || !t->FToGrid) return fail("PROJ cannot order the axes east, north");
    return t;
}

TCrsTransform::~TCrsTransform() {
    proj_destroy(FToGeo);
    proj_destroy(FToGrid);
    proj_context_destroy(FContext);
}

void TCrsTransform::Transform(PJ* Operation, double* X, double* Y, std::size_t N) const {
    if (N == 0) return;
    const std::scoped_lock lock(FLock);
    proj_trans_generic(Operation, PJ_FWD, X, sizeof(double), N, Y, sizeof(double), N, nullptr, 0, 0, nullptr, 0, 0);
    // PROJ marks a failed point with HUGE_VAL: both parts become NaN.
    for (std::size_t i = 0; i < N; ++i)
        if (!std::isfinite(X[i]) || !std::isfinite(Y[i])) X[i] = Y[i] = std::nan("");
}

void TCrsTransform::ToGeo(double* EastLong, double* NorthLat, std::size_t N) const {
    Transform(FToGeo, EastLong, NorthLat, N);
}

void TCrsTransform::ToGrid(double* EastLong, double* NorthLat, std::size_t N) const {
    Transform(FToGrid, EastLong, NorthLat, N);
}

std::string TCrsTransform::PrjWkt() const { return FEsriWkt.empty() ? FGdalWkt : FEsriWkt; }

std::string TCrsTransform::OperationAt(double East, double North) const {
    const std::scoped_lock lock(FLock);
    proj_trans(FToGeo, PJ_FWD, proj_coord(East, North, 0, 0));
    // Where PROJ holds several candidates it says which one served the point.
    TPjHolder used{proj_trans_get_last_used_operation(FToGeo)};
    PJ* op = used.P ? used.P : FToGeo;
    const char* name = proj_get_name(op);
    std::string text = name ? name : "unnamed operation";
    const double accuracy = proj_coordoperation_get_accuracy(FContext, op);
    if (accuracy >= 0) text += " (accuracy " + FormatGeneral15(accuracy) + " m)";
    return text;
}

}  // namespace zylcarto
