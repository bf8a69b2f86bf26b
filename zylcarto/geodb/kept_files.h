#pragma once
// The files an open database writes on every change, opened on first use and kept
// open until the database is closed or read again, so that an add costs its writes
// rather than an open and a close per file. A file removed since it was opened is
// opened again by its name, so that writing to a database whose files are gone fails
// as it did before instead of going to a file nobody can read.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zylcarto/geodb/dbfile.h"

namespace zylcarto {

class TKeptFiles {
public:
    // The file at Path, opened with Mode when it is not held; raises EInOutError as
    // TBinaryFile::Open does. A held file is first checked to still have its name,
    // unless CheckHeld did so since the last Unconfirm.
    TBinaryFile& Get(const std::string& Path, TBinaryFile::TMode Mode);
    static constexpr std::int64_t NotHeld = -2;
    // The length of the held file at Path, which counts as checked until Unconfirm;
    // -1 when it has lost its name (it is let go), NotHeld when none is held.
    std::int64_t CheckHeld(const std::string& Path);
    void Unconfirm();
    // Lets every file go (without raising): the next Get opens it by its name again.
    void CloseAll() { FFiles.clear(); }

private:
    struct TKept {
        std::string Path;
        std::unique_ptr<TBinaryFile> File;
        bool Confirmed = false;
    };
    std::vector<TKept> FFiles;
};

}  // namespace zylcarto
