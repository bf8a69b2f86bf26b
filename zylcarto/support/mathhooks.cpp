#include "zylcarto/support/mathhooks.h"

namespace zylcarto {

double ProcStat = 0;
std::function<void(double)> MathFeedBackProc;
bool AbortMathProc = false;

bool MathStep() {
    ProcStat += 1;
    if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    return !AbortMathProc;
}

}  // namespace zylcarto
