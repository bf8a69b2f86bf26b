#pragma once
/// @file
/// TBitFld, a set of numbered bits.
#include <vector>

namespace zylcarto {

/// A set of bits numbered 1..Size; bits outside the range read false and ignore
/// writes, so no index is an error. A plain value owning its bits.
class TBitFld {
public:
    /// Makes Size bits (a negative Size: none), all false.
    void SetSize(int Size);
    /// Number of bits.
    int Size() const { return static_cast<int>(FBits.size()); }
    /// Sets every bit false, keeping the size.
    void Clear();
    /// Sets bit Index (1..Size) to Value; nothing for another index.
    void SetBit(int Index, bool Value);
    /// Bit Index (1..Size); false for another index.
    bool GetBit(int Index) const;

private:
    std::vector<bool> FBits;
};

}  // namespace zylcarto
