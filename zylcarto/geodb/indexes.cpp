#include "zylcarto/geodb/indexes.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace zylcarto {
namespace {

// Blocks split when they outgrow kMaxBlock; a block below kMinBlock joins a
// neighbour that leaves room, so there are never more than about
// 2 n / (kMaxBlock - kMinBlock) + 1 of them.
constexpr int kMaxBlock = 512;
constexpr int kMinBlock = 128;

bool Greater(std::int32_t k, std::int32_t key) { return k > key; }
bool Greater(double k, double key) { return std::isnan(k) || std::isnan(key) || k > key; }

double KeyOf(const TIxLLRec& e) { return e.LLValue; }
std::int32_t KeyOf(const TIxItemIDRec& e) { return e.ItemID; }

bool IsNaN(std::int32_t) { return false; }
bool IsNaN(double k) { return std::isnan(k); }

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

template <typename T>
T& Elem(std::vector<T>& v, int i) {
    return v[static_cast<std::size_t>(i)];
}
template <typename T>
const T& Elem(const std::vector<T>& v, int i) {
    return v[static_cast<std::size_t>(i)];
}

}  // namespace

float CoordinateKey(const TgdbData& Rec, int IxNumber) {
    switch (IxNumber) {
    case 1: return Rec.LatLow;
    case 2: return Rec.LatHigh;
    case 3: return Rec.LongLow;
    default: return Rec.LongHigh;
    }
}

template <typename Entry>
void TSortedIndex<Entry>::EnsureStarts() const {
    const int n = static_cast<int>(FOrder.size());
    for (int o = std::max(FStartsValid, 0); o < n; ++o)
        Elem(FStart, o) =
            o == 0 ? 0 : Elem(FStart, o - 1) + static_cast<int>(Elem(FBlocks, Elem(FOrder, o - 1)).size());
    FStartsValid = n;
}

template <typename Entry>
typename TSortedIndex<Entry>::TPlace TSortedIndex<Entry>::Locate(int Position) const {
    EnsureStarts();
    const auto it = std::upper_bound(FStart.begin(), FStart.end(), Position);
    const int order = static_cast<int>(it - FStart.begin()) - 1;
    return {order, Position - Elem(FStart, order)};
}

template <typename Entry>
Entry TSortedIndex<Entry>::At(int Position) const {
    const TPlace p = Locate(Position);
    return Elem(FBlocks, Elem(FOrder, p.Order))[static_cast<std::size_t>(p.Offset)];
}

template <typename Entry>
void TSortedIndex<Entry>::Clear() {
    FBlocks.clear();
    FFreeIds.clear();
    FOrder.clear();
    FStart.clear();
    FLast.clear();
    FOrderOf.clear();
    FBlockOf.clear();
    FStartsValid = 0;
    FSize = 0;
    FFirstChanged = 0;
    FOrdered = true;
}

template <typename Entry>
void TSortedIndex<Entry>::SetBlockOf(std::int32_t RecordNo, int Id) {
    if (RecordNo < 0) return;
    if (static_cast<std::size_t>(RecordNo) >= FBlockOf.size())
        FBlockOf.resize(static_cast<std::size_t>(RecordNo) + 1, -1);
    Elem(FBlockOf, RecordNo) = Id;
}

template <typename Entry>
void TSortedIndex<Entry>::Assign(const std::vector<Entry>& Entries) {
    Clear();
    for (std::size_t from = 0; from < Entries.size(); from += kMaxBlock / 2) {
        const int id = NewBlock();
        auto& b = Elem(FBlocks, id);
        const std::size_t to = std::min(Entries.size(), from + kMaxBlock / 2);
        b.assign(Entries.begin() + static_cast<std::ptrdiff_t>(from),
                 Entries.begin() + static_cast<std::ptrdiff_t>(to));
        InsertBlock(static_cast<int>(FOrder.size()), id);
        RefreshLast(static_cast<int>(FOrder.size()) - 1);
        for (const Entry& e : b)
            // the first of two entries of one record is the one found, as in a flat array
            if (e.index < 0 || static_cast<std::size_t>(e.index) >= FBlockOf.size() || Elem(FBlockOf, e.index) < 0)
                SetBlockOf(e.index, id);
    }
    for (std::size_t i = 0; i < Entries.size() && FOrdered; ++i) {
        const auto k = static_cast<TKey>(KeyOf(Entries[i]));
        FOrdered = !IsNaN(k) && (i == 0 || !(k < static_cast<TKey>(KeyOf(Entries[i - 1]))));
    }
    FSize = static_cast<int>(Entries.size());
    FFirstChanged = FSize;
    EnsureStarts();
}

template <typename Entry>
int TSortedIndex<Entry>::NewBlock() {
    if (!FFreeIds.empty()) {
        const int id = FFreeIds.back();
        FFreeIds.pop_back();
        return id;
    }
    FBlocks.emplace_back();
    FOrderOf.push_back(-1);
    return static_cast<int>(FBlocks.size()) - 1;
}

// Puts block Id, empty, at place Order: it starts where the block now there starts.
template <typename Entry>
void TSortedIndex<Entry>::InsertBlock(int Order, int Id) {
    const bool known = Order < FStartsValid;
    FOrder.insert(FOrder.begin() + Order, Id);
    FStart.insert(FStart.begin() + Order, known ? Elem(FStart, Order) : 0);
    if (known) ++FStartsValid;
    FLast.insert(FLast.begin() + Order, TKey{});
    for (int o = Order; o < static_cast<int>(FOrder.size()); ++o) Elem(FOrderOf, Elem(FOrder, o)) = o;
}

template <typename Entry>
void TSortedIndex<Entry>::RefreshLast(int Order) {
    const auto& b = Elem(FBlocks, Elem(FOrder, Order));
    if (!b.empty()) Elem(FLast, Order) = static_cast<TKey>(KeyOf(b.back()));
}

template <typename Entry>
void TSortedIndex<Entry>::EraseBlock(int Order) {
    const int id = Elem(FOrder, Order);
    Elem(FBlocks, id).clear();
    Elem(FBlocks, id).shrink_to_fit();
    Elem(FOrderOf, id) = -1;
    FFreeIds.push_back(id);
    FOrder.erase(FOrder.begin() + Order);
    FStart.erase(FStart.begin() + Order);
    if (Order < FStartsValid) --FStartsValid;
    FLast.erase(FLast.begin() + Order);
    for (int o = Order; o < static_cast<int>(FOrder.size()); ++o) Elem(FOrderOf, Elem(FOrder, o)) = o;
}

// The block and offset of the first entry whose key is not below k, found block by
// block without positions (the order is the number of blocks above every key);
// meaningful only while every key is a number (the blocks are then in key order).
template <typename Entry>
typename TSortedIndex<Entry>::TPlace TSortedIndex<Entry>::LowerPlace(TKey k) const {
    const auto below = [k](const Entry& e) { return static_cast<TKey>(KeyOf(e)) < k; };
    const auto order = static_cast<int>(
        std::partition_point(FLast.begin(), FLast.end(), [k](TKey last) { return last < k; }) - FLast.begin());
    if (order == static_cast<int>(FOrder.size())) return {order, 0};
    const auto& b = BlockAt(order);
    return {order, static_cast<int>(std::partition_point(b.begin(), b.end(), below) - b.begin())};
}

// The flat array's binary search over positions 0..Size()-1: where it stops and
// whether the key is greater than the one there. The index must not be empty.
template <typename Entry>
int TSortedIndex<Entry>::StopPosition(TKey k, bool& greater) const {
    // Without equal keys or keys that are not numbers, every path of the search ends
    // at the first greater key: the block by block search finds it without walking
    // the flat positions. Otherwise which equal key it meets depends on the path.
    EnsureStarts();
    if (FOrdered && !IsNaN(k)) {
        const TPlace first = LowerPlace(k);
        if (first.Order == static_cast<int>(FOrder.size())) {
            greater = false;
            return FSize;
        }
        if (static_cast<TKey>(KeyOf(BlockAt(first.Order)[static_cast<std::size_t>(first.Offset)])) != k) {
            greater = false;
            return Elem(FStart, first.Order) + first.Offset;
        }
    }
    int lo = 0, hi = FSize - 1, c = 0;
    // the blocks that hold lo and hi (or lie outside them): each probe looks for
    // its block only between them
    int oLo = 0, oHi = static_cast<int>(FOrder.size()) - 1, o = 0;
    bool found = false;
    const auto keyAt = [&](int position) {
        const auto first = FStart.begin() + oLo + 1, last = FStart.begin() + oHi + 1;
        o = static_cast<int>(std::upper_bound(first, last, position) - FStart.begin()) - 1;
        return static_cast<TKey>(
            KeyOf(Elem(FBlocks, Elem(FOrder, o))[static_cast<std::size_t>(position - Elem(FStart, o))]));
    };
    TKey key{};
    while (hi >= lo && !found) {
        c = (lo + hi) / 2;
        key = keyAt(c);
        if (Greater(k, key)) {
            lo = c + 1;
            oLo = o;
        } else if (k != key) {
            hi = c - 1;
            oHi = o;
        } else {
            found = true;
        }
    }
    greater = Greater(k, key);
    return c;
}

template <typename Entry>
void TSortedIndex<Entry>::Prefetch(TKey k) const {
    if (!FOrdered || IsNaN(k)) return;
    const auto order = static_cast<std::size_t>(
        std::partition_point(FLast.begin(), FLast.end(), [k](TKey last) { return last < k; }) - FLast.begin());
    if (order >= FOrder.size()) return;
    // the probes of the first four halvings of the block's binary search
    const auto& b = BlockAt(static_cast<int>(order));
    for (std::size_t parts = 2; parts <= 16; parts *= 2)
        for (std::size_t i = 1; i < parts; i += 2) __builtin_prefetch(b.data() + b.size() * i / parts);
}

template <typename Entry>
void TSortedIndex<Entry>::Insert(const Entry& E) {
    const auto k = static_cast<TKey>(KeyOf(E));
    if (FOrder.empty()) InsertBlock(0, NewBlock());
    const int blocks = static_cast<int>(FOrder.size());
    // where the key goes, and its position when the blocks' starts are known here
    TPlace place{-1, 0};
    int p = -1;
    if (FSize == 0) {
        place = {0, 0};
        p = 0;
    } else if (FOrdered && !IsNaN(k)) {
        // without an equal key every path of the flat search ends at the first greater
        // one, which the blocks give without positions (see StopPosition)
        const TPlace first = LowerPlace(k);
        if (first.Order == blocks)
            place = {blocks - 1, static_cast<int>(BlockAt(blocks - 1).size())};
        else if (static_cast<TKey>(KeyOf(BlockAt(first.Order)[static_cast<std::size_t>(first.Offset)])) != k)
            place = first;
        if (place.Order >= 0 && place.Order < FStartsValid) p = Elem(FStart, place.Order) + place.Offset;
    }
    if (place.Order < 0) {
        bool greater = false;
        p = StopPosition(k, greater) + (greater ? 1 : 0);
        // a position at the very end goes into the last block
        place = p == FSize ? TPlace{blocks - 1, p - FStart.back()} : Locate(p);
    }
    const int id = Elem(FOrder, place.Order);
    auto& b = Elem(FBlocks, id);
    b.insert(b.begin() + place.Offset, E);
    SetBlockOf(E.index, id);
    RefreshLast(place.Order);
    // the flat search puts a key that is not a number anywhere, and the order goes with it
    FOrdered = FOrdered && !IsNaN(k);
    FStartsValid = std::min(FStartsValid, place.Order + 1);
    ++FSize;
    // A position not known lies in a block behind FStartsValid, which starts behind
    // every position changed since the starts were last right: nothing to lower.
    if (p >= 0) FFirstChanged = std::min(FFirstChanged, p);
    if (static_cast<int>(b.size()) > kMaxBlock) {
        const int half = static_cast<int>(b.size()) / 2;
        const int right = NewBlock();
        auto& left = Elem(FBlocks, id);  // NewBlock may have moved the blocks
        auto& moved = Elem(FBlocks, right);
        moved.assign(left.begin() + half, left.end());
        left.resize(static_cast<std::size_t>(half));
        for (const Entry& e : moved) SetBlockOf(e.index, right);
        InsertBlock(place.Order + 1, right);
        // the entries moved to the new block now start there
        if (place.Order < FStartsValid) FFirstChanged = std::min(FFirstChanged, Elem(FStart, place.Order) + half);
        RefreshLast(place.Order);
        RefreshLast(place.Order + 1);
    }
}

template <typename Entry>
void TSortedIndex<Entry>::MergeIfSmall(int Order) {
    const int id = Elem(FOrder, Order);
    const auto small = static_cast<int>(Elem(FBlocks, id).size());
    if (small >= kMinBlock || FOrder.size() < 2) return;
    // join the pair (left, right) that holds this block, when it fits in one
    const int leftOrder = Order + 1 < static_cast<int>(FOrder.size()) ? Order : Order - 1;
    auto& left = Elem(FBlocks, Elem(FOrder, leftOrder));
    auto& right = Elem(FBlocks, Elem(FOrder, leftOrder + 1));
    if (left.size() + right.size() > static_cast<std::size_t>(kMaxBlock)) return;
    const int leftId = Elem(FOrder, leftOrder);
    for (const Entry& e : right) SetBlockOf(e.index, leftId);
    left.insert(left.end(), right.begin(), right.end());
    EraseBlock(leftOrder + 1);
    RefreshLast(leftOrder);
}

template <typename Entry>
bool TSortedIndex<Entry>::Remove(std::int32_t RecordNo) {
    if (RecordNo < 0 || static_cast<std::size_t>(RecordNo) >= FBlockOf.size() || Elem(FBlockOf, RecordNo) < 0)
        return false;
    EnsureStarts();
    const int id = Elem(FBlockOf, RecordNo);
    const int order = Elem(FOrderOf, id);
    auto& b = Elem(FBlocks, id);
    const auto it = std::find_if(b.begin(), b.end(), [&](const Entry& e) { return e.index == RecordNo; });
    FFirstChanged = std::min(FFirstChanged, Elem(FStart, order) + static_cast<int>(it - b.begin()));
    b.erase(it);
    Elem(FBlockOf, RecordNo) = -1;
    while (!FBlockOf.empty() && FBlockOf.back() < 0) FBlockOf.pop_back();
    for (int o = order + 1; o < static_cast<int>(FStart.size()); ++o) --Elem(FStart, o);
    --FSize;
    if (b.empty()) {
        EraseBlock(order);
    } else {
        RefreshLast(order);
        MergeIfSmall(order);
    }
    return true;
}

template <typename Entry>
void TSortedIndex<Entry>::Renumber(std::int32_t From, std::int32_t To) {
    if (From < 0 || static_cast<std::size_t>(From) >= FBlockOf.size() || Elem(FBlockOf, From) < 0) return;
    EnsureStarts();
    const int id = Elem(FBlockOf, From);
    auto& b = Elem(FBlocks, id);
    const auto it = std::find_if(b.begin(), b.end(), [&](const Entry& e) { return e.index == From; });
    it->index = To;
    FFirstChanged = std::min(FFirstChanged, Elem(FStart, Elem(FOrderOf, id)) + static_cast<int>(it - b.begin()));
    Elem(FBlockOf, From) = -1;
    SetBlockOf(To, id);
    while (!FBlockOf.empty() && FBlockOf.back() < 0) FBlockOf.pop_back();
}

template <typename Entry>
int TSortedIndex<Entry>::ClosestPosition(TKey Value) const {
    if (FSize == 0) return 1;
    bool greater = false;
    const int c = StopPosition(Value, greater);
    return greater ? c + 2 : c + 1;
}

template <typename Entry>
int TSortedIndex<Entry>::Find(TKey Value) const {
    if (FSize == 0) return 0;
    bool greater = false;
    const int c = StopPosition(Value, greater) + (greater ? 1 : 0);
    if (c >= FSize) return 0;
    const Entry e = At(c);
    return static_cast<TKey>(KeyOf(e)) == Value ? e.index + 1 : 0;
}

template <typename Entry>
void TSortedIndex<Entry>::ForEachRun(int From, const std::function<void(const Entry*, std::size_t)>& Visit) const {
    if (From >= FSize) return;
    const TPlace p = Locate(std::max(From, 0));
    for (int o = p.Order, off = p.Offset; o < static_cast<int>(FOrder.size()); ++o, off = 0) {
        const auto& b = Elem(FBlocks, Elem(FOrder, o));
        Visit(b.data() + off, b.size() - static_cast<std::size_t>(off));
    }
}

template <typename Entry>
std::size_t TSortedIndex<Entry>::MemoryBytes() const {
    std::size_t bytes =
        sizeof(*this) + FBlocks.capacity() * sizeof(std::vector<Entry>) + FLast.capacity() * sizeof(TKey);
    for (const auto& b : FBlocks) bytes += b.capacity() * sizeof(Entry);
    return bytes +
           (FFreeIds.capacity() + FOrder.capacity() + FStart.capacity() + FOrderOf.capacity() + FBlockOf.capacity()) *
               sizeof(int);
}

template class TSortedIndex<TIxItemIDRec>;
template class TSortedIndex<TIxLLRec>;

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

}  // namespace zylcarto
