#include "zylcarto/geodb/kept_files.h"

namespace zylcarto {

TBinaryFile& TKeptFiles::Get(const std::string& Path, TBinaryFile::TMode Mode) {
    for (auto it = FFiles.begin(); it != FFiles.end(); ++it) {
        if (it->first != Path) continue;
        if (it->second->StillNamed()) return *it->second;
        FFiles.erase(it);
        break;
    }
    auto file = std::make_unique<TBinaryFile>(Path, Mode);
    FFiles.emplace_back(Path, std::move(file));
    return *FFiles.back().second;
}

}  // namespace zylcarto
