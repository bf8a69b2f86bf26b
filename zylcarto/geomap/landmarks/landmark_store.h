#pragma once
// The landmark list of a map: adding, finding, changing and removing landmarks
// under the host's veto, and the settings rendering reads (class visibility,
// random display threshold, highlight). Landmarks are numbered 1..N.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class ZYLCARTO_EXPORT TLandMarkStore {
public:
    // Capacity grows and shrinks in steps of this many entries.
    static constexpr int CapacityStep = 1000;
    static constexpr int DefaultRandSampleLimit = 20000;

    // Sender is what the veto event passes; ComponentName gives the name for messages.
    TLandMarkStore(TObject* Sender, std::function<std::string()> ComponentName);

    // Called after every change that the map shows. The veto handler may destroy
    // the store (with the map that owns it); the call in progress then ends
    // without touching it.
    void SetOnRepaint(std::function<void()> Handler) { FOnRepaint = std::move(Handler); }
    const TLandMarkActionEvent& OnLandMarkAction() const { return FOnLMAction; }
    void SetOnLandMarkAction(TLandMarkActionEvent Handler) { FOnLMAction = std::move(Handler); }

    // Everything but the event handlers, the sender and the repaint callback; no repaint.
    void Assign(const TLandMarkStore& Source);

    int NumLandMarks() const { return FNumLandMarks; }
    int Capacity() const { return static_cast<int>(FLandMarks.size()); }

    // A position that IsGeoPosition refuses adds nothing (and asks no handler).
    void AddLandMark(double Lat, double Long, double Altitude);
    void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier, TDateTime Time);
    void AddLandMark(double Lat, double Long, double Altitude, const std::string& CaptionText, int CaptionSize,
                     TColor CaptionColor);
    void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier, TDateTime Time,
                     const std::string& CaptionText, int CaptionSize, TColor CaptionColor);
    void AddLandMark(double Lat, double Long, double Altitude, TLandMarkElement Element, std::uint8_t ClassFlag,
                     const std::string& Identifier, TDateTime Time, int Tag, TColor ColorFG, TColor ColorBG, int Size,
                     bool Transparent, int Direction, int Length);

    // Nearest landmark of the class (-1, or any value outside 0..255: every class); 0 when none.
    int FindLandMark(double Lat, double Long, int ClassFlag) const;
    // Removes what FindLandMark finds; returns its index, 0 when none was removed.
    int RemoveLandMark(double Lat, double Long, int ClassFlag);
    // Removes every landmark of the class closer than Radius degrees; returns the number removed.
    int RemoveLandMark(double Lat, double Long, int ClassFlag, double Radius);
    // Removes every landmark of the class strictly inside the rectangle
    // (Left = western longitude, Top = northern latitude, Right, Bottom); returns the number removed.
    int RemoveLandMark(const TRectDouble& Rect, int ClassFlag);
    // Returns LmIndex when removed, 0 when out of range or vetoed.
    int RemoveLandMark(int LmIndex);
    void RemoveLastLandMark();
    void RemoveAllLandMarks(std::uint8_t ClassFlag);
    void RemoveAllLandMarks();

    // An index outside 1..N is ignored: Get returns an empty landmark, Set
    // changes nothing; so is a landmark whose position IsGeoPosition refuses.
    TLandMark GetLandMarkData(int Index) const;
    void SetLandMarkData(int Index, const TLandMark& LandMark);

    TLandMark& LandMarkDefault() { return FDefaultLM; }
    const TLandMark& LandMarkDefault() const { return FDefaultLM; }
    void SetLandMarkDefault(const TLandMark& Value) { FDefaultLM = Value; }

    bool GetClassVisibility(std::uint8_t Class) const { return FLMClassVisible[Class]; }
    void SetClassVisibility(std::uint8_t Class, bool Value);

    int HighLightLandMark() const { return FHighLM; }
    void SetHighLM(int Index);
    TColor HighLMColFG() const { return FHighLMColFG; }
    TColor HighLMColBG() const { return FHighLMColBG; }
    bool HighLMTrans() const { return FHighLMTrans; }
    void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent);

    int LMRandomDisplayThreshold() const { return FLMRandSampleLimit; }
    void SetRandSampleLimit(int Value);

    // Direct read access for rendering: landmark i is LandMark(i), 1 <= i <= N, unchecked.
    const TLandMark& LandMark(int Index) const { return FLandMarks[static_cast<std::size_t>(Index - 1)]; }

private:
    enum class TVerdict : std::uint8_t { Allowed, Refused, Gone };  // Gone: the handler destroyed the store
    TVerdict AskHandler(TLandMarkAction Action, const TLandMark& LandMark);
    void Append(const TLandMark& LandMark);
    void EnsureCapacity(int Count);
    void ResetCapacity();
    void RemoveAt(int Index);
    // Asks the handler for each landmark Matches accepts, then compacts; returns
    // the number removed, nothing when the handler destroyed the store.
    std::optional<int> RemoveMatching(const std::function<bool(const TLandMark&)>& Matches);
    void Repaint();
    [[noreturn]] void RaiseInsufficientMemory() const;

    TObject* FSender;
    std::function<std::string()> FComponentName;
    std::function<void()> FOnRepaint;
    TLandMarkActionEvent FOnLMAction;
    // Expires with the store; a handler's caller learns from it that the store is gone.
    std::shared_ptr<const bool> FLife = std::make_shared<const bool>(true);

    int FNumLandMarks = 0;
    std::vector<TLandMark> FLandMarks;  // size is the capacity
    TLandMark FDefaultLM;
    std::array<bool, 256> FLMClassVisible;
    int FLMRandSampleLimit = DefaultRandSampleLimit;
    int FHighLM = 0;
    TColor FHighLMColFG = 0xFF0000;
    TColor FHighLMColBG = 0x00FFFF;
    bool FHighLMTrans = false;
};

}  // namespace zylcarto
