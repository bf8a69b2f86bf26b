#pragma once
/// @file
/// Progress and abort hooks of long computations, and numeric limits.
///
/// The hooks are plain globals for the one user-interface thread: set and read
/// them only from that thread, and not while another thread computes.
#include <functional>
#include <limits>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// Steps done by long computations so far: each step adds 1. A host may reset
/// it to 0 before starting one.
ZYLCARTO_EXPORT extern double ProcStat;
/// Called with ProcStat after each step when set, for a progress display.
ZYLCARTO_EXPORT extern std::function<void(double)> MathFeedBackProc;
/// While true, a long computation stops at its next step and reports failure;
/// the host sets it (from MathFeedBackProc, say) and clears it afterwards.
ZYLCARTO_EXPORT extern bool AbortMathProc;

/// Adds one step to ProcStat and reports it; returns false when the computation must stop.
ZYLCARTO_EXPORT bool MathStep();

/// The largest finite double.
inline constexpr long double uc_MaxDouble = std::numeric_limits<double>::max();
/// The smallest positive normalised double.
inline constexpr long double uc_MinDouble = std::numeric_limits<double>::min();

}  // namespace zylcarto
