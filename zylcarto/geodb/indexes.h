#pragma once
// The five sorted indexes of a database: inserting by binary search with the
// database's tie rule, removing, the closest-position searches, and checking an
// index read from disk against the item records it claims to cover. Internal:
// the database's private class holds them; plain values, one thread at a time.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "zylcarto/geodb/records.h"

namespace zylcarto {

/// The key of Rec in coordinate index IxNumber: 1 LatLow, 2 LatHigh, 3 LongLow, any
/// other LongHigh (degrees).
float CoordinateKey(const TgdbData& Rec, int IxNumber);

/// One index as a sequence of positions 0..Size()-1, held in blocks of 128 to 512
/// entries so that inserting and removing move one block, not the whole array.
/// Positions, tie rule and searches are those of one flat sorted array.
/// Entry is TIxItemIDRec (integer keys) or TIxLLRec (Single keys compared as
/// numbers; a key that is not a number counts as greater than any other). Each
/// record number has at most one entry; the index owns its entries.
template <typename Entry>
class TSortedIndex {
public:
    /// The key type searched with: double for coordinates, int32 for item identifiers.
    using TKey = std::conditional_t<std::is_same_v<Entry, TIxLLRec>, double, std::int32_t>;

    /// Number of entries.
    int Size() const { return FSize; }
    /// True with no entry.
    bool Empty() const { return FSize == 0; }
    /// The entry at Position; 0 <= Position < Size() is the caller's to ensure
    /// (outside it the behaviour is undefined).
    Entry At(int Position) const;

    /// Replaces the contents by Entries, taken in their order as read from a file that
    /// holds exactly them; counts as written (FirstChanged() == Size()).
    void Assign(const std::vector<Entry>& Entries);
    /// Removes every entry; also forgets what was written (FirstChanged() is 0).
    void Clear();

    /// Inserts at the position the binary search stops at: in front of an equal
    /// key where the search met one, behind a smaller one otherwise.
    void Insert(const Entry& E);
    /// Starts loading the memory that an Insert of key Value will search first, so that
    /// the insertions of one record into several indexes wait for memory together
    /// rather than one after the other. Changes nothing.
    void Prefetch(TKey Value) const;
    /// Removes the entry of record RecordNo (from 0); false, nothing changed, when
    /// there is none.
    bool Remove(std::int32_t RecordNo);
    /// Gives the entry of record From the record number To, which must have none; does
    /// nothing when From has no entry. The key and position stay.
    void Renumber(std::int32_t From, std::int32_t To);

    /// 1-based position of the first key not below Value (or of the equal key the
    /// search stopped at); Size() + 1 above every key, 1 for an empty index.
    int ClosestPosition(TKey Value) const;
    /// Entry number (record number + 1) of the entry with this key, 0 when absent.
    int Find(TKey Value) const;

    /// Positions from here on may differ from the file last written; Size() when
    /// nothing changed since MarkWritten.
    int FirstChanged() const { return FFirstChanged; }
    /// Records that the file now holds every entry.
    void MarkWritten() {
        EnsureStarts();  // a later insertion's position must be known to lower FirstChanged
        FFirstChanged = FSize;
    }
    /// Calls Visit(entries, count) for the runs that hold positions From..Size()-1, in
    /// order; nothing when From >= Size(), a negative From counts as 0.
    void ForEachRun(int From, const std::function<void(const Entry*, std::size_t)>& Visit) const;
    /// Bytes the index holds in memory, capacity included.
    std::size_t MemoryBytes() const;

private:
    struct TPlace {
        int Order;   // index into FOrder
        int Offset;  // within the block
    };
    TPlace Locate(int Position) const;
    int StopPosition(TKey k, bool& Greater) const;
    TPlace LowerPlace(TKey k) const;
    const std::vector<Entry>& BlockAt(int Order) const {
        return FBlocks[static_cast<std::size_t>(FOrder[static_cast<std::size_t>(Order)])];
    }
    void EnsureStarts() const;
    int NewBlock();
    void InsertBlock(int Order, int Id);
    void EraseBlock(int Order);
    void SetBlockOf(std::int32_t RecordNo, int Id);
    void MergeIfSmall(int Order);
    void RefreshLast(int Order);

    std::vector<std::vector<Entry>> FBlocks;  // by block id
    std::vector<int> FFreeIds;
    std::vector<int> FOrder;  // block ids in sequence order
    // First position of each block in sequence order, right for the blocks before
    // FStartsValid: an insertion only marks those behind its block stale, so that a
    // run of adds does not renumber every block each time (EnsureStarts catches up).
    mutable std::vector<int> FStart;
    mutable int FStartsValid = 0;
    std::vector<TKey> FLast;    // last key of each block in sequence order
    std::vector<int> FOrderOf;  // by block id: its place in FOrder
    std::vector<int> FBlockOf;  // by record number: the block holding its entry, -1 none
    int FSize = 0;
    int FFirstChanged = 0;
    // every key a number and none below the one before: the blocks are in key order
    bool FOrdered = true;
};

extern template class TSortedIndex<TIxItemIDRec>;
extern template class TSortedIndex<TIxLLRec>;

/// The index on item identifiers.
using TItemIDIndex = TSortedIndex<TIxItemIDRec>;
/// An index on one bounding-box edge.
using TCoordIndex = TSortedIndex<TIxLLRec>;

/// True when Ix, as read from disk, is a sound index over the first N records (Records
/// holds at least N): N entries, every record number once, each key equal to its
/// record's identifier, keys strictly increasing.
bool IsSoundIndex(const TIxItemIDRecArray& Ix, const std::vector<TgdbData>& Records, int N);
/// The same for coordinate index IxNumber (as CoordinateKey): keys equal bit for bit,
/// in order unless a key is not a number, where the stored order is all there is.
bool IsSoundIndex(const TIxLLRecArray& Ix, int IxNumber, const std::vector<TgdbData>& Records, int N);

}  // namespace zylcarto
