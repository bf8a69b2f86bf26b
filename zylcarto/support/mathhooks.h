#pragma once
// Progress and abort hooks of long computations, and numeric limits.
#include <functional>
#include <limits>

namespace zylcarto {

// Long computations add 1 per step, call MathFeedBackProc with it when set,
// and stop with failure while AbortMathProc is true. One UI thread: plain globals.
extern double ProcStat;
extern std::function<void(double)> MathFeedBackProc;
extern bool AbortMathProc;

// Adds one step to ProcStat and reports it; returns false when the computation must stop.
bool MathStep();

inline constexpr long double uc_MaxDouble = std::numeric_limits<double>::max();
inline constexpr long double uc_MinDouble = std::numeric_limits<double>::min();

} // namespace zylcarto
