#pragma once
/// @file
/// Checking a database's files without changing them, and copying what can be
/// read of a damaged one into a new database.
#include <string>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// One thing CheckDatabase found.
struct TGeoDBFinding {
    /// True when items are lost or the database cannot be opened; false for
    /// what opening repairs or finishes by itself (stale index files, the
    /// files an interrupted change left).
    bool Damage = false;
    /// What was found, naming the file.
    std::string Text;
};

/// Checks every file of the database with this base name (any extension) under
/// its shared lock and changes nothing: the header, every item record and its
/// data block, unique identifiers, the five index files against the records,
/// and what an interrupted change left behind. Empty when all is well. Raises
/// EZYLGeoDBError when the lock does not come within TimeoutMs milliseconds.
ZYLCARTO_EXPORT std::vector<TGeoDBFinding> CheckDatabase(const std::string& BaseName, int TimeoutMs = 5000);

/// What RecoverDatabase did.
struct TGeoDBRecovery {
    /// Items copied.
    int Copied = 0;
    /// One line per item record left out, saying why.
    std::vector<std::string> Skipped;
};

/// Copies every readable item of the database Source into the new database
/// Dest (which must not exist), keeping identifiers, records and blocks as
/// they are; a record that is malformed, whose block cannot be read or whose
/// identifier came before is left out. Source is only read, and finishing
/// what an interrupted change left is not attempted. Raises EZYLGeoDBError when
/// Dest exists or Source has no item file, EInOutError when Dest cannot be written.
ZYLCARTO_EXPORT TGeoDBRecovery RecoverDatabase(const std::string& Source, const std::string& Dest);

}  // namespace zylcarto
