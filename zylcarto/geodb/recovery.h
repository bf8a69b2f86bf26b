#pragma once
// Finishing on opening what a killed process or a power cut left half done:
// a collection's file replacement and a deletion's last step.
#include <cstdint>
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

// A deletion moves the last record over the deleted one and then cuts the file;
// killed between the two, the moved record is there twice. The cut is done here.
void CompleteInterruptedDelete(const std::string& ItemFile, std::vector<TgdbData>& Records);

}  // namespace zylcarto
