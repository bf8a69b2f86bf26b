#pragma once
// Progress and abort hooks of long computations, and numeric limits.
#include <functional>
#include <limits>

#include "zylcarto/support/export.h"

namespace zylcarto {

// Long computations add 1 per step, call MathFeedBackProc with it when set,
// and stop with failure while AbortMathProc is true. One UI thread: plain globals.
ZYLCARTO_EXPORT extern double ProcStat;
ZYLCARTO_EXPORT extern std::function<void(double)> MathFeedBackProc;
ZYLCARTO_EXPORT extern bool AbortMathProc;

// Adds one step to ProcStat and reports it; returns false when the computation must stop.
ZYLCARTO_EXPORT bool MathStep();

inline constexpr long double uc_MaxDouble = std::numeric_limits<double>::max();
inline constexpr long double uc_MinDouble = std::numeric_limits<double>::min();

} // namespace zylcarto
