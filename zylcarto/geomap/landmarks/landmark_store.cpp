#include "zylcarto/geomap/landmarks/landmark_store.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/bitfld.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/longitude.h"

namespace zylcarto {

namespace {

// -1 matches every class; so does any value a byte cannot hold.
int NormalizedClass(int ClassFlag) { return (ClassFlag < -1 || ClassFlag > 255) ? -1 : ClassFlag; }

bool ClassMatches(const TLandMark& LM, int ClassFlag) { return ClassFlag == -1 || LM.ClassFlag == ClassFlag; }

double SquaredDistance(const TLandMark& LM, double Lat, double Long) {
    const double dLat = LM.Latitude - Lat;
    const double dLong = LM.Longitude - Long;
    return dLat * dLat + dLong * dLong;
}

// Capacity for Count landmarks: the next multiple of the step, at least one step.
std::size_t CapacityFor(int Count) {
    const int Steps = Count <= 0 ? 1 : (Count - 1) / TLandMarkStore::CapacityStep + 1;
    return static_cast<std::size_t>(Steps) * TLandMarkStore::CapacityStep;
}

}  // namespace

TLandMarkStore::TLandMarkStore(TObject* Sender, std::function<std::string()> ComponentName)
    : FSender(Sender), FComponentName(std::move(ComponentName)) {
    FLMClassVisible.fill(true);
    ResetCapacity();
}

void TLandMarkStore::Assign(const TLandMarkStore& Source) {
    if (&Source == this) return;
    std::vector<TLandMark> Copy;
    try {
        Copy.resize(CapacityFor(Source.FNumLandMarks));
    } catch (const std::bad_alloc&) {
        RaiseInsufficientMemory();
    } catch (const std::length_error&) {
        RaiseInsufficientMemory();
    }
    std::copy_n(Source.FLandMarks.begin(), Source.FNumLandMarks, Copy.begin());
    FLandMarks.swap(Copy);
    FNumLandMarks = Source.FNumLandMarks;
    FDefaultLM = Source.FDefaultLM;
    FLMClassVisible = Source.FLMClassVisible;
    FLMRandSampleLimit = Source.FLMRandSampleLimit;
    FHighLM = Source.FHighLM;
    FHighLMColFG = Source.FHighLMColFG;
    FHighLMColBG = Source.FHighLMColBG;
    FHighLMTrans = Source.FHighLMTrans;
}

void TLandMarkStore::RaiseInsufficientMemory() const {
    throw EZYLGeoMapError(ComponentMessage(FComponentName ? FComponentName() : std::string(), "insufficient memory"));
}

void TLandMarkStore::Repaint() {
    if (FOnRepaint) FOnRepaint();
}

TLandMarkStore::TVerdict TLandMarkStore::AskHandler(TLandMarkAction Action, const TLandMark& LandMark) {
    bool Allowed = true;
    if (FOnLMAction) {
        const std::weak_ptr<const bool> Life = FLife;
        const TLandMarkActionEvent Handler = FOnLMAction;  // outlives a handler that destroys the store
        const TLandMark Asked = LandMark;                  // LandMark may be an entry of the store
        Handler(FSender, Allowed, Action, Asked);
        if (Life.expired()) return TVerdict::Gone;
    }
    return Allowed ? TVerdict::Allowed : TVerdict::Refused;
}

void TLandMarkStore::EnsureCapacity(int Count) {
    const std::size_t Needed = CapacityFor(Count);
    if (Needed <= FLandMarks.size()) return;
    try {
        FLandMarks.resize(Needed);  // unchanged when it throws
    } catch (const std::bad_alloc&) {
        RaiseInsufficientMemory();
    } catch (const std::length_error&) {
        RaiseInsufficientMemory();
    }
}

void TLandMarkStore::ResetCapacity() {
    try {
        std::vector<TLandMark>(CapacityFor(0)).swap(FLandMarks);
    } catch (const std::bad_alloc&) {
        RaiseInsufficientMemory();
    }
}

int TLandMarkStore::TextsAltered() const {
    const auto used = FLandMarks.begin() + FNumLandMarks;
    return static_cast<int>(std::count_if(FLandMarks.begin(), used, [](const TLandMark& L) { return TextAltered(L); }));
}

void TLandMarkStore::Append(TLandMark LandMark) {
    // 181 east is 179 west: kept in the one form that every test of it expects.
    LandMark.Longitude = GivenLongitude(LandMark.Longitude);
    if (!IsGeoPosition(LandMark.Latitude, LandMark.Longitude)) return;
    if (AskHandler(lmaAdd, LandMark) != TVerdict::Allowed) return;
    // Grow before counting, so a failed growth leaves the list as it was.
    EnsureCapacity(FNumLandMarks + 1);
    FLandMarks[static_cast<std::size_t>(FNumLandMarks)] = LandMark;
    ++FNumLandMarks;
    Repaint();
}

void TLandMarkStore::AddLandMark(double Lat, double Long, double Altitude) {
    TLandMark LM = FDefaultLM;
    LM.Latitude = Lat;
    LM.Longitude = Long;
    LM.Altitude = Altitude;
    Append(LM);
}

void TLandMarkStore::AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier,
                                 TDateTime Time) {
    TLandMark LM = FDefaultLM;
    LM.Latitude = Lat;
    LM.Longitude = Long;
    LM.Altitude = Altitude;
    LM.Identifier = TLMIdentifier(Identifier);
    LM.Time = Time;
    Append(LM);
}

void TLandMarkStore::AddLandMark(double Lat, double Long, double Altitude, const std::string& CaptionText,
                                 int CaptionSize, TColor CaptionColor) {
    TLandMark LM = FDefaultLM;
    LM.Latitude = Lat;
    LM.Longitude = Long;
    LM.Altitude = Altitude;
    LM.Caption.Text = TLMText(CaptionText);
    LM.Caption.Size = CaptionSize;
    LM.Caption.FGColor = CaptionColor;
    Append(LM);
}

void TLandMarkStore::AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier,
                                 TDateTime Time, const std::string& CaptionText, int CaptionSize, TColor CaptionColor) {
    TLandMark LM = FDefaultLM;
    LM.Latitude = Lat;
    LM.Longitude = Long;
    LM.Altitude = Altitude;
    LM.Identifier = TLMIdentifier(Identifier);
    LM.Time = Time;
    LM.Caption.Text = TLMText(CaptionText);
    LM.Caption.Size = CaptionSize;
    LM.Caption.FGColor = CaptionColor;
    Append(LM);
}

void TLandMarkStore::AddLandMark(double Lat, double Long, double Altitude, TLandMarkElement Element,
                                 std::uint8_t ClassFlag, const std::string& Identifier, TDateTime Time, int Tag,
                                 TColor ColorFG, TColor ColorBG, int Size, bool Transparent, int Direction,
                                 int Length) {
    TLandMark LM = FDefaultLM;
    LM.Latitude = Lat;
    LM.Longitude = Long;
    LM.Altitude = Altitude;
    LM.ClassFlag = ClassFlag;
    LM.Identifier = TLMIdentifier(Identifier);
    LM.Time = Time;
    LM.Tag = Tag;
    LM.SymbolProps = TSymbolProperties{Element, Size, ColorFG, ColorBG, Transparent, Direction, Length};
    Append(LM);
}

int TLandMarkStore::FindLandMark(double Lat, double Long, int ClassFlag) const {
    ClassFlag = NormalizedClass(ClassFlag);
    double Best = 1e10;
    int Found = 0;
    for (int i = 1; i <= FNumLandMarks; ++i) {
        const TLandMark& LM = LandMark(i);
        if (!ClassMatches(LM, ClassFlag)) continue;
        const double D = SquaredDistance(LM, Lat, Long);
        if (D < Best) {
            Best = D;
            Found = i;
        }
    }
    return Found;
}

void TLandMarkStore::RemoveAt(int Index) {
    FLandMarks[static_cast<std::size_t>(Index - 1)] = FLandMarks[static_cast<std::size_t>(FNumLandMarks - 1)];
    --FNumLandMarks;
    if (FNumLandMarks == 0) ResetCapacity();
}

int TLandMarkStore::RemoveLandMark(double Lat, double Long, int ClassFlag) {
    if (FNumLandMarks == 0) return 0;
    FHighLM = 0;
    int Removed = 0;
    const int Index = FindLandMark(Lat, Long, ClassFlag);
    if (Index > 0) {
        const TVerdict Verdict = AskHandler(lmaRemove, LandMark(Index));
        if (Verdict == TVerdict::Gone) return 0;
        if (Verdict == TVerdict::Allowed) {
            RemoveAt(Index);
            Removed = Index;
        }
    }
    Repaint();
    return Removed;
}

std::optional<int> TLandMarkStore::RemoveMatching(const std::function<bool(const TLandMark&)>& Matches) {
    TBitFld Marked;
    Marked.SetSize(FNumLandMarks);
    Marked.Clear();
    int Count = 0;
    for (int i = 1; i <= FNumLandMarks; ++i) {
        const TLandMark& LM = LandMark(i);
        if (!Matches(LM)) continue;
        const TVerdict Verdict = AskHandler(lmaRemove, LM);
        if (Verdict == TVerdict::Gone) return std::nullopt;
        if (Verdict == TVerdict::Allowed) {
            Marked.SetBit(i, true);
            ++Count;
        }
    }
    if (Count == 0) return 0;
    if (Count == FNumLandMarks) {
        FNumLandMarks = 0;
        ResetCapacity();
        return Count;
    }
    // Fill the holes from the end: the highest kept landmark moves into the lowest hole.
    int HighestKept = FNumLandMarks;
    while (Marked.GetBit(HighestKept)) --HighestKept;
    for (int i = 1; i < HighestKept; ++i) {
        if (!Marked.GetBit(i)) continue;
        FLandMarks[static_cast<std::size_t>(i - 1)] = FLandMarks[static_cast<std::size_t>(HighestKept - 1)];
        Marked.SetBit(HighestKept, true);
        Marked.SetBit(i, false);
        while (Marked.GetBit(HighestKept)) --HighestKept;
    }
    FNumLandMarks = HighestKept;
    return Count;
}

int TLandMarkStore::RemoveLandMark(double Lat, double Long, int ClassFlag, double Radius) {
    const double Radius2 = Radius * Radius;
    return RemoveLandMarksWhere(ClassFlag,
                                [&](const TLandMark& LM) { return SquaredDistance(LM, Lat, Long) < Radius2; });
}

int TLandMarkStore::RemoveLandMarksWhere(int ClassFlag, const std::function<bool(const TLandMark&)>& Near) {
    if (FNumLandMarks == 0) return 0;
    FHighLM = 0;
    ClassFlag = NormalizedClass(ClassFlag);
    const std::optional<int> Removed =
        RemoveMatching([&](const TLandMark& LM) { return ClassMatches(LM, ClassFlag) && Near(LM); });
    if (!Removed) return 0;
    Repaint();
    return *Removed;
}

int TLandMarkStore::RemoveLandMark(const TRectDouble& Rect, int ClassFlag) {
    if (FNumLandMarks == 0) return 0;
    FHighLM = 0;
    ClassFlag = NormalizedClass(ClassFlag);
    const std::optional<int> Removed = RemoveMatching([&](const TLandMark& LM) {
        return ClassMatches(LM, ClassFlag) && Rect.Left < LM.Longitude && LM.Longitude < Rect.Right &&
               Rect.Bottom < LM.Latitude && LM.Latitude < Rect.Top;
    });
    if (!Removed) return 0;
    Repaint();
    return *Removed;
}

int TLandMarkStore::RemoveLandMark(int LmIndex) {
    if (FNumLandMarks == 0) return 0;
    FHighLM = 0;
    int Removed = 0;
    if (LmIndex >= 1 && LmIndex <= FNumLandMarks) {
        const TVerdict Verdict = AskHandler(lmaRemove, LandMark(LmIndex));
        if (Verdict == TVerdict::Gone) return 0;
        if (Verdict == TVerdict::Allowed) {
            RemoveAt(LmIndex);
            Removed = LmIndex;
        }
    }
    Repaint();
    return Removed;
}

void TLandMarkStore::RemoveLastLandMark() { RemoveLandMark(FNumLandMarks); }

void TLandMarkStore::RemoveAllLandMarks(std::uint8_t ClassFlag) {
    if (FNumLandMarks == 0) return;
    FHighLM = 0;
    if (!RemoveMatching([ClassFlag](const TLandMark& LM) { return LM.ClassFlag == ClassFlag; })) return;
    Repaint();
}

void TLandMarkStore::RemoveAllLandMarks() {
    FNumLandMarks = 0;
    ResetCapacity();
    Repaint();
}

TLandMark TLandMarkStore::GetLandMarkData(int Index) const {
    if (Index < 1 || Index > FNumLandMarks) return {};
    return LandMark(Index);
}

void TLandMarkStore::SetLandMarkData(int Index, TLandMark LandMark) {
    LandMark.Longitude = GivenLongitude(LandMark.Longitude);
    if (Index < 1 || Index > FNumLandMarks || !IsGeoPosition(LandMark.Latitude, LandMark.Longitude)) return;
    TLandMark& stored = FLandMarks[static_cast<std::size_t>(Index - 1)];
    if (stored == LandMark) return;
    stored = LandMark;
    Repaint();
}

void TLandMarkStore::SetClassVisibility(std::uint8_t Class, bool Value) {
    FLMClassVisible[Class] = Value;
    Repaint();
}

void TLandMarkStore::SetHighLM(int Index) {
    if (Index < 0 || Index > FNumLandMarks) Index = 0;
    if (Index == FHighLM) return;
    FHighLM = Index;
    Repaint();
}

void TLandMarkStore::SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent) {
    FHighLMColFG = ColorFG;
    FHighLMColBG = ColorBG;
    FHighLMTrans = Transparent;
    Repaint();
}

void TLandMarkStore::SetRandSampleLimit(int Value) {
    if (Value <= 1000 || Value == FLMRandSampleLimit) return;
    FLMRandSampleLimit = Value;
    Repaint();
}

}  // namespace zylcarto
