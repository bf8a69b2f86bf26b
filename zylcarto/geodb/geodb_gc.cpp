// TGeoDB: reclaiming the unreferenced blocks of the data file.
#include <algorithm>
#include <cstring>
#include <map>

#include "zylcarto/geodb/geodb_p.h"
#include "zylcarto/geodb/kept_files.h"
#include "zylcarto/geodb/lock.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/geodb/recovery.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

void CopyBytes(TBinaryFile& from, std::int64_t offset, std::int64_t count, TBinaryFile& to) {
    from.Seek(offset);
    CopyInChunks(
        count, [&](std::uint8_t* b, std::size_t n) { from.ReadExact(b, n); },
        [&](const std::uint8_t* b, std::size_t n) { to.Write(b, n); });
}

// Items without a block (towns, undefined, offset -1) keep their offset as it is.
bool HasBlock(const TgdbData& rec) {
    return (IsPolygonKind(rec.ItemKind) || rec.ItemKind == gitBLOB) && rec.BlobOffset >= 0;
}

}  // namespace

void TGeoDBPrivate::GarbageCollection() {
    if (!IsOpen()) return;
    const auto lock = Lock("GarbageCollection", true);
    FKeptFiles->CloseAll();  // the collection puts new files in place of the kept ones
    const TDBFileNames names = DBFileNames(StripExtension(FNameGDS));
    const TCollectionFiles files = CollectionFiles(names);
    const std::string &newGDD = files.NewGDD, &newGDS = files.NewGDS, &oldGDD = files.OldGDD;
    // Only with the old data and item file in place: once the intent is gone,
    // opening discards the new files.
    const auto removeTemps = [&] {
        RemoveFile(files.Intent);
        RemoveFile(newGDD);
        RemoveFile(newGDS);
    };
    // what an earlier collection left behind must not be mistaken for this one's
    RecoverCollection(names);
    Report(0);
    std::vector<std::int32_t> offsets(static_cast<std::size_t>(FNumSumItems));
    try {
        TBinaryFile oldData(FNameGDD, TBinaryFile::TMode::ReadWrite);
        const std::int64_t oldSize = oldData.Size();
        for (int i = 0; i < FNumSumItems; ++i) {
            const TgdbData& rec = FSumData[static_cast<std::size_t>(i)];
            if (HasBlock(rec) && !BlockFits(rec, oldSize))
                throw EZYLGeoDBError(Msg("GarbageCollection: the data block of entry " + std::to_string(i + 1) +
                                         " does not fit in the data file."));
        }
        TBinaryFile newData(newGDD, TBinaryFile::TMode::CreateNew);
        WriteSystemData(newData, FSystemData);
        // items that share a block keep sharing one copy of it
        std::map<std::pair<std::int32_t, std::int64_t>, std::int32_t> copied;
        for (int i = 0; i < FNumSumItems; ++i) {
            const TgdbData& rec = FSumData[static_cast<std::size_t>(i)];
            offsets[static_cast<std::size_t>(i)] = rec.BlobOffset;
            if (HasBlock(rec)) {
                const auto key = std::make_pair(rec.BlobOffset, DataBlockBytes(rec));
                const auto known = copied.find(key);
                if (known != copied.end()) {
                    offsets[static_cast<std::size_t>(i)] = known->second;
                } else {
                    const auto at = static_cast<std::int32_t>(newData.Position());
                    CopyBytes(oldData, rec.BlobOffset, key.second, newData);
                    offsets[static_cast<std::size_t>(i)] = copied[key] = at;
                }
            }
            ReportRatio(i + 1, FNumSumItems);
        }
        const std::int64_t newDataSize = newData.Position();
        newData.Sync();
        newData.Close();
        oldData.Close();

        // the records keep every byte but their offsets
        TBinaryFile oldItems(FNameGDS, TBinaryFile::TMode::ReadWrite);
        std::vector<std::uint8_t> items(static_cast<std::size_t>(FNumSumItems) * GdbDataBytes);
        oldItems.ReadExact(items.data(), items.size());
        oldItems.Close();
        for (int i = 0; i < FNumSumItems; ++i)
            SetBlobOffset(items.data() + static_cast<std::size_t>(i) * GdbDataBytes,
                          offsets[static_cast<std::size_t>(i)]);
        WriteWholeFile(newGDS, items.data(), items.size(), true);
        SyncDirectoryOf(newGDS);
        WriteCollectionIntent(files, newDataSize, static_cast<std::int64_t>(items.size()));
    } catch (...) {
        try {
            removeTemps();
        } catch (const EInOutError&) {}
        throw;
    }

    // Commit: the old data file steps aside, the new files take their places.
    // While the intent is there, opening completes the collection from any
    // point; so a failing step is undone in reverse order with the intent
    // removed last, when old data and item file are back together.
    int renamed = 0;
    try {
        RenameFile(FNameGDD, oldGDD);
        ++renamed;
        RenameFile(newGDD, FNameGDD);
        ++renamed;
        RenameFile(newGDS, FNameGDS);
        ++renamed;
    } catch (...) {
        RollBack([&] {
            if (renamed == 2) RenameFile(FNameGDD, newGDD);
            if (renamed >= 1) RenameFile(oldGDD, FNameGDD);
            SyncDirectoryOf(FNameGDD);
            removeTemps();
        });
        throw;
    }
    try {
        SyncDirectoryOf(FNameGDD);
        RemoveFile(oldGDD);
        RemoveFile(files.Intent);
    } catch (const EInOutError&) {
        // the collection is complete: with the new item file in place the
        // intent no longer holds, and the next open clears what is left
    }
    for (int i = 0; i < FNumSumItems; ++i)
        FSumData[static_cast<std::size_t>(i)].BlobOffset = offsets[static_cast<std::size_t>(i)];
    Report(100);
}

}  // namespace zylcarto
