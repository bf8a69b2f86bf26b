#pragma once
/// @file
/// The landmark list of a map: adding, finding, changing and removing landmarks
/// under the host's veto, and the settings rendering reads (class visibility,
/// random display threshold, highlight). Landmarks are numbered 1..N.
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

/// The landmarks of one map. Owned by its map and used from its thread; it owns
/// its landmarks, borrows the sender and calls the veto handler and the repaint
/// callback synchronously. Removing a landmark moves the last one into its place,
/// so indexes change. Positions and distances are in degrees, with longitude not
/// scaled by latitude. Every removal but RemoveAllLandMarks() resets the highlight
/// to 0 on a non-empty list. A growth that fails raises EZYLGeoMapError
/// ("insufficient memory") and leaves the list as it was.
class ZYLCARTO_EXPORT TLandMarkStore {
public:
    /// Capacity grows and shrinks in steps of this many entries.
    static constexpr int CapacityStep = 1000;
    /// The random display threshold of a new list.
    static constexpr int DefaultRandSampleLimit = 20000;

    /// Sender is what the veto event passes; ComponentName gives the name for messages.
    /// An empty list, all classes visible, no highlight.
    TLandMarkStore(TObject* Sender, std::function<std::string()> ComponentName);

    /// Called after every change that the map shows. The veto handler may destroy
    /// the store (with the map that owns it); the call in progress then ends
    /// without touching it.
    void SetOnRepaint(std::function<void()> Handler) { FOnRepaint = std::move(Handler); }
    /// The veto handler asked before each addition and removal.
    const TLandMarkActionEvent& OnLandMarkAction() const { return FOnLMAction; }
    /// Sets the veto handler; empty allows everything.
    void SetOnLandMarkAction(TLandMarkActionEvent Handler) { FOnLMAction = std::move(Handler); }

    /// Copies everything but the event handlers, the sender and the repaint callback;
    /// no repaint. Raises EZYLGeoMapError, nothing copied, when memory runs out.
    void Assign(const TLandMarkStore& Source);

    /// Number of landmarks, N.
    int NumLandMarks() const { return FNumLandMarks; }
    /// How many stored landmarks have an identifier or caption that was altered on
    /// the way in (TextAltered: "Zürich – Москва" stored as "Zürich – ??????", a
    /// caption cut at 80 characters); the landmark's own flag tells which.
    int TextsAltered() const;
    /// Entries allocated, a multiple of CapacityStep.
    int Capacity() const { return static_cast<int>(FLandMarks.size()); }

    /// @{
    /// Adds a copy of LandMarkDefault with the given position (degrees) and the fields
    /// given (identifier cut to 15 and caption text to 80 characters), unless the
    /// handler vetoes it; then repaints. A veto adds nothing and does not repaint.
    /// A longitude within a whole turn is normalised to -180..180 first (181 is stored as -179); a
    /// position that IsGeoPosition then refuses adds nothing (and asks no handler).
    void AddLandMark(double Lat, double Long, double Altitude);
    void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier, TDateTime Time);
    void AddLandMark(double Lat, double Long, double Altitude, const std::string& CaptionText, int CaptionSize,
                     TColor CaptionColor);
    void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier, TDateTime Time,
                     const std::string& CaptionText, int CaptionSize, TColor CaptionColor);
    void AddLandMark(double Lat, double Long, double Altitude, TLandMarkElement Element, std::uint8_t ClassFlag,
                     const std::string& Identifier, TDateTime Time, int Tag, TColor ColorFG, TColor ColorBG, int Size,
                     bool Transparent, int Direction, int Length);

    /// @}
    /// Index of the landmark of the class (-1, or any value outside 0..255: every
    /// class) nearest to (Lat, Long), the lowest among equally near; 0 when none.
    int FindLandMark(double Lat, double Long, int ClassFlag) const;
    /// Removes what FindLandMark finds unless vetoed; returns its index, 0 when none
    /// was removed.
    int RemoveLandMark(double Lat, double Long, int ClassFlag);
    /// Removes every landmark of the class closer than Radius degrees that the handler
    /// allows; returns the number removed.
    int RemoveLandMark(double Lat, double Long, int ClassFlag, double Radius);
    /// Removes every landmark of the class strictly inside the rectangle
    /// (Left = western longitude, Top = northern latitude, Right, Bottom); returns the
    /// number removed.
    int RemoveLandMark(const TRectDouble& Rect, int ClassFlag);
    /// Removes every landmark of the class for which Near holds and the handler
    /// allows, as the radius overload does; returns the number removed.
    int RemoveLandMarksWhere(int ClassFlag, const std::function<bool(const TLandMark&)>& Near);
    /// Returns LmIndex when removed, 0 when out of range or vetoed.
    int RemoveLandMark(int LmIndex);
    /// Removes landmark N, as RemoveLandMark(N).
    void RemoveLastLandMark();
    /// Removes every landmark of exactly that class that the handler allows.
    void RemoveAllLandMarks(std::uint8_t ClassFlag);
    /// Empties the list without asking the handler; the highlight index stays.
    void RemoveAllLandMarks();

    /// A copy of landmark Index; an empty landmark for an index outside 1..N.
    TLandMark GetLandMarkData(int Index) const;
    /// Replaces landmark Index, repainting only when it differs; nothing outside
    /// 1..N or for a position AddLandMark refuses (longitudes normalised as there). No veto.
    void SetLandMarkData(int Index, TLandMark LandMark);

    /// @{
    /// The template of AddLandMark.
    TLandMark& LandMarkDefault() { return FDefaultLM; }
    const TLandMark& LandMarkDefault() const { return FDefaultLM; }
    /// @}
    /// Replaces the template of AddLandMark.
    void SetLandMarkDefault(const TLandMark& Value) { FDefaultLM = Value; }

    /// Whether landmarks of Class are drawn (all are at first).
    bool GetClassVisibility(std::uint8_t Class) const { return FLMClassVisible[Class]; }
    /// Shows or hides a class and repaints.
    void SetClassVisibility(std::uint8_t Class, bool Value);

    /// Index of the highlighted landmark, 0 for none.
    int HighLightLandMark() const { return FHighLM; }
    /// Highlights landmark Index (outside 0..N: none), repainting when it changes.
    void SetHighLM(int Index);
    /// Line colour of the highlight.
    TColor HighLMColFG() const { return FHighLMColFG; }
    /// Fill colour of the highlight.
    TColor HighLMColBG() const { return FHighLMColBG; }
    /// The highlight is drawn without fill.
    bool HighLMTrans() const { return FHighLMTrans; }
    /// Sets the highlight colours and fill, and repaints.
    void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent);

    /// Above this many landmarks only a random share of them is drawn.
    int LMRandomDisplayThreshold() const { return FLMRandSampleLimit; }
    /// Sets the threshold; values up to 1000 are ignored. Repaints when it changes.
    void SetRandSampleLimit(int Value);

    /// Direct read access for rendering: landmark i is LandMark(i), 1 <= i <= N, unchecked.
    const TLandMark& LandMark(int Index) const { return FLandMarks[static_cast<std::size_t>(Index - 1)]; }

private:
    enum class TVerdict : std::uint8_t { Allowed, Refused, Gone };  // Gone: the handler destroyed the store
    TVerdict AskHandler(TLandMarkAction Action, const TLandMark& LandMark);
    void Append(TLandMark LandMark);
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
