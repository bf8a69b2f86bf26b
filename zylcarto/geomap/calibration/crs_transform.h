#pragma once
// A coordinate reference system tied to WGS 84 latitude and longitude through
// PROJ. PROJ picks the operation (an EPSG transformation where it knows one,
// else a Helmert or ballpark shift) and both sides are put in east-north order.
// One object may be shared by copies of a calibration on several threads: every
// call into PROJ holds the object's lock, as a PROJ context is single-threaded.
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

struct PJconsts;
struct pj_ctx;

namespace zylcarto {

class TCrsTransform {
public:
    // nullptr, and Error saying why, when PROJ does not take Definition as a
    // geographic or projected CRS or finds no way to WGS 84 from it.
    static std::shared_ptr<TCrsTransform> Create(const std::string& Definition, std::string& Error);
    ~TCrsTransform();
    TCrsTransform(const TCrsTransform&) = delete;
    TCrsTransform& operator=(const TCrsTransform&) = delete;

    const std::string& Definition() const { return FDefinition; }
    // Grid coordinates are degrees (east = longitude, north = latitude).
    bool IsGeographic() const { return FGeographic; }

    // In place, N points: easting and northing to longitude and latitude. A point
    // PROJ cannot convert comes back non-finite.
    void ToGeo(double* EastLong, double* NorthLat, std::size_t N) const;
    // In place: longitude and latitude to easting and northing.
    void ToGrid(double* EastLong, double* NorthLat, std::size_t N) const;
    // The CRS as WKT for a .prj file: ESRI's dialect where PROJ can write it,
    // else WKT 1 as GDAL writes it; "" when PROJ can write neither.
    std::string PrjWkt() const;
    // The name of the operation PROJ uses at this grid position, with its
    // accuracy when PROJ knows it.
    std::string OperationAt(double East, double North) const;

private:
    TCrsTransform() = default;
    void Transform(PJconsts* Operation, double* X, double* Y, std::size_t N) const;

    std::string FDefinition;
    bool FGeographic = false;
    std::string FEsriWkt, FGdalWkt;
    std::string FLastMessage;  // PROJ's last complaint
    pj_ctx* FContext = nullptr;
    // One operation per direction, each used forward, as cs2cs uses them: the
    // inverse of a Helmert shift is only approximated.
    PJconsts* FToGeo = nullptr;
    PJconsts* FToGrid = nullptr;
    mutable std::mutex FLock;
};

}  // namespace zylcarto
