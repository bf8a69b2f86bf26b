#include "zylcarto/geodb/records.h"

#include "zylcarto/support/numeric.h"

namespace zylcarto {

TgdbName BlankPaddedName(const TgdbName& Name) {
    TgdbName out = Name;
    for (std::size_t i = out.Len; i < TgdbName::Capacity; ++i) out.Chars[i] = ' ';
    return out;
}

void ClearGdbData(TgdbData& Data) {
    Data.ItemId = 0;
    Data.Name = BlankPaddedName(TgdbName());
    Data.Altitude = 0;
    Data.ClassFlag = 0;
    Data.Tag = 0;
    Data.BlobOffset = -1;
    Data.Date = Now();
    Data.StateFlag = 0;
    Data.LatLow = Data.LatHigh = Data.LongLow = Data.LongHigh = 0;
    Data.ItemKind = gitUndefined;
    Data.Closed = false;
}

void ClearMetaInfo(TMetaInfo& MetaInfo) {
    MetaInfo.Keywords.Len = 0;
    MetaInfo.Caption.Len = 0;
    MetaInfo.FilePath.Len = 0;
    MetaInfo.Descriptor.Len = 0;
    MetaInfo.Comment.Len = 0;
}

TSCoords ExtractLocation(const TgdbData& Data) { return {Data.LatLow, Data.LongLow}; }

std::string_view GdbItemName(TgdbItem Kind) {
    const auto k = static_cast<std::size_t>(Kind);
    return k < GDB_ITEMNAMES.size() ? GDB_ITEMNAMES[k] : GDB_ITEMNAMES[static_cast<std::size_t>(gitUndefined)];
}

}  // namespace zylcarto
