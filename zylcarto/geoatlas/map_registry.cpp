#include "zylcarto/geoatlas/map_registry.h"

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
