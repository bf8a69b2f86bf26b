#include "zylcarto/support/bitfld.h"

#include <algorithm>

namespace zylcarto {

void TBitFld::SetSize(int Size) { FBits.assign(static_cast<std::size_t>(std::max(Size, 0)), false); }

void TBitFld::Clear() { std::fill(FBits.begin(), FBits.end(), false); }

void TBitFld::SetBit(int Index, bool Value) {
    if (Index >= 1 && Index <= Size()) FBits[static_cast<std::size_t>(Index - 1)] = Value;
}

bool TBitFld::GetBit(int Index) const {
    return Index >= 1 && Index <= Size() && FBits[static_cast<std::size_t>(Index - 1)];
}

}  // namespace zylcarto
