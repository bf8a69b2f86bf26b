#pragma once
// Whole-file reads and writes of the database files and their names.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/records.h"

namespace zylcarto {

struct TDBFileNames {
    std::string GDS;                // item file
    std::string GDD;                // data file
    std::array<std::string, 5> IX;  // index files 0..4
    std::string Lock;               // the lock and its change counter
    // The lock file of releases that kept the counter in its bytes, held shared while
    // the database is open so that a process of such a release cannot change it.
    std::string Guard;
};
// The files of the database with this base name.
TDBFileNames DBFileNames(const std::string& BaseName);

// The whole content of a file, opened read-only.
std::vector<std::uint8_t> ReadWholeFile(const std::string& Path);
// All complete entries or records of a file; a partial trailing one is ignored.
TIxItemIDRecArray ReadItemIDIndexFile(const std::string& Path);
TIxLLRecArray ReadLLIndexFile(const std::string& Path);
std::vector<TgdbData> ReadItemFile(const std::string& Path);

// Brings the open index file to the index's entries in order: rewrites it from
// the index's first changed position to its end and cuts it to length.
void WriteIndexFile(TBinaryFile& File, TItemIDIndex& Ix);
void WriteIndexFile(TBinaryFile& File, TCoordIndex& Ix);

TgdbSystemData ReadSystemData(TBinaryFile& DataFile);
void WriteSystemData(TBinaryFile& DataFile, const TgdbSystemData& Sys);
void WriteItemRecord(TBinaryFile& ItemFile, int RecordNo, const TgdbData& Rec);
TMetaInfo ReadMetaInfo(TBinaryFile& DataFile, std::int64_t Offset);
void WriteMetaInfo(TBinaryFile& DataFile, std::int64_t Offset, const TMetaInfo& Meta);

// The one chunked copy of object bytes: Count bytes in chunks of CopyChunkBytes,
// each filled by Read and handed to Write; After(done so far, chunk size)
// follows every chunk when given.
inline constexpr std::size_t CopyChunkBytes = 16384;
void CopyInChunks(std::int64_t Count, const std::function<void(std::uint8_t*, std::size_t)>& Read,
                  const std::function<void(const std::uint8_t*, std::size_t)>& Write,
                  const std::function<void(std::int64_t, std::size_t)>& After = {});

// Bytes of the data block an item owns (0 for kinds without one); -1 when the
// record's count is negative.
std::int64_t DataBlockBytes(const TgdbData& Rec);
// True when the item's block lies wholly inside a data file of DataFileSize bytes.
bool BlockFits(const TgdbData& Rec, std::int64_t DataFileSize);

}  // namespace zylcarto
