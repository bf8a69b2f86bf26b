#pragma once
#include <vector>

namespace zylcarto {

// A set of bits numbered 1..Size; bits outside the range read false and ignore writes.
class TBitFld {
public:
    void SetSize(int Size);
    int Size() const { return static_cast<int>(FBits.size()); }
    void Clear();
    void SetBit(int Index, bool Value);
    bool GetBit(int Index) const;

private:
    std::vector<bool> FBits;
};

} // namespace zylcarto
