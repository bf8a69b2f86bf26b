#pragma once
// The five sorted indexes of a database: inserting by binary search with the
// database's tie rule, removing, the closest-position searches, and checking an
// index read from disk against the item records it claims to cover.
#include <cstdint>
#include <vector>

#include "zylcarto/geodb/records.h"

namespace zylcarto {

// Index numbers 1..4: the bounding-box edge that is the key of that index.
float CoordinateKey(const TgdbData& Rec, int IxNumber);

// Inserts (key, RecordNo) at the position the binary search stops at: in front
// of an equal key where the search met one, behind a smaller one otherwise.
// A key that is not a number counts as greater than any key it is compared with.
void InsertIxEntry(TIxItemIDRecArray& Ix, std::int32_t ItemID, std::int32_t RecordNo);
void InsertIxEntry(TIxLLRecArray& Ix, float Key, std::int32_t RecordNo);

// Removes the first entry that refers to RecordNo; false when there is none.
bool RemoveIxEntry(TIxItemIDRecArray& Ix, std::int32_t RecordNo);
bool RemoveIxEntry(TIxLLRecArray& Ix, std::int32_t RecordNo);

// Gives the first entry that refers to From the record number To.
void RenumberIxEntry(TIxItemIDRecArray& Ix, std::int32_t From, std::int32_t To);
void RenumberIxEntry(TIxLLRecArray& Ix, std::int32_t From, std::int32_t To);

// 1-based position of the first key not below Value (or of the equal key the
// search stopped at); length + 1 above every key, 1 for an empty index.
int ClosestPosition(const TIxLLRecArray& Ix, double Value);
int ClosestPosition(const TIxItemIDRecArray& Ix, std::int32_t ItemID);
// Entry number (record number + 1) of the item with ItemID, 0 when absent.
int FindItemID(const TIxItemIDRecArray& Ix, std::int32_t ItemID);

// True when Ix is a sound index over the first N records: N entries, every
// record number once, each key equal to its record's field, keys in order.
bool IsSoundIndex(const TIxItemIDRecArray& Ix, const std::vector<TgdbData>& Records, int N);
bool IsSoundIndex(const TIxLLRecArray& Ix, int IxNumber, const std::vector<TgdbData>& Records, int N);

} // namespace zylcarto
