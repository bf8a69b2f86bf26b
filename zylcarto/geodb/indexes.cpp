#include "zylcarto/geodb/indexes.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace zylcarto {
namespace {

bool Greater(std::int32_t k, std::int32_t key) { return k > key; }
bool Greater(double k, double key) { return std::isnan(k) || std::isnan(key) || k > key; }

double KeyOf(const TIxLLRec& e) { return e.LLValue; }
std::int32_t KeyOf(const TIxItemIDRec& e) { return e.ItemID; }

// The binary search shared by inserting and the closest-position searches: the
// position c where it stops and whether the key is greater than the one at c.
// Ix must not be empty.
template <typename Array, typename Key>
int StopPosition(const Array& Ix, Key k, bool& greater) {
    int lo = 0, hi = static_cast<int>(Ix.size()) - 1, c = 0;
    bool found = false;
    while (hi >= lo && !found) {
        c = (lo + hi) / 2;
        const auto key = KeyOf(Ix[static_cast<std::size_t>(c)]);
        if (Greater(k, key)) lo = c + 1;
        else if (k != key) hi = c - 1;
        else found = true;
    }
    greater = Greater(k, KeyOf(Ix[static_cast<std::size_t>(c)]));
    return c;
}

template <typename Array, typename Key>
void Insert(Array& Ix, Key k, typename Array::value_type entry) {
    std::size_t p = 0;
    if (!Ix.empty()) {
        bool greater = false;
        p = static_cast<std::size_t>(StopPosition(Ix, k, greater)) + (greater ? 1 : 0);
    }
    Ix.insert(Ix.begin() + static_cast<std::ptrdiff_t>(p), entry);
}

template <typename Array>
bool Remove(Array& Ix, std::int32_t RecordNo) {
    const auto it = std::find_if(Ix.begin(), Ix.end(), [&](const auto& e) { return e.index == RecordNo; });
    if (it == Ix.end()) return false;
    Ix.erase(it);
    return true;
}

template <typename Array>
void Renumber(Array& Ix, std::int32_t From, std::int32_t To) {
    const auto it = std::find_if(Ix.begin(), Ix.end(), [&](const auto& e) { return e.index == From; });
    if (it != Ix.end()) it->index = To;
}

template <typename Array>
bool EachRecordOnce(const Array& Ix, int N) {
    if (static_cast<int>(Ix.size()) != N) return false;
    std::vector<bool> seen(static_cast<std::size_t>(N), false);
    for (const auto& e : Ix) {
        if (e.index < 0 || e.index >= N || seen[static_cast<std::size_t>(e.index)]) return false;
        seen[static_cast<std::size_t>(e.index)] = true;
    }
    return true;
}

} // namespace

float CoordinateKey(const TgdbData& Rec, int IxNumber) {
    switch (IxNumber) {
    case 1: return Rec.LatLow;
    case 2: return Rec.LatHigh;
    case 3: return Rec.LongLow;
    default: return Rec.LongHigh;
    }
}

void InsertIxEntry(TIxItemIDRecArray& Ix, std::int32_t ItemID, std::int32_t RecordNo) {
    Insert(Ix, ItemID, TIxItemIDRec{ItemID, RecordNo});
}
void InsertIxEntry(TIxLLRecArray& Ix, float Key, std::int32_t RecordNo) {
    Insert(Ix, static_cast<double>(Key), TIxLLRec{Key, RecordNo});
}

bool RemoveIxEntry(TIxItemIDRecArray& Ix, std::int32_t RecordNo) { return Remove(Ix, RecordNo); }
bool RemoveIxEntry(TIxLLRecArray& Ix, std::int32_t RecordNo) { return Remove(Ix, RecordNo); }

void RenumberIxEntry(TIxItemIDRecArray& Ix, std::int32_t From, std::int32_t To) { Renumber(Ix, From, To); }
void RenumberIxEntry(TIxLLRecArray& Ix, std::int32_t From, std::int32_t To) { Renumber(Ix, From, To); }

int ClosestPosition(const TIxLLRecArray& Ix, double Value) {
    if (Ix.empty()) return 1;
    bool greater = false;
    const int c = StopPosition(Ix, Value, greater);
    return greater ? c + 2 : c + 1;
}

int ClosestPosition(const TIxItemIDRecArray& Ix, std::int32_t ItemID) {
    if (Ix.empty()) return 1;
    bool greater = false;
    const int c = StopPosition(Ix, ItemID, greater);
    return greater ? c + 2 : c + 1;
}

int FindItemID(const TIxItemIDRecArray& Ix, std::int32_t ItemID) {
    if (Ix.empty()) return 0;
    bool greater = false;
    const auto c = static_cast<std::size_t>(StopPosition(Ix, ItemID, greater)) + (greater ? 1 : 0);
    return c < Ix.size() && Ix[c].ItemID == ItemID ? Ix[c].index + 1 : 0;
}

bool IsSoundIndex(const TIxItemIDRecArray& Ix, const std::vector<TgdbData>& Records, int N) {
    if (!EachRecordOnce(Ix, N)) return false;
    for (std::size_t i = 0; i < Ix.size(); ++i) {
        if (Ix[i].ItemID != Records[static_cast<std::size_t>(Ix[i].index)].ItemId) return false;
        if (i > 0 && Ix[i - 1].ItemID >= Ix[i].ItemID) return false;
    }
    return true;
}

bool IsSoundIndex(const TIxLLRecArray& Ix, int IxNumber, const std::vector<TgdbData>& Records, int N) {
    if (!EachRecordOnce(Ix, N)) return false;
    bool anyNaN = false;
    for (const auto& e : Ix) {
        const float key = CoordinateKey(Records[static_cast<std::size_t>(e.index)], IxNumber);
        // bit for bit, so that a stored NaN matches itself
        if (std::bit_cast<std::uint32_t>(key) != std::bit_cast<std::uint32_t>(e.LLValue)) return false;
        anyNaN = anyNaN || std::isnan(key);
    }
    // with keys that are not numbers the insertion order is all there is to go by
    if (anyNaN) return true;
    for (std::size_t i = 1; i < Ix.size(); ++i)
        if (Ix[i - 1].LLValue > Ix[i].LLValue) return false;
    return true;
}

} // namespace zylcarto
