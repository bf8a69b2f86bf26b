#pragma once
// Linear least squares through a singular value decomposition.
#include <vector>

#include "zylcarto/support/matrix.h"

namespace zylcarto {

// Relative size below which a singular value counts as zero.
inline constexpr double SingularValueThreshold = 1e-14;

// Minimises |A x - b| for the design matrix A (one column per coefficient, one
// row per observation) and the right-hand side b (one entry per row). Singular
// values below the threshold are dropped, so a rank-deficient system yields its
// minimum-norm solution and sets Singular. e receives the standard errors of the
// coefficients for unit observation variance. Each step reports progress through
// MathStep; the solve fails when it is aborted, when an iteration does not
// converge, when the sizes do not match or when the input is not finite.
bool SolveLinearLeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& Singular, TVector& e);

// The singular values of A (one per column; rows of zeros pad a short matrix);
// false when the decomposition fails or A is empty or not finite.
bool SingularValues(const TMatrix& A, std::vector<double>& w);

}  // namespace zylcarto
