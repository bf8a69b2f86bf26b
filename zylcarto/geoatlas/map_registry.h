#pragma once
/// @file
/// The atlas's table of registered maps and the choice among them when zooming.
/// It knows maps only by what their calibration files say (caption, resolution,
/// corners) and never loads one; the atlas control does the loading.
#include <array>
#include <string>
#include <vector>

#include "zylcarto/geoatlas/map_definition.h"
#include "zylcarto/geomap/calibration/calib_types.h"

namespace zylcarto {

/// The entry of a calibration file named FileName with the given data.
TMapDefinition MapDefinitionFromCalib(const std::string& FileName, const TCalibData& CalData);

/// Up to Capacity maps numbered 1..NumRegMaps, and the current one. A plain value
/// owned by its atlas, one thread at a time; nothing here raises, out-of-range
/// numbers give 0, false or an empty entry.
class TMapRegistry {
public:
    /// The most maps an atlas holds.
    static constexpr int Capacity = 200;
    /// Zooming out never picks a map of this resolution or coarser.
    static constexpr double MaxResolution = 1e10;

    /// Number of maps registered.
    int NumRegMaps() const { return FNumRegMaps; }
    /// A copy of slot Index (1..Capacity, also above NumRegMaps); empty outside.
    TMapDefinition Maps(int Index) const;

    /// The number of the map whose MapFName is MapFName, 0 for none.
    int Find(const std::string& MapFName) const;
    /// Updates the entry with the same MapFName in place, else appends one.
    /// Returns the map's number, 0 when the table is full (it is then unchanged).
    int Store(const TMapDefinition& Definition);
    /// Moves the maps above Index down by one; false for a number out of range.
    /// The slot beyond the new last map keeps its old content.
    bool Remove(int Index);

    /// The map last chosen for display, 0 for none. Follows the renumbering of
    /// Remove, and becomes 0 when that map is removed.
    int CurrentMapIdx() const { return FCurrentMapIdx; }
    /// Sets the current map, unchecked: numbers outside 1..NumRegMaps count as none.
    void SetCurrentMapIdx(int Index) { FCurrentMapIdx = Index; }

    /// The number of the coarsest map covering the position (degrees, strictly inside
    /// its corners) that is finer than CurrentResolution by more than MinResDiff
    /// percent, lowest number among equals; 0 when there is none or CurrentResolution
    /// is not positive. Maps of resolution 0 never qualify.
    int FindFinerMap(double Lat, double Long, double CurrentResolution, double MinResDiff) const;
    /// The number of the finest map covering the position that is coarser than
    /// CurrentResolution, lowest number among equals; 0 when there is none.
    int FindCoarserMap(double Lat, double Long, double CurrentResolution) const;

    /// The map a traveller at the position should see, shown map Current: the
    /// finest map (lowest number among equals) holding the position at least
    /// EdgeBand of its extent (a fraction, shrunk towards its middle) inside its
    /// edges. While the position stays inside Current (strictly, as
    /// PositionInMap), that map only when it is finer than Current by more than
    /// MinResDiff percent; once outside, that map, or else the finest map holding
    /// the position at all. Entering a map takes more than staying in it, so a
    /// traveller along an edge does not flap between maps. 0: stay on Current.
    int FindTravellerMap(double Lat, double Long, int Current, double EdgeBand, double MinResDiff) const;

    /// The texts of the map selector, map 1 first: captions, or names where empty.
    std::vector<std::string> SelectorItems() const;

    /// Where a map image is read from: the directory of the current map's
    /// calibration file with the file-name part of Requested. Unchanged when no
    /// map is current.
    std::string MapImageLocation(const std::string& Requested) const;

private:
    std::array<TMapDefinition, Capacity> FRegMaps{};  // map number n is FRegMaps[n - 1]
    int FNumRegMaps = 0;
    int FCurrentMapIdx = 0;
};

}  // namespace zylcarto
