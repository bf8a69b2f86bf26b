#pragma once
// Shared by the file-reader fuzz targets: the input as a memory stream, and a
// check that stops the run with a message when an invariant does not hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "zylcarto/support/streams.h"

namespace zylcarto::fuzz {

inline TMemoryStream StreamOf(const std::uint8_t* Data, std::size_t Size) {
    TMemoryStream s;
    s.Write(Data, Size);
    s.SetPosition(0);
    return s;
}

inline void Check(bool Condition, const char* What) {
    if (Condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", What);
    std::abort();
}

}  // namespace zylcarto::fuzz
