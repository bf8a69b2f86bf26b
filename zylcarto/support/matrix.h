#pragma once
// Dense matrix and vector with 1-based indices; the matrix takes the column first.
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

class ZYLCARTO_EXPORT TMatrix {
public:
    TMatrix() = default;
    TMatrix(int NrColumns, int NrRows) { Resize(NrColumns, NrRows); }
    // New size (negative counts mean 0); every cell becomes 0, so unwritten cells read 0.
    void Resize(int NrColumns, int NrRows);
    int NrOfColumns() const { return FCols; }
    int NrOfRows() const { return FRows; }
    // Out-of-range cells read 0 and ignore writes, so a bad index never corrupts memory.
    void SetVal(int Col, int Row, double Value);
    double GetVal(int Col, int Row) const;
    void Fill(double Value);
    void Clone(const TMatrix& Source);

private:
    int FCols = 0, FRows = 0;
    std::vector<double> FData;  // column-major
};

class ZYLCARTO_EXPORT TVector {
public:
    TVector() = default;
    explicit TVector(int N) { SetVecSize(N); }
    // New size; every element becomes 0.
    void SetVecSize(int N);
    // Out-of-range elements read 0 and ignore writes, as in TMatrix.
    int NrOfElem() const { return static_cast<int>(FData.size()); }
    void SetVal(int Index, double Value);
    double GetVal(int Index) const;

private:
    std::vector<double> FData;
};

} // namespace zylcarto
