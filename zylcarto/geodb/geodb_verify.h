#pragma once
// Reading the files of an existing database for opening, and checking that they
// are one database's files and undamaged before anything trusts them.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "zylcarto/geodb/records.h"
#include "zylcarto/geodb/storage.h"

namespace zylcarto {

// What opening reads: the header, the item records and the index files as
// stored (an index file that is missing reads as absent, to be rebuilt).
struct TDatabaseFiles {
    TgdbSystemData System;
    std::vector<TgdbData> Items;
    TIxItemIDRecArray Ix0;
    std::array<TIxLLRecArray, 4> IxLL;  // index numbers 1..4
    std::array<bool, 5> IxPresent{};
};

// True when none of the seven files of the database exists: naming it creates it.
bool NoDatabaseFiles(const TDBFileNames& Names);
// True when the item file is missing beside a data file that holds nothing but a
// new database's header: a creation stopped half way, in which nothing is lost.
bool UnfinishedCreation(const TDBFileNames& Names);

// Why a record (raw bytes Raw, decoded Rec) cannot be an item of a database
// whose data file holds DataSize bytes; empty when it can.
std::string RecordFault(const std::uint8_t* Raw, const TgdbData& Rec, std::int64_t DataSize);

// Reads the files read-only and checks them: the data and item files must be
// there, the header of a known version, every record well formed with its block
// inside the data file, and the item file no shorter than its indexes say.
// Raises EZYLGeoDBError with Message(text) naming the file at fault; other
// failures to read raise EInOutError.
TDatabaseFiles ReadVerifiedDatabase(const TDBFileNames& Names,
                                    const std::function<std::string(const std::string&)>& Message);

// The reason a name cannot be stored exactly as given (empty when it can):
// characters without a Windows-1252 form, more than the field holds, or
// control characters, which would break every line-oriented listing.
std::string UnstorableNameReason(const TgdbName& Name);

}  // namespace zylcarto
