// The symbol repository reader, then the repository's own file round trip.
#include <filesystem>
#include <unistd.h>

#include "fuzz_input.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/symbol_repository.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TMemoryStream in = fuzz::StreamOf(Data, Size);
    TStreamSource source(in);
    std::vector<TSymbol> symbols;
    if (!ReadSymbolSet(source, "", symbols)) return 0;

    TSymbolRepository rep;
    rep.SetNEntries(static_cast<int>(symbols.size()));
    for (std::size_t i = 0; i < symbols.size(); ++i) rep.SetValues(static_cast<int>(i) + 1, symbols[i]);
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zylcarto_fuzz_symbols_" + std::to_string(::getpid()) + ".xml"))
            .string();
    rep.StoreOnFile(path, "f");
    TSymbolRepository back;
    fuzz::Check(back.LoadFromFile(path, "F"), "stored set is found again");
    fuzz::Check(back.NumEntries() == rep.NumEntries(), "symbol count survives");
    for (int i = 1; i <= rep.NumEntries(); ++i) fuzz::Check(back.GetValues(i) == rep.GetValues(i), "symbols survive");
    return 0;
}
