#include "zylcarto/geodb/kept_files.h"

namespace zylcarto {

TBinaryFile& TKeptFiles::Get(const std::string& Path, TBinaryFile::TMode Mode) {
    for (auto it = FFiles.begin(); it != FFiles.end(); ++it) {
        if (it->Path != Path) continue;
        if (it->Confirmed || it->File->StillNamed()) return *it->File;
        FFiles.erase(it);
        break;
    }
    auto file = std::make_unique<TBinaryFile>(Path, Mode);
    const auto id = file->FileId();
    FFiles.push_back({Path, std::move(file), id, false});
    return *FFiles.back().File;
}

void TKeptFiles::Confirm(const std::string& Path, bool Named, std::pair<std::uint64_t, std::uint64_t> Id) {
    for (auto it = FFiles.begin(); it != FFiles.end(); ++it) {
        if (it->Path != Path) continue;
        if (Named && it->Id == Id && Id.second != 0)
            it->Confirmed = true;
        else
            FFiles.erase(it);
        return;
    }
}

void TKeptFiles::Unconfirm() {
    for (auto& f : FFiles) f.Confirmed = false;
}

}  // namespace zylcarto
