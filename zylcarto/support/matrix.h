#pragma once
/// @file
/// Dense matrix and vector with 1-based indices; the matrix takes the column first.
/// Both are plain values that own their cells; no index is an error.
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// A matrix of doubles, columns 1..NrOfColumns() by rows 1..NrOfRows().
class ZYLCARTO_EXPORT TMatrix {
public:
    /// A matrix of no cells.
    TMatrix() = default;
    /// NrColumns by NrRows cells, all 0.
    TMatrix(int NrColumns, int NrRows) { Resize(NrColumns, NrRows); }
    /// New size (negative counts mean 0); every cell becomes 0, so unwritten cells read 0.
    void Resize(int NrColumns, int NrRows);
    /// Number of columns.
    int NrOfColumns() const { return FCols; }
    /// Number of rows.
    int NrOfRows() const { return FRows; }
    /// Sets cell (Col, Row). Out-of-range cells read 0 and ignore writes, so a
    /// bad index never corrupts memory.
    void SetVal(int Col, int Row, double Value);
    /// Cell (Col, Row); 0 outside the matrix.
    double GetVal(int Col, int Row) const;
    /// Sets every cell to Value.
    void Fill(double Value);
    /// Becomes a copy of Source, size and cells.
    void Clone(const TMatrix& Source);

private:
    int FCols = 0, FRows = 0;
    std::vector<double> FData;  // column-major
};

/// A vector of doubles, elements 1..NrOfElem().
class ZYLCARTO_EXPORT TVector {
public:
    /// A vector of no elements.
    TVector() = default;
    /// N elements, all 0.
    explicit TVector(int N) { SetVecSize(N); }
    /// New size (negative: 0); every element becomes 0.
    void SetVecSize(int N);
    /// Number of elements.
    int NrOfElem() const { return static_cast<int>(FData.size()); }
    /// Sets element Index; out-of-range elements ignore writes, as in TMatrix.
    void SetVal(int Index, double Value);
    /// Element Index; 0 outside the vector.
    double GetVal(int Index) const;

private:
    std::vector<double> FData;
};

}  // namespace zylcarto
