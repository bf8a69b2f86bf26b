#include "zylcarto/geodb/geodb_verify.h"

#include <algorithm>
#include <cstring>

#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/support/errors.h"

namespace zylcarto {
namespace {

// Offsets of the raw fields checked here, which decoding would smooth over.
constexpr std::size_t kNameAt = 4, kKindAt = 108, kClosedAt = 116;
constexpr std::size_t kDescriptionAt = 8, kDescriptionCapacity = 63;

std::string Quoted(const std::string& Path) { return "\"" + Path + "\""; }

}  // namespace

std::string RecordFault(const std::uint8_t* Raw, const TgdbData& Rec, std::int64_t DataSize) {
    if (Raw[kKindAt] >= GdbItemCount) return "an item kind " + std::to_string(Raw[kKindAt]) + " that does not exist";
    const std::size_t len = Raw[kNameAt];
    if (len > TgdbName::Capacity) return "a name length of " + std::to_string(len);
    for (std::size_t i = len; i < TgdbName::Capacity; ++i)
        if (Raw[kNameAt + 1 + i] != ' ') return "a name not padded with blanks";
    if (Rec.ItemId < 1) return "the identifier " + std::to_string(Rec.ItemId);
    const bool hasBlockKind = IsPolygonKind(Rec.ItemKind) || Rec.ItemKind == gitBLOB;
    if (!hasBlockKind) return Rec.BlobOffset == -1 ? std::string() : "a data block for a kind that has none";
    if (IsPolygonKind(Rec.ItemKind) && Raw[kClosedAt] > 1) return "a closed flag of " + std::to_string(Raw[kClosedAt]);
    if (Rec.BlobOffset == -1) return {};
    if (!BlockFits(Rec, DataSize)) return "a data block beyond the end of the data file";
    return {};
}

bool NoDatabaseFiles(const TDBFileNames& Names) {
    if (ProbeFile(Names.GDS) || ProbeFile(Names.GDD)) return false;
    return std::none_of(Names.IX.begin(), Names.IX.end(), [](const std::string& p) { return ProbeFile(p); });
}

bool UnfinishedCreation(const TDBFileNames& Names) {
    if (ProbeFile(Names.GDS) || !ProbeFile(Names.GDD)) return false;
    std::uint8_t fresh[SystemDataBytes], header[SystemDataBytes + 1];
    EncodeSystemData(TgdbSystemData(), fresh);
    TBinaryFile f(Names.GDD, TBinaryFile::TMode::ReadOnly);
    const std::size_t n = f.Read(header, sizeof header);
    f.Close();
    return n == SystemDataBytes && std::memcmp(header, fresh, SystemDataBytes) == 0;
}

TDatabaseFiles ReadVerifiedDatabase(const TDBFileNames& Names,
                                    const std::function<std::string(const std::string&)>& Message) {
    const auto fail = [&](const std::string& path, const std::string& why) {
        throw EZYLGeoDBError(Message("the database file " + Quoted(path) + " " + why + "."));
    };
    TDatabaseFiles out;
    // without the data file the items' blocks are gone: a new empty one would hand
    // the old items the vertices of whatever is added next
    if (!ProbeFile(Names.GDD)) fail(Names.GDD, "is missing");
    if (!ProbeFile(Names.GDS)) fail(Names.GDS, "is missing");

    std::int64_t dataSize = 0;
    {
        TBinaryFile f(Names.GDD, TBinaryFile::TMode::ReadOnly);
        dataSize = f.Size();
        std::uint8_t header[SystemDataBytes];
        f.Seek(0);
        f.ReadExact(header, sizeof header);
        f.Close();
        out.System = DecodeSystemData(header);
        if (out.System.DBVersion != GdbCurrentVersion)
            fail(Names.GDD,
                 "has the format version " + std::to_string(out.System.DBVersion) + ", which this library cannot read");
        if (header[kDescriptionAt] > kDescriptionCapacity) fail(Names.GDD, "has a damaged header");
    }

    const std::vector<std::uint8_t> items = ReadWholeFile(Names.GDS);
    const std::size_t count = items.size() / GdbDataBytes;
    const bool partial = items.size() % GdbDataBytes != 0;
    out.Items.resize(count);
    std::vector<std::int32_t> ids(count);
    for (std::size_t r = 0; r < count; ++r) {
        const std::uint8_t* raw = items.data() + r * GdbDataBytes;
        out.Items[r] = DecodeGdbData(raw);
        const std::string fault = RecordFault(raw, out.Items[r], dataSize);
        if (!fault.empty()) fail(Names.GDS, "is damaged: entry " + std::to_string(r + 1) + " has " + fault);
        ids[r] = out.Items[r].ItemId;
    }
    // A deletion killed between moving the last record and cutting the file leaves
    // that record twice, byte for byte: opening finishes the cut, it is no damage.
    if (count >= 2) {
        const std::uint8_t* last = items.data() + (count - 1) * GdbDataBytes;
        for (std::size_t r = 0; r + 1 < count; ++r)
            if (std::memcmp(items.data() + r * GdbDataBytes, last, GdbDataBytes) == 0) {
                ids.pop_back();
                break;
            }
    }
    std::sort(ids.begin(), ids.end());
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end())
        fail(Names.GDS, "is damaged: an identifier occurs twice");

    std::size_t expected = 0;
    for (int i = 0; i <= 4; ++i) {
        const std::string& path = Names.IX[static_cast<std::size_t>(i)];
        out.IxPresent[static_cast<std::size_t>(i)] = ProbeFile(path);
        if (!out.IxPresent[static_cast<std::size_t>(i)]) continue;
        if (i == 0) {
            out.Ix0 = ReadItemIDIndexFile(path);
            expected = std::max(expected, out.Ix0.size());
        } else {
            auto& ix = out.IxLL[static_cast<std::size_t>(i - 1)];
            ix = ReadLLIndexFile(path);
            expected = std::max(expected, ix.size());
        }
    }
    // An add cut short leaves a partial record behind the ones its indexes cover; a
    // partial record where the indexes know of more is what remains of a cut file.
    if (partial && expected > count)
        fail(Names.GDS, "is cut short: it holds " + std::to_string(count) + " whole entries where its indexes list " +
                            std::to_string(expected));
    return out;
}

std::string UnstorableNameReason(const TgdbName& Name) {
    if (Name.Inexact)
        return "the name has characters outside Windows-1252 or more than " + std::to_string(TgdbName::Capacity) +
               " characters";
    for (const char c : Name.Ansi())
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "the name has control characters";
    return {};
}

}  // namespace zylcarto
