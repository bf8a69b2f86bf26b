#include "zylcarto/geodb/kept_files.h"

namespace zylcarto {

TBinaryFile& TKeptFiles::Get(const std::string& Path, TBinaryFile::TMode Mode) {
    for (auto it = FFiles.begin(); it != FFiles.end(); ++it) {
        if (it->Path != Path) continue;
        if (it->Confirmed || it->File->NamedLength() >= 0) return *it->File;
        FFiles.erase(it);
        break;
    }
    FFiles.push_back({Path, std::make_unique<TBinaryFile>(Path, Mode), false});
    return *FFiles.back().File;
}

std::int64_t TKeptFiles::CheckHeld(const std::string& Path) {
    for (auto it = FFiles.begin(); it != FFiles.end(); ++it) {
        if (it->Path != Path) continue;
        const std::int64_t length = it->File->NamedLength();
        if (length < 0)
            FFiles.erase(it);
        else
            it->Confirmed = true;
        return length;
    }
    return NotHeld;
}

void TKeptFiles::Unconfirm() {
    for (auto& f : FFiles) f.Confirmed = false;
}

}  // namespace zylcarto
