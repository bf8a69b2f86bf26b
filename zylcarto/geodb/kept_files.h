#pragma once
// The files an open database writes on every change, opened on first use and kept
// open until the database is closed or read again, so that an add costs its writes
// rather than an open and a close per file. A file removed since it was opened is
// opened again by its name, so that writing to a database whose files are gone fails
// as it did before instead of going to a file nobody can read.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "zylcarto/geodb/dbfile.h"

namespace zylcarto {

class TKeptFiles {
public:
    // The file at Path, opened with Mode when it is not held; raises EInOutError as
    // TBinaryFile::Open does.
    TBinaryFile& Get(const std::string& Path, TBinaryFile::TMode Mode);
    // Lets every file go (without raising): the next Get opens it by its name again.
    void CloseAll() { FFiles.clear(); }

private:
    std::vector<std::pair<std::string, std::unique_ptr<TBinaryFile>>> FFiles;
};

}  // namespace zylcarto
