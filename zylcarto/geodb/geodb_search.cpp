// TGeoDB: the index properties and the searches over indexes and names.
#include <algorithm>

#include "zylcarto/geodb/geodb_p.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/storage.h"

namespace zylcarto {
namespace {

// Windows-1252 upper case: ASCII, the accented letters of Latin-1 and š, œ, ž, ÿ.
unsigned char UpperAnsi(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

std::string_view TrimTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool SameName(const TgdbName& a, const TgdbName& b) {
    const std::string_view x = TrimTrailingBlanks(a.Ansi()), y = TrimTrailingBlanks(b.Ansi());
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
               return UpperAnsi(static_cast<unsigned char>(p)) == UpperAnsi(static_cast<unsigned char>(q));
           });
}

}  // namespace

TIxItemIDRec TGeoDBPrivate::IxItemID(int ix) const {
    if (FIx0ItemId.Empty()) return {};
    TIxItemIDRec e = FIx0ItemId.At(std::clamp(ix, 1, FIx0ItemId.Size()) - 1);
    ++e.index;
    return e;
}

TIxLLRec TGeoDBPrivate::LLEntry(int IxNumber, int ix) const {
    const TCoordIndex& a = LLIndex(IxNumber);
    if (a.Empty()) return {};
    TIxLLRec e = a.At(std::clamp(ix, 1, a.Size()) - 1);
    ++e.index;
    return e;
}

int TGeoDBPrivate::SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt,
                              std::uint8_t ClassNumber) const {
    for (int e = std::max(StartSearchAt, 1); e <= FNumSumItems; ++e) {
        const TgdbData& rec = FSumData[static_cast<std::size_t>(e - 1)];
        if (ItemType != gitUndefined && rec.ItemKind != ItemType) continue;
        if (ClassNumber != 255 && rec.ClassFlag != ClassNumber) continue;
        if (SameName(rec.Name, Name)) return e;
    }
    return 0;
}

}  // namespace zylcarto
