#pragma once
// TSymbolRepository's entries. Not installed: hosts see only the interface.
#include <vector>

#include "zylcarto/geomap/landmarks/symbol_repository.h"

namespace zylcarto {

class TSymbolRepositoryPrivate {
public:
    std::vector<TSymbol> Symbols;     // entry i is Symbols[i - 1]; size >= NEntries
    std::vector<TSymbol> SymbolsBak;  // size == NEntriesBak
    int NEntries = 0;
    int NEntriesBak = 0;
};

}  // namespace zylcarto
