#include "zylcarto/support/matrix.h"

#include <cstddef>

namespace zylcarto {

void TMatrix::Resize(int NrColumns, int NrRows) {
    FCols = NrColumns > 0 ? NrColumns : 0;
    FRows = NrRows > 0 ? NrRows : 0;
    FData.assign(static_cast<std::size_t>(FCols) * static_cast<std::size_t>(FRows), 0.0);
}

void TMatrix::SetVal(int Col, int Row, double Value) {
    if (Col < 1 || Col > FCols || Row < 1 || Row > FRows) return;
    FData[static_cast<std::size_t>(Col - 1) * FRows + (Row - 1)] = Value;
}

double TMatrix::GetVal(int Col, int Row) const {
    if (Col < 1 || Col > FCols || Row < 1 || Row > FRows) return 0.0;
    return FData[static_cast<std::size_t>(Col - 1) * FRows + (Row - 1)];
}

void TMatrix::Fill(double Value) { FData.assign(FData.size(), Value); }

void TMatrix::Clone(const TMatrix& Source) {
    FCols = Source.FCols;
    FRows = Source.FRows;
    FData = Source.FData;
}

void TVector::SetVecSize(int N) { FData.assign(N > 0 ? static_cast<std::size_t>(N) : 0, 0.0); }

void TVector::SetVal(int Index, double Value) {
    if (Index < 1 || Index > NrOfElem()) return;
    FData[static_cast<std::size_t>(Index - 1)] = Value;
}

double TVector::GetVal(int Index) const {
    if (Index < 1 || Index > NrOfElem()) return 0.0;
    return FData[static_cast<std::size_t>(Index - 1)];
}

}  // namespace zylcarto
