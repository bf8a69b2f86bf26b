#pragma once
// Finishing on opening what a killed process or a power cut left half done:
// a collection's file replacement and a deletion's last step.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zylcarto/geodb/records.h"
#include "zylcarto/geodb/storage.h"

namespace zylcarto {

// The files a collection writes beside the database and renames into place.
struct TCollectionFiles {
    std::string NewGDD, NewGDS, OldGDD, Intent;
};
TCollectionFiles CollectionFiles(const TDBFileNames& Names);

// Written (and synced) once both new files are complete and synced, before the
// first rename; from then on the collection is completed, never undone.
void WriteCollectionIntent(const TCollectionFiles& Files, std::int64_t NewGDDSize, std::int64_t NewGDSSize);

// A valid intent whose new files are still there: they are renamed into place.
// Otherwise the new files are discarded and the old data file put back where
// it is missing. Leftovers and the intent go either way.
void RecoverCollection(const TDBFileNames& Names);
// True when a collection left any of its files behind.
bool CollectionLeftovers(const TDBFileNames& Names);
// True when opening has a collection or a deletion to finish or undo.
bool RecoveryPending(const TDBFileNames& Names);

// A deletion of any but the last record: the record moved into the deleted
// one's place and both as they were, written and synced before the item file
// is touched, removed once the deletion is complete or undone.
struct TDeleteJournal {
    std::int32_t Entry;  // 0-based record that is deleted
    std::int32_t Count;  // records before the deletion
    std::vector<std::uint8_t> Moved, Replaced;  // GdbDataBytes each
};
std::string DeleteJournalName(const std::string& ItemFile);
void WriteDeleteJournal(const std::string& Path, const TDeleteJournal& Journal, bool Sync);
// A whole journal is carried out (the moved record written, the file cut);
// one cut short, written before anything else, is dropped. Raises
// EZYLGeoDBError when the item file is not one the journal can belong to.
void RecoverDelete(const TDBFileNames& Names, const std::function<std::string(const std::string&)>& Message);

// A deletion moves the last record over the deleted one and then cuts the file;
// killed between the two, the moved record is there twice. The cut is done here.
void CompleteInterruptedDelete(const std::string& ItemFile, std::vector<TgdbData>& Records);

}  // namespace zylcarto
