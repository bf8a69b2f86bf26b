#include "zylcarto/geoatlas/map_registry.h"

#include "zylcarto/geomap/calibration/calib_convert.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

TMapDefinition MapDefinitionFromCalib(const std::string& FileName, const TCalibData& CalData) {
    TMapDefinition Def;
    Def.MapFName = LowerCase(FileName);
    Def.Caption = CalData.Caption;
    Def.Resolution = CalData.Resolution;
    Def.Corners = CalData.Corners;
    Def.FileName = FileName;
    return Def;
}

TMapDefinition TMapRegistry::Maps(int Index) const {
    if (Index < 1 || Index > Capacity) return {};
    return FRegMaps[static_cast<std::size_t>(Index - 1)];
}

int TMapRegistry::Find(const std::string& MapFName) const {
    for (int n = 1; n <= FNumRegMaps; ++n)
        if (FRegMaps[static_cast<std::size_t>(n - 1)].MapFName == MapFName) return n;
    return 0;
}

int TMapRegistry::Store(const TMapDefinition& Definition) {
    if (const int n = Find(Definition.MapFName); n != 0) {
        FRegMaps[static_cast<std::size_t>(n - 1)] = Definition;
        return n;
    }
    if (FNumRegMaps >= Capacity) return 0;
    FRegMaps[static_cast<std::size_t>(FNumRegMaps)] = Definition;
    return ++FNumRegMaps;
}

bool TMapRegistry::Remove(int Index) {
    if (Index < 1 || Index > FNumRegMaps) return false;
    for (int n = Index; n < FNumRegMaps; ++n)
        FRegMaps[static_cast<std::size_t>(n - 1)] = FRegMaps[static_cast<std::size_t>(n)];
    --FNumRegMaps;
    if (FCurrentMapIdx == Index)
        FCurrentMapIdx = 0;
    else if (FCurrentMapIdx > Index)
        --FCurrentMapIdx;
    return true;
}

int TMapRegistry::FindFinerMap(double Lat, double Long, double CurrentResolution, double MinResDiff) const {
    // The relative step divides by the current resolution: without a positive
    // one (no map shown yet) there is nothing to be finer than.
    if (!(CurrentResolution > 0)) return 0;
    int Best = 0;
    double BestRes = 0;
    for (int n = 1; n <= FNumRegMaps; ++n) {
        const TMapDefinition& Def = FRegMaps[static_cast<std::size_t>(n - 1)];
        if (!PositionInMap(Lat, Long, Def.Corners)) continue;
        const double r = Def.Resolution;
        if ((CurrentResolution - r) / CurrentResolution > MinResDiff / 100 && r > BestRes) {
            Best = n;
            BestRes = r;
        }
    }
    return Best;
}

int TMapRegistry::FindCoarserMap(double Lat, double Long, double CurrentResolution) const {
    int Best = 0;
    double BestRes = MaxResolution;
    for (int n = 1; n <= FNumRegMaps; ++n) {
        const TMapDefinition& Def = FRegMaps[static_cast<std::size_t>(n - 1)];
        if (!PositionInMap(Lat, Long, Def.Corners)) continue;
        const double r = Def.Resolution;
        if (r > CurrentResolution && r < BestRes) {
            Best = n;
            BestRes = r;
        }
    }
    return Best;
}

namespace {

// The corners moved towards their middle by Band of the extent on each side.
TCornerArray Shrunk(const TCornerArray& Corners, double Band) {
    const TLongitudeFrame Frame = CornersLongFrame(Corners);  // across the antimeridian too
    double Lat = 0, Long = 0;
    for (const TCoords& C : Corners) {
        Lat += C.Latit / 4;
        Long += Frame.Apply(C.Longit) / 4;
    }
    TCornerArray S = Corners;
    for (TCoords& C : S) {
        C.Latit = Lat + (C.Latit - Lat) * (1 - 2 * Band);
        C.Longit = Long + (Frame.Apply(C.Longit) - Long) * (1 - 2 * Band);
    }
    return S;
}

}  // namespace

int TMapRegistry::FindTravellerMap(double Lat, double Long, int Current, double EdgeBand, double MinResDiff) const {
    int Deep = 0, Any = 0;
    for (int n = 1; n <= FNumRegMaps; ++n) {
        const TMapDefinition& Def = FRegMaps[static_cast<std::size_t>(n - 1)];
        if (!(Def.Resolution > 0) || !PositionInMap(Lat, Long, Def.Corners)) continue;
        if (Any == 0 || Def.Resolution < Maps(Any).Resolution) Any = n;
        if (PositionInMap(Lat, Long, Shrunk(Def.Corners, EdgeBand)) &&
            (Deep == 0 || Def.Resolution < Maps(Deep).Resolution))
            Deep = n;
    }
    const bool Shown = Current >= 1 && Current <= FNumRegMaps;
    if (Shown && PositionInMap(Lat, Long, Maps(Current).Corners)) {
        const double r = Maps(Current).Resolution;
        const bool Finer = Deep != 0 && Deep != Current && (r - Maps(Deep).Resolution) / r > MinResDiff / 100;
        return Finer ? Deep : 0;
    }
    const int Best = Deep != 0 ? Deep : Any;
    return Best == Current ? 0 : Best;
}

std::vector<std::string> TMapRegistry::SelectorItems() const {
    std::vector<std::string> Items;
    Items.reserve(static_cast<std::size_t>(FNumRegMaps));
    for (int n = 1; n <= FNumRegMaps; ++n) {
        const TMapDefinition& Def = FRegMaps[static_cast<std::size_t>(n - 1)];
        Items.push_back(Def.Caption.empty() ? Def.MapFName : Def.Caption);
    }
    return Items;
}

std::string TMapRegistry::MapImageLocation(const std::string& Requested) const {
    if (FCurrentMapIdx < 1 || FCurrentMapIdx > FNumRegMaps) return Requested;
    const TMapDefinition& Current = FRegMaps[static_cast<std::size_t>(FCurrentMapIdx - 1)];
    return ExtractFilePath(Current.FileName) + StripPath(Requested);
}

}  // namespace zylcarto
