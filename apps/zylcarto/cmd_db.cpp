// zylcarto db ...: create, inspect and change a geographic database (TGeoDB).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <functional>
#include <map>
#include <unistd.h>

#include "cli.h"
#include "exchange_cmds.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/geodb/geodb_check.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/strings.h"

namespace zylcarto::cli {
namespace {

constexpr double kEarthRadiusKm = 6371.0088;

// The name as the database will store it, exactly; with --truncate a name too long
// for the field is cut to it, anything else that would change it is refused.
std::string StorableName(const std::string& text, bool truncate) {
    const std::string ansi = Utf8ToAnsi(text);
    if (AnsiToUtf8(ansi) != text)
        throw EOperationFailed("the name \"" + text +
                               "\" has characters that the database cannot store (Windows-1252 only)");
    if (std::any_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        throw EOperationFailed("the name \"" + text + "\" has control characters");
    if (ansi.size() > TgdbName::Capacity && !truncate)
        throw EOperationFailed("the name \"" + text + "\" is longer than " + std::to_string(TgdbName::Capacity) +
                               " characters (--truncate stores its start)");
    return AnsiToUtf8(ansi.substr(0, TgdbName::Capacity));
}

bool Exists(const std::string& name) { return std::filesystem::exists(StripExtension(name) + ".zylgds"); }

// Opens a database that must already be there: the library would create a missing one.
void OpenExisting(TGeoDB& db, const std::string& name) {
    if (!Exists(name)) throw EUsageError("no database \"" + name + "\" (create it with: zylcarto db create NAME)");
    db.SetDBName(name);
}

void Need(const TArgs& a, std::size_t n, const char* usage) {
    RejectUnknownOptions(a);
    if (a.size() != n) throw EUsageError(std::string("usage: zylcarto db ") + usage);
}

int Entry(const TGeoDB& db, const std::string& text) {
    const int e = ParseInt(text, "ENTRY");
    if (e < 1 || e > db.NumEntries())
        throw EUsageError("entry " + text + " does not exist (the database holds " + std::to_string(db.NumEntries()) +
                          " entries)");
    return e;
}

// A latitude (Axis dmsLatitude, within the poles) or a longitude (within -180..180).
double Coordinate(const std::string& text, const char* what, TDMSAxis axis) {
    const double limit = axis == dmsLatitude ? 90 : 180;
    const double v = ParseDegrees(text, what, axis);
    if (std::fabs(v) > limit) throw EUsageError(std::string(what) + " out of range: " + text);
    return v;
}

std::string ListLine(const TGeoDB& db, int e) {
    const TgdbData r = db.Data(e);
    return std::to_string(e) + '\t' + std::to_string(r.ItemId) + '\t' + std::string(GdbItemName(r.ItemKind)) + '\t' +
           r.Name.Str() + '\t' + std::to_string(r.ClassFlag) + '\t' + FormatShortest(r.LatLow) + '\t' +
           FormatShortest(r.LatHigh) + '\t' + FormatShortest(r.LongLow) + '\t' + FormatShortest(r.LongHigh);
}

int Create(TArgs a) {
    Need(a, 1, "create NAME");
    if (Exists(a[0])) throw EUsageError("database \"" + a[0] + "\" already exists");
    TGeoDB db;
    db.SetDBName(a[0]);
    db.SetDBName("");
    return 0;
}

int Info(TArgs a) {
    Need(a, 1, "info NAME");
    TGeoDB db;
    OpenExisting(db, a[0]);
    std::printf("name\t%s\nversion\t%d\ndescription\t%s\nrevision\t%d\nhighest id\t%d\nentries\t%d\n",
                db.DBName().c_str(), db.DBVersion(), db.Description().c_str(), db.Revision(), db.HighestID(),
                db.NumEntries());
    std::array<int, GdbItemCount> counts{};
    for (int e = 1; e <= db.NumEntries(); ++e) ++counts[static_cast<std::size_t>(db.Data(e).ItemKind)];
    for (int k = 0; k < GdbItemCount; ++k)
        if (counts[static_cast<std::size_t>(k)] > 0)
            std::printf("%s\t%d\n", std::string(GDB_ITEMNAMES[static_cast<std::size_t>(k)]).c_str(),
                        counts[static_cast<std::size_t>(k)]);
    return 0;
}

int List(TArgs a) {
    Need(a, 1, "list NAME");
    TGeoDB db;
    OpenExisting(db, a[0]);
    for (int e = 1; e <= db.NumEntries(); ++e) std::printf("%s\n", ListLine(db, e).c_str());
    return 0;
}

int AddTown(TArgs a) {
    const auto cls = TakeOption(a, "--class");
    const auto alt = TakeOption(a, "--alt");
    const bool truncate = TakeFlag(a, "--truncate");
    Need(a, 4, "add-town NAME TOWN LAT LON [--class N] [--alt METRES] [--truncate]");
    const std::string town = StorableName(a[1], truncate);
    const double lat = Coordinate(a[2], "LAT", dmsLatitude), lon = Coordinate(a[3], "LON", dmsLongitude);
    const int classNumber = cls ? ParseInt(*cls, "--class") : 0;
    if (classNumber < 0 || classNumber > 255) throw EUsageError("--class must be 0 to 255");
    const double altitude = alt ? ParseDouble(*alt, "--alt") : 0;
    // stored as a single: beyond its range it would become infinity
    if (std::fabs(altitude) > std::numeric_limits<float>::max()) throw EUsageError("--alt out of range: " + *alt);
    TGeoDB db;
    OpenExisting(db, a[0]);
    const int e = db.AddTown(town, Now(), 0, {static_cast<float>(lat), static_cast<float>(lon)},
                             static_cast<float>(altitude), static_cast<std::uint8_t>(classNumber), 0);
    std::printf("%d\n", e);
    return 0;
}

TgdbPolygon ReadVertices(const std::string& path) {
    std::ifstream in(path);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(path, ec)) throw EUsageError("cannot read \"" + path + "\"");
    TgdbPolygon poly;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto f = SplitFields(line);
        if (f.empty() || f[0][0] == '#') continue;
        const std::string where = path + " line " + std::to_string(n);
        if (f.size() != 2) throw EUsageError(where + ": expected \"LAT LON\"");
        poly.push_back({static_cast<float>(Coordinate(f[0], (where + ": latitude").c_str(), dmsLatitude)),
                        static_cast<float>(Coordinate(f[1], (where + ": longitude").c_str(), dmsLongitude))});
    }
    if (in.bad()) throw EUsageError("cannot read \"" + path + "\"");
    return poly;
}

int AddPolygon(TArgs a) {
    const bool closed = TakeFlag(a, "--closed");
    const bool truncate = TakeFlag(a, "--truncate");
    Need(a, 4, "add-polygon NAME KIND NAME-OF-ITEM VERTICES.txt [--closed] [--truncate]");
    TgdbItem kind = gitUndefined;
    for (int k = 0; k < GdbItemCount; ++k)
        if (IsPolygonKind(static_cast<TgdbItem>(k)) && SameText(a[1], GDB_ITEMNAMES[static_cast<std::size_t>(k)]))
            kind = static_cast<TgdbItem>(k);
    if (kind == gitUndefined)
        throw EUsageError("KIND must be one of border, city, lake, river, road, route: \"" + a[1] + "\"");
    if (closed && kind != gitBorder && kind != gitCity && kind != gitLake)
        throw EUsageError("--closed applies to borders and cities (lakes are always closed)");
    const std::string item = StorableName(a[2], truncate);
    const TgdbPolygon poly = ReadVertices(a[3]);
    // a line needs two vertices and an outline three; fewer would be stored with an inverted box
    const std::size_t needed = closed || kind == gitLake ? 3 : 2;
    if (poly.size() < needed)
        throw EUsageError("\"" + a[3] + "\" holds " + std::to_string(poly.size()) + " vertices; a " +
                          (needed == 3 ? "closed outline" : "line") + " needs at least " + std::to_string(needed));
    TGeoDB db;
    OpenExisting(db, a[0]);
    const TDateTime now = Now();
    int e = 0;
    switch (kind) {
    case gitBorder: e = db.AddBorder(item, poly, closed, now, 0, 0, 0, 0, 0, 0, 0, 0); break;
    case gitCity: e = db.AddCity(item, poly, closed, now, 0, 0, 0, 0, 0, 0, 0, 0); break;
    case gitLake: e = db.AddLake(item, poly, now, 0, 0, 0, 0, 0, 0, 0, 0); break;
    case gitRiver: e = db.AddRiver(item, poly, now, 0, 0, 0, 0, 0, 0, 0, 0); break;
    case gitRoad: e = db.AddRoad(item, poly, now, 0, 0, 0, 0, 0, 0, 0, 0); break;
    default: e = db.AddRoute(item, poly, now, 0, 0, 0, 0, 0, 0, 0, 0); break;
    }
    std::printf("%d\n", e);
    return 0;
}

int AddBlob(TArgs a) {
    const auto caption = TakeOption(a, "--caption");
    const bool truncate = TakeFlag(a, "--truncate");
    Need(a, 2, "add-blob NAME FILE [--caption TEXT] [--truncate]");
    if (!std::filesystem::is_regular_file(a[1])) throw EUsageError("no file \"" + a[1] + "\"");
    const std::string item = StorableName(std::filesystem::path(a[1]).filename().string(), truncate);
    TMetaInfo meta;
    if (caption) meta.Caption = *caption;
    TGeoDB db;
    OpenExisting(db, a[0]);
    std::printf("%d\n", db.AddBLOB(a[1], item, 0, 0, 0, 0, 0, 0, 0, 0, 0, meta));
    return 0;
}

int GetBlob(TArgs a) {
    Need(a, 3, "get-blob NAME ENTRY OUTFILE");
    TGeoDB db;
    OpenExisting(db, a[0]);
    const int e = Entry(db, a[1]);
    if (db.Data(e).ItemKind != gitBLOB) throw EUsageError("entry " + a[1] + " is not a binary object");
    TMetaInfo meta;
    if (!db.RetrieveBLOB(e, a[2], meta)) throw EOperationFailed("the data block of entry " + a[1] + " is damaged");
    return 0;
}

// By identifier, which stays with its item: an entry number is the item's only
// until another process deletes something.
int Delete(TArgs a) {
    const bool byEntry = TakeFlag(a, "--entry");
    Need(a, 2, "delete NAME ID | delete NAME --entry ENTRY");
    TGeoDB db;
    OpenExisting(db, a[0]);
    // an entry names the item it held when the database was opened here
    const int id = byEntry ? db.Data(Entry(db, a[1])).ItemId : ParseInt(a[1], "ID");
    if (!db.DeleteItem(id))
        throw EOperationFailed(std::string("no item with identifier ") + std::to_string(id) + " in \"" + a[0] +
                               "\"" + (byEntry ? " (another process deleted it)" : "") + "; nothing was deleted");
    return 0;
}

int Find(TArgs a) {
    Need(a, 2, "find NAME ITEM-NAME");
    TGeoDB db;
    OpenExisting(db, a[0]);
    for (int e = db.SearchData(a[1]); e > 0; e = db.SearchData(a[1], gitUndefined, e + 1, 255))
        std::printf("%s\n", ListLine(db, e).c_str());
    return 0;
}

// Entry numbers of the items whose box meets the window [latBottom, latTop] x
// [lonLeft, lonRight], found through whichever of the four coordinate indexes
// narrows the search most. Boxes that are inverted or not numbers have no place.
std::vector<int> ItemsMeeting(const TGeoDB& db, double latBottom, double latTop, double lonLeft, double lonRight) {
    const int n = db.NumEntries();
    // low edges up to the window's far side: positions 1 .. p-1
    int p1 = db.GetClosestLatLowIx(latTop);
    while (p1 <= n && db.IxLatLow(p1).LLValue <= latTop) ++p1;
    int p3 = db.GetClosestLongLowIx(lonRight);
    while (p3 <= n && db.IxLongLow(p3).LLValue <= lonRight) ++p3;
    // high edges from the window's near side: positions q .. n
    int q2 = db.GetClosestLatHighIx(latBottom);
    while (q2 > 1 && db.IxLatHigh(q2 - 1).LLValue >= latBottom) --q2;
    int q4 = db.GetClosestLongHighIx(lonLeft);
    while (q4 > 1 && db.IxLongHigh(q4 - 1).LLValue >= lonLeft) --q4;
    const std::array<int, 4> sizes = {p1 - 1, n - q2 + 1, p3 - 1, n - q4 + 1};
    const auto best = static_cast<int>(std::min_element(sizes.begin(), sizes.end()) - sizes.begin());
    std::vector<int> out;
    for (int i = 0; i < sizes[static_cast<std::size_t>(best)]; ++i) {
        const int e = best == 0   ? db.IxLatLow(1 + i).index
                      : best == 1 ? db.IxLatHigh(q2 + i).index
                      : best == 2 ? db.IxLongLow(1 + i).index
                                  : db.IxLongHigh(q4 + i).index;
        const TgdbData r = db.Data(e);
        if (r.LatLow <= r.LatHigh && r.LongLow <= r.LongHigh && r.LatLow <= latTop && r.LatHigh >= latBottom &&
            r.LongLow <= lonRight && r.LongHigh >= lonLeft)
            out.push_back(e);
    }
    return out;
}

constexpr double kRad = M_PI / 180;

// Central angle in radians between two positions in degrees (haversine: exact for small angles).
double Angle(double lat1, double lon1, double lat2, double lon2) {
    const double s1 = std::sin((lat2 - lat1) * kRad / 2), s2 = std::sin((lon2 - lon1) * kRad / 2);
    const double h = s1 * s1 + std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * s2 * s2;
    return 2 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
}

// Angle from a position to the nearest point of an item's box on the sphere.
double AngleToBox(const TgdbData& r, double lat, double lon) {
    const double lo = r.LatLow, hi = r.LatHigh;
    // within the box's longitudes the nearest point lies on the position's own meridian
    if (lon >= r.LongLow && lon <= r.LongHigh) return Angle(lat, lon, std::clamp(lat, lo, hi), lon);
    // otherwise on one of the two meridian edges: at an end or where the edge's great
    // circle comes closest, along which the distance has one minimum
    double best = std::numeric_limits<double>::max();
    for (const double edge : {static_cast<double>(r.LongLow), static_cast<double>(r.LongHigh)}) {
        const double foot =
            std::atan2(std::sin(lat * kRad), std::cos(lat * kRad) * std::cos((lon - edge) * kRad)) / kRad;
        best = std::min({best, Angle(lat, lon, lo, edge), Angle(lat, lon, hi, edge)});
        if (foot >= lo && foot <= hi) best = std::min(best, Angle(lat, lon, foot, edge));
    }
    return best;
}

// Items whose box may lie within `angle` of the position: the bounding box of that
// cap on the sphere, over a pole when it reaches one, split at the 180th meridian.
std::vector<int> ItemsWithin(const TGeoDB& db, double lat, double lon, double angle) {
    constexpr double margin = 1e-6;  // degrees, for the keys' rounding to singles
    const double dLat = angle / kRad + margin;
    std::vector<std::array<double, 4>> windows;
    if (lat + dLat >= 90 || lat - dLat <= -90 || angle >= M_PI / 2) {
        windows.push_back({std::max(-90.0, lat - dLat), std::min(90.0, lat + dLat), -180, 180});
    } else {
        const double s = std::sin(angle) / std::cos(lat * kRad);
        const double dLon = s >= 1 ? 180 : std::asin(s) / kRad + margin;
        const double left = lon - dLon, right = lon + dLon;
        if (dLon >= 180)
            windows.push_back({lat - dLat, lat + dLat, -180, 180});
        else {
            windows.push_back({lat - dLat, lat + dLat, std::max(left, -180.0), std::min(right, 180.0)});
            if (left < -180) windows.push_back({lat - dLat, lat + dLat, left + 360, 180});
            if (right > 180) windows.push_back({lat - dLat, lat + dLat, -180, right - 360});
        }
    }
    std::vector<int> out;
    for (const auto& w : windows)
        for (int e : ItemsMeeting(db, w[0], w[1], w[2], w[3])) out.push_back(e);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

int Near(TArgs a) {
    Need(a, 3, "near NAME LAT LON");
    const double lat = Coordinate(a[1], "LAT", dmsLatitude), lon = Coordinate(a[2], "LON", dmsLongitude);
    TGeoDB db;
    OpenExisting(db, a[0]);
    // widen the cap until it meets a box, then take every box within the nearest one's distance
    std::vector<int> found = ItemsWithin(db, lat, lon, 0);
    for (double angle = 1e-5; found.empty() && angle < 2 * M_PI; angle *= 2) found = ItemsWithin(db, lat, lon, angle);
    double best = std::numeric_limits<double>::max();
    for (int e : found) best = std::min(best, AngleToBox(db.Data(e), lat, lon));
    if (!found.empty()) found = ItemsWithin(db, lat, lon, best);
    for (int e : found) best = std::min(best, AngleToBox(db.Data(e), lat, lon));
    // equal distances computed along different paths differ in the last bits
    constexpr double tie = 1e-12;
    std::vector<int> nearest;
    for (int e : found)
        if (AngleToBox(db.Data(e), lat, lon) <= best + tie) nearest.push_back(e);
    for (int e : nearest)
        std::printf("%s\t%s\n", ListLine(db, e).c_str(),
                    FormatFixed(AngleToBox(db.Data(e), lat, lon) * kEarthRadiusKm, 3).c_str());
    return 0;
}

int Gc(TArgs a) {
    Need(a, 1, "gc NAME");
    TGeoDB db;
    OpenExisting(db, a[0]);
    ShowProgress(db, "gc");
    const std::string data = db.DBName() + ".zylgdd";
    const auto before = std::filesystem::file_size(data);
    db.GarbageCollection();
    std::printf("%ju -> %ju bytes\n", static_cast<std::uintmax_t>(before),
                static_cast<std::uintmax_t>(std::filesystem::file_size(data)));
    return 0;
}

int Check(TArgs a) {
    Need(a, 1, "check NAME");
    if (!Exists(a[0])) throw EUsageError("no database \"" + a[0] + "\"");
    const auto findings = CheckDatabase(a[0]);
    int damage = 0;
    for (const auto& f : findings) {
        std::printf("%s\t%s\n", f.Damage ? "damage" : "note", f.Text.c_str());
        damage += f.Damage ? 1 : 0;
    }
    if (damage > 0) {
        std::fprintf(stderr, "zylcarto: \"%s\" is damaged (%d findings); zylcarto db recover copies what is readable\n",
                     a[0].c_str(), damage);
        return ExitFailed;
    }
    std::printf("ok\n");
    return 0;
}

int Recover(TArgs a) {
    Need(a, 2, "recover SRC DEST");
    if (!Exists(a[0])) throw EUsageError("no database \"" + a[0] + "\"");
    const TGeoDBRecovery r = RecoverDatabase(a[0], a[1]);
    for (const auto& s : r.Skipped) std::fprintf(stderr, "zylcarto: left out %s\n", s.c_str());
    std::printf("%d items recovered, %zu left out\n", r.Copied, r.Skipped.size());
    return r.Skipped.empty() ? 0 : ExitFailed;
}

}  // namespace

namespace {

// "What: 42%" over itself; the line ends at 100.
std::function<void(int)> ProgressLine(const char* What) {
    return [What, last = -1](int Percent) mutable {
        if (Percent == last) return;
        last = Percent;
        std::fprintf(stderr, "\r%s: %3d%%%s", What, Percent, Percent >= 100 ? "\n" : "");
        std::fflush(stderr);
    };
}

}  // namespace

void ShowProgress(TGeoDB& DB, const char* What) {
    if (::isatty(STDERR_FILENO) == 0) return;
    DB.SetOnPercentDone([line = ProgressLine(What)](TObject*, int Percent) { line(Percent); });
}

std::function<void()> ShowBlockProgress(TGeoDB& DB, const char* What) {
    int blocks = 0;
    for (int e = 1; e <= DB.NumEntries(); ++e)
        if (IsPolygonKind(DB.Data(e).ItemKind) || DB.Data(e).ItemKind == gitBLOB) ++blocks;
    if (::isatty(STDERR_FILENO) == 0 || blocks == 0) return [] {};
    auto line = ProgressLine(What);
    // every retrieval of a block starts with a report of 0
    DB.SetOnPercentDone([line, blocks, done = 0](TObject*, int Percent) mutable {
        if (Percent == 0) line(std::min(99, 100 * ++done / blocks));
    });
    return [line]() mutable { line(100); };
}

namespace {

int RunDb(const TArgs& args) {
    static const std::map<std::string, int (*)(TArgs)> actions = {{"create", Create},
                                                                  {"info", Info},
                                                                  {"list", List},
                                                                  {"add-town", AddTown},
                                                                  {"add-polygon", AddPolygon},
                                                                  {"add-blob", AddBlob},
                                                                  {"get-blob", GetBlob},
                                                                  {"delete", Delete},
                                                                  {"find", Find},
                                                                  {"near", Near},
                                                                  {"gc", Gc},
                                                                  {"check", Check},
                                                                  {"recover", Recover},
                                                                  {"export-gpkg", RunDbExportGpkg}};
    if (args.empty()) throw EUsageError("db needs an action (see zylcarto db --help)");
    const auto it = actions.find(args[0]);
    if (it == actions.end()) throw EUsageError("unknown db action \"" + args[0] + "\" (see zylcarto db --help)");
    return it->second(TArgs(args.begin() + 1, args.end()));
}

const TRegistrar reg{{"db", "create, inspect and change a geographic database",
                      "usage: zylcarto db ACTION NAME ...\n"
                      "NAME is the database's base name (any extension is ignored).\n"
                      "  create NAME                       new empty database\n"
                      "  info NAME                         header and the number of items of each kind\n"
                      "  list NAME                         one line per entry: entry, id, kind, name, class,\n"
                      "                                    LatLow, LatHigh, LongLow, LongHigh (tab-separated)\n"
                      "  add-town NAME TOWN LAT LON [--class N] [--alt METRES] [--truncate]\n"
                      "  add-polygon NAME KIND ITEM VERTICES.txt [--closed] [--truncate]\n"
                      "                                    KIND: border city lake river road route;\n"
                      "                                    VERTICES.txt: one \"LAT LON\" per line, # comments\n"
                      "  add-blob NAME FILE [--caption TEXT] [--truncate]\n"
                      "  get-blob NAME ENTRY OUTFILE       writes a binary object to OUTFILE\n"
                      "  delete NAME ID                    deletes the item with identifier ID (exit 1 when\n"
                      "                                    there is none); the last entry takes its number\n"
                      "  delete NAME --entry ENTRY         the item at that entry number as listed now\n"
                      "  find NAME ITEM                    entries of that name (case and trailing blanks ignored)\n"
                      "  near NAME LAT LON                 the nearest items on the sphere (all at the least\n"
                      "                                    distance, 0 for boxes holding the position); list\n"
                      "                                    columns plus the distance in km\n"
                      "  gc NAME                           drops unreferenced data blocks\n"
                      "  check NAME                        checks every file without changing any; one line\n"
                      "                                    per finding (damage or note), exit 1 on damage\n"
                      "  recover SRC DEST                  copies every readable item of SRC into the new\n"
                      "                                    database DEST; exit 1 when any was left out\n"
                      "  export-gpkg NAME OUT.gpkg         GeoPackage 1.2: a layer per item kind (WGS 84,\n"
                      "                                    R-tree indexed) and a table of binary objects\n"
                      "A change that fails (exit 1) is rolled back: nothing of it is stored.\n"
                      "Add actions print the new entry number. Names are stored exactly or refused\n"
                      "(exit 1): Windows-1252 characters only, no control characters, at most 59\n"
                      "characters unless --truncate allows cutting them.\n",
                      RunDb}};

}  // namespace
}  // namespace zylcarto::cli
