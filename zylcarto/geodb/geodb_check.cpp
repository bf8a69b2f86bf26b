#include "zylcarto/geodb/geodb_check.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/geodb/geodb_verify.h"
#include "zylcarto/geodb/lock.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/recovery.h"
#include "zylcarto/geodb/storage.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

std::string Quoted(const std::string& Path) { return "\"" + Path + "\""; }

// The header and size of the data file; Why says what is wrong when it cannot serve.
struct TDataFile {
    bool Usable = false;
    TgdbSystemData System;
    std::int64_t Size = 0;
    std::string Why;
};

TDataFile ReadDataFile(const std::string& Path) {
    TDataFile d;
    try {
        if (!ProbeFile(Path)) {
            d.Why = "is missing";
            return d;
        }
        TBinaryFile f(Path, TBinaryFile::TMode::ReadOnly);
        d.Size = f.Size();
        d.System = ReadSystemData(f);
        f.Close();
    } catch (const std::exception& e) {
        d.Why = std::string("cannot be read (") + e.what() + ")";
        return d;
    }
    if (d.System.DBVersion != GdbCurrentVersion)
        d.Why = "has the format version " + std::to_string(d.System.DBVersion) + ", which this library cannot read";
    else
        d.Usable = true;
    return d;
}

std::vector<std::uint8_t> ReadIfThere(const std::string& Path, bool& There) {
    There = ProbeFile(Path);
    return There ? ReadWholeFile(Path) : std::vector<std::uint8_t>{};
}

}  // namespace

std::vector<TGeoDBFinding> CheckDatabase(const std::string& BaseName, int TimeoutMs) {
    const TDBFileNames names = DBFileNames(StripExtension(BaseName));
    TLockFile file(names.Lock, names.Guard);
    TDBLock lock(file, false, TimeoutMs);
    if (!lock.Acquired()) throw EZYLGeoDBError("CheckDatabase: the database is locked by another process.");
    std::vector<TGeoDBFinding> out;
    const auto damage = [&](const std::string& t) { out.push_back({true, t}); };
    const auto note = [&](const std::string& t) { out.push_back({false, t}); };

    const TCollectionFiles c = CollectionFiles(names);
    for (const std::string& f : {c.Intent, c.NewGDD, c.NewGDS, c.OldGDD})
        if (ProbeFile(f))
            note("the file " + Quoted(f) + " of an interrupted collection: opening finishes or discards it");
    if (ProbeFile(DeleteJournalName(names.GDS)))
        note("the journal " + Quoted(DeleteJournalName(names.GDS)) +
             " of an interrupted deletion: opening completes it");

    const TDataFile data = ReadDataFile(names.GDD);
    if (!data.Usable) damage("the data file " + Quoted(names.GDD) + " " + data.Why);
    bool gdsThere = false;
    const std::vector<std::uint8_t> items = ReadIfThere(names.GDS, gdsThere);
    if (!gdsThere) {
        damage("the item file " + Quoted(names.GDS) + " is missing");
        return out;
    }
    const std::size_t count = items.size() / GdbDataBytes;
    if (items.size() % GdbDataBytes != 0)
        note("the item file " + Quoted(names.GDS) + " ends with " + std::to_string(items.size() % GdbDataBytes) +
             " bytes of an interrupted addition, which opening ignores");
    std::vector<TgdbData> recs(count);
    std::map<std::int32_t, std::size_t> firstOf;
    std::int32_t highest = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const std::uint8_t* raw = items.data() + r * GdbDataBytes;
        recs[r] = DecodeGdbData(raw);
        const std::string entry =
            "entry " + std::to_string(r + 1) + " (identifier " + std::to_string(recs[r].ItemId) + ")";
        const std::string fault = RecordFault(raw, recs[r], data.Usable ? data.Size : 0);
        if (!fault.empty() && (data.Usable || fault.find("data block beyond") == std::string::npos))
            damage("the item file " + Quoted(names.GDS) + ": " + entry + " has " + fault);
        highest = std::max(highest, recs[r].ItemId);
        const auto [at, fresh] = firstOf.emplace(recs[r].ItemId, r);
        if (!fresh) {
            const bool copy =
                r + 1 == count && std::memcmp(items.data() + at->second * GdbDataBytes, raw, GdbDataBytes) == 0;
            if (copy)
                note("the item file " + Quoted(names.GDS) +
                     " holds its last record twice, as an interrupted deletion " +
                     "leaves it: opening completes the deletion");
            else
                damage("the item file " + Quoted(names.GDS) + ": " + entry + " has the identifier of entry " +
                       std::to_string(at->second + 1));
        }
    }
    if (data.Usable && data.System.HighestID < highest)
        note("the header of " + Quoted(names.GDD) + " gives " + std::to_string(data.System.HighestID) +
             " as the highest identifier where the items reach " + std::to_string(highest) + "; opening corrects it");

    const int n = static_cast<int>(count);
    for (int i = 0; i <= 4; ++i) {
        const std::string& path = names.IX[static_cast<std::size_t>(i)];
        bool there = false;
        const auto bytes = ReadIfThere(path, there);
        const std::size_t k = bytes.size() / IndexEntryBytes;
        const auto sound = [&](int upTo) {
            return i == 0 ? IsSoundIndex(ReadItemIDIndexFile(path), recs, upTo)
                          : IsSoundIndex(ReadLLIndexFile(path), i, recs, upTo);
        };
        if (there && k < count && sound(static_cast<int>(k)))
            note("the index file " + Quoted(path) + " covers the first " + std::to_string(k) + " of " +
                 std::to_string(count) + " items: opening adds the rest, the next write of the indexes stores them");
        else if (!there || !sound(n))
            note("the index file " + Quoted(path) + (there ? " does not match the items" : " is missing") +
                 ": opening rebuilds it, the next change writes it");
    }
    return out;
}

TGeoDBRecovery RecoverDatabase(const std::string& Source, const std::string& Dest) {
    const TDBFileNames from = DBFileNames(StripExtension(Source));
    const TDBFileNames to = DBFileNames(StripExtension(Dest));
    if (!NoDatabaseFiles(to))
        throw EZYLGeoDBError("RecoverDatabase: the database \"" + StripExtension(Dest) + "\" already exists.");
    TLockFile file(from.Lock, from.Guard);
    TDBLock lock(file, false, 5000);
    if (!lock.Acquired()) throw EZYLGeoDBError("RecoverDatabase: the database is locked by another process.");
    if (!ProbeFile(from.GDS)) throw EZYLGeoDBError("RecoverDatabase: the item file \"" + from.GDS + "\" is missing.");
    const TDataFile data = ReadDataFile(from.GDD);
    TGeoDBRecovery r;
    std::vector<std::uint8_t> items;
    try {
        items = ReadWholeFile(from.GDS);
    } catch (const EInOutError& e) {
        throw EZYLGeoDBError(std::string("RecoverDatabase: ") + e.what() + ".");
    }
    TgdbSystemData sys = data.Usable ? data.System : TgdbSystemData();
    std::vector<std::uint8_t> newItems, newData(SystemDataBytes);
    std::set<std::int32_t> ids;
    TBinaryFile in;
    if (data.Usable) in.Open(from.GDD, TBinaryFile::TMode::ReadOnly);
    for (std::size_t k = 0; k + GdbDataBytes <= items.size(); k += GdbDataBytes) {
        const std::uint8_t* raw = items.data() + k;
        TgdbData rec = DecodeGdbData(raw);
        const std::string entry =
            "entry " + std::to_string(k / GdbDataBytes + 1) + " (identifier " + std::to_string(rec.ItemId) + "): ";
        const std::string fault = RecordFault(raw, rec, data.Usable ? data.Size : 0);
        if (!fault.empty()) {
            r.Skipped.push_back(entry + (data.Usable ? fault : "its data block, the data file " + data.Why));
            continue;
        }
        if (!ids.insert(rec.ItemId).second) {
            r.Skipped.push_back(entry + "an identifier that came before");
            continue;
        }
        std::vector<std::uint8_t> copy(raw, raw + GdbDataBytes);
        if (rec.BlobOffset >= 0) {
            std::vector<std::uint8_t> block(static_cast<std::size_t>(DataBlockBytes(rec)));
            try {
                in.Seek(rec.BlobOffset);
                in.ReadExact(block.data(), block.size());
            } catch (const EInOutError& e) {
                r.Skipped.push_back(entry + e.what());
                continue;
            }
            // every byte of the record is kept but its offset
            SetBlobOffset(copy.data(), static_cast<std::int32_t>(newData.size()));
            newData.insert(newData.end(), block.begin(), block.end());
        }
        sys.HighestID = std::max(sys.HighestID, rec.ItemId);
        newItems.insert(newItems.end(), copy.begin(), copy.end());
        ++r.Copied;
    }
    in.Close();
    EncodeSystemData(sys, newData.data());
    // the item file last: until it is there, the new files are no database
    for (const auto& [path, bytes] : {std::pair{to.GDD, &newData}, std::pair{to.GDS, &newItems}})
        WriteWholeFile(path, bytes->data(), bytes->size(), true);
    TGeoDB db;
    db.SetDBName(StripExtension(Dest));
    db.RecalcIndexes();
    db.SetDBName("");
    return r;
}

}  // namespace zylcarto
