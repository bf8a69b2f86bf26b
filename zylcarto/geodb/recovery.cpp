#include "zylcarto/geodb/recovery.h"

#include <cstring>

#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/little_endian.h"

namespace zylcarto {
namespace {

constexpr char kMagic[4] = {'Z', 'G', 'C', '1'};
constexpr std::size_t kIntentBytes = 24;  // magic, two sizes, magic again

std::int64_t SizeOf(const std::string& path) {
    std::int64_t size = -1;
    double date = 0;
    return FileSizeAndDate(path, size, date) ? size : -1;
}

// True when the intent is whole and both new files have the sizes it names.
bool IntentHolds(const TCollectionFiles& f) {
    if (!ProbeFile(f.Intent)) return false;
    TBinaryFile in(f.Intent, TBinaryFile::TMode::ReadOnly);
    std::uint8_t b[kIntentBytes];
    const std::size_t n = in.Read(b, sizeof b);
    in.Close();
    if (n != kIntentBytes || std::memcmp(b, kMagic, 4) != 0 || std::memcmp(b + 20, kMagic, 4) != 0) return false;
    const std::int64_t gdd = GetLittleEndian<std::int64_t>(b + 4), gds = GetLittleEndian<std::int64_t>(b + 12);
    // the new data file may already have been renamed into place
    const bool gddThere = SizeOf(f.NewGDD) == gdd;
    return (gddThere || SizeOf(f.NewGDD) < 0) && SizeOf(f.NewGDS) == gds;
}

}  // namespace

TCollectionFiles CollectionFiles(const TDBFileNames& Names) {
    return {Names.GDD + "~new", Names.GDS + "~new", Names.GDD + "~old", Names.GDS + "~commit"};
}

void WriteCollectionIntent(const TCollectionFiles& Files, std::int64_t NewGDDSize, std::int64_t NewGDSSize) {
    std::uint8_t b[kIntentBytes];
    std::memcpy(b, kMagic, 4);
    PutLittleEndian(b + 4, NewGDDSize);
    PutLittleEndian(b + 12, NewGDSSize);
    std::memcpy(b + 20, kMagic, 4);
    WriteWholeFile(Files.Intent, b, sizeof b, true);
    SyncDirectoryOf(Files.Intent);
}

std::string DeleteJournalName(const std::string& ItemFile) { return ItemFile + "~delete"; }

namespace {
constexpr char kDeleteMagic[4] = {'Z', 'G', 'D', '1'};
constexpr std::size_t kJournalBytes = 4 + 8 + 2 * GdbDataBytes + 4;
}  // namespace

void WriteDeleteJournal(const std::string& Path, const TDeleteJournal& Journal, bool Sync) {
    std::vector<std::uint8_t> b(kJournalBytes);
    std::memcpy(b.data(), kDeleteMagic, 4);
    PutLittleEndian(b.data() + 4, Journal.Entry);
    PutLittleEndian(b.data() + 8, Journal.Count);
    std::memcpy(b.data() + 12, Journal.Moved.data(), GdbDataBytes);
    std::memcpy(b.data() + 12 + GdbDataBytes, Journal.Replaced.data(), GdbDataBytes);
    std::memcpy(b.data() + kJournalBytes - 4, kDeleteMagic, 4);
    WriteWholeFile(Path, b.data(), b.size(), Sync);
    if (Sync) SyncDirectoryOf(Path);
}

void RecoverDelete(const TDBFileNames& Names, const std::function<std::string(const std::string&)>& Message) {
    const std::string path = DeleteJournalName(Names.GDS);
    if (!ProbeFile(path)) return;
    const std::vector<std::uint8_t> b = ReadWholeFile(path);
    if (b.size() == kJournalBytes && std::memcmp(b.data(), kDeleteMagic, 4) == 0 &&
        std::memcmp(b.data() + kJournalBytes - 4, kDeleteMagic, 4) == 0) {
        const std::int64_t entry = GetLittleEndian<std::int32_t>(b.data() + 4),
                           count = GetLittleEndian<std::int32_t>(b.data() + 8);
        const std::int64_t rec = GdbDataBytes;
        TBinaryFile items(Names.GDS, TBinaryFile::TMode::ReadWrite);
        const std::int64_t size = items.Size();
        // before the cut the file holds every record (and perhaps the start of
        // an add's), after it one fewer
        if (entry < 0 || entry >= count - 1 || size < (count - 1) * rec || size >= (count + 1) * rec)
            throw EZYLGeoDBError(Message("the database file \"" + path + "\" does not belong to the item file \"" +
                                         Names.GDS + "\"; move it aside to open the database."));
        items.Seek(entry * rec);
        items.Write(b.data() + 12, GdbDataBytes);
        items.Truncate((count - 1) * rec);
        items.Sync();
        items.Close();
    }
    RemoveFile(path);
    SyncDirectoryOf(path);
}

bool CollectionLeftovers(const TDBFileNames& Names) {
    const TCollectionFiles f = CollectionFiles(Names);
    return ProbeFile(f.Intent) || ProbeFile(f.NewGDD) || ProbeFile(f.NewGDS) || ProbeFile(f.OldGDD);
}

bool RecoveryPending(const TDBFileNames& Names) {
    return CollectionLeftovers(Names) || ProbeFile(DeleteJournalName(Names.GDS));
}

void RecoverCollection(const TDBFileNames& Names) {
    const TCollectionFiles f = CollectionFiles(Names);
    const bool any = CollectionLeftovers(Names);
    if (!any) return;
    if (IntentHolds(f)) {
        if (ProbeFile(f.NewGDD)) RenameFile(f.NewGDD, Names.GDD);
        RenameFile(f.NewGDS, Names.GDS);
    } else {
        RemoveFile(f.NewGDD);
        RemoveFile(f.NewGDS);
        if (!ProbeFile(Names.GDD) && ProbeFile(f.OldGDD)) RenameFile(f.OldGDD, Names.GDD);
    }
    SyncDirectoryOf(Names.GDD);
    RemoveFile(f.OldGDD);
    RemoveFile(f.Intent);
    SyncDirectoryOf(Names.GDD);
}

void CompleteInterruptedDelete(const std::string& ItemFile, std::vector<TgdbData>& Records) {
    if (Records.size() < 2) return;
    const std::vector<std::uint8_t> last = [&] {
        std::vector<std::uint8_t> b(GdbDataBytes);
        EncodeGdbData(Records.back(), b.data());
        return b;
    }();
    std::uint8_t other[GdbDataBytes];
    for (std::size_t i = 0; i + 1 < Records.size(); ++i) {
        if (Records[i].ItemId != Records.back().ItemId) continue;
        EncodeGdbData(Records[i], other);
        if (std::memcmp(other, last.data(), GdbDataBytes) != 0) return;  // not a deletion's copy
        TBinaryFile f(ItemFile, TBinaryFile::TMode::ReadWrite);
        f.Truncate(static_cast<std::int64_t>(Records.size() - 1) * static_cast<std::int64_t>(GdbDataBytes));
        f.Sync();
        f.Close();
        Records.pop_back();
        return;
    }
}

}  // namespace zylcarto
