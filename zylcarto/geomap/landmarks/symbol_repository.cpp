#include "zylcarto/geomap/landmarks/symbol_repository.h"

#include "zylcarto/geomap/landmarks/symbol_repository_p.h"

#include <algorithm>

#include "zylcarto/geomap/calibration/calib_text.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/support/ansi.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

constexpr std::size_t kInitialCapacity = 1000;

TSymbol ZeroSymbol() {
    TSymbol s;
    s.Properties = {lmPlus, 0, 0, 0, false, 0, 0};
    return s;
}

TSymbol SymbolFromAttributes(std::string_view A) {
    TSymbol s = ZeroSymbol();
    std::size_t p = 0;
    s.Category = ScanInteger(GetAttribute(A, "category"));
    s.Name.AssignAnsi(GetAttribute(A, "name"));
    s.Properties.FGColor = static_cast<TColor>(ScanHex(GetAttribute(A, "colorfg"), p));
    p = 0;
    s.Properties.BGColor = static_cast<TColor>(ScanHex(GetAttribute(A, "colorbg"), p));
    s.Properties.Size = ScanInteger(GetAttribute(A, "size"));
    s.Properties.Transparent = LowerCase(GetAttribute(A, "transp")).find("true") != std::string::npos;
    s.Properties.Direction = ScanInteger(GetAttribute(A, "dir"));
    s.Properties.Length = ScanInteger(GetAttribute(A, "leng"));
    s.Properties.Kind = LandMarkElementFromName(GetAttribute(A, "element"));
    return s;
}

std::string SymbolLine(const TSymbol& s) {
    const TSymbolProperties& p = s.Properties;
    const auto kind = static_cast<std::size_t>(p.Kind);
    const std::string_view element = kind < LMTypeNames.size() ? LMTypeNames[kind] : "Cross";
    return "<symbol element=\"" + std::string(element) + "\" name=\"" + QuotableText(s.Name.Ansi()) + "\" category=\"" +
           std::to_string(s.Category) + "\" colorfg=\"" + Hex(p.FGColor, 8) + "\" colorbg=\"" + Hex(p.BGColor, 8) +
           "\" size=\"" + std::to_string(p.Size) + "\" transp=\"" + std::string(BoolText(p.Transparent)) + "\" dir=\"" +
           std::to_string(p.Direction) + "\" leng=\"" + std::to_string(p.Length) + "\" />";
}

}  // namespace

TSymbol DefaultSymbolRecord() {
    TSymbol s;
    s.Properties = {lmCross, 8, 0x000000, 0x0000FF, false, 90, 40};
    return s;
}

bool ReadSymbolSet(TXmlSource& Source, std::string_view DataID, std::vector<TSymbol>& Symbols) {
    std::string header;
    if (!FindDataSetHeader(Source, "<lmsymbols", DataID, header)) return false;
    std::vector<TSymbol> read;
    std::string attributes, content;
    for (;;) {
        const std::uint8_t tag = Source.ReadTag(attributes, content);
        if (tag == ctGeoMapEnd || tag == ctInvalidTag) break;
        if (tag == ctSymbol) read.push_back(SymbolFromAttributes(attributes));
    }
    Symbols = std::move(read);
    return true;
}

TSymbolRepository::TSymbolRepository(TComponent* AOwner)
    : TComponent(AOwner), d(std::make_unique<TSymbolRepositoryPrivate>()) {
    d->Symbols.assign(kInitialCapacity, ZeroSymbol());
}

TSymbolRepository::~TSymbolRepository() = default;

int TSymbolRepository::NumEntries() const { return d->NEntries; }

void TSymbolRepository::SetNEntries(int Value) {
    if (Value < 0) return;
    const auto n = static_cast<std::size_t>(Value);
    // Slots past the count may hold entries of an earlier, longer list: clear them.
    for (std::size_t i = static_cast<std::size_t>(d->NEntries); i < std::min(n, d->Symbols.size()); ++i)
        d->Symbols[i] = ZeroSymbol();
    d->Symbols.resize(n, ZeroSymbol());
    d->NEntries = Value;
}

TSymbol TSymbolRepository::GetValues(int Index) const {
    if (Index < 1 || Index > d->NEntries) return DefaultSymbolRecord();
    return d->Symbols[static_cast<std::size_t>(Index - 1)];
}

void TSymbolRepository::SetValues(int Index, const TSymbol& Value) {
    if (Index < 1 || Index > d->NEntries) return;
    d->Symbols[static_cast<std::size_t>(Index - 1)] = Value;
}

void TSymbolRepository::Clear() { std::fill_n(d->Symbols.begin(), d->NEntries, DefaultSymbolRecord()); }

void TSymbolRepository::Backup() {
    d->SymbolsBak.assign(d->Symbols.begin(), d->Symbols.begin() + d->NEntries);
    d->NEntriesBak = d->NEntries;
}

void TSymbolRepository::Restore() {
    d->Symbols = d->SymbolsBak;
    d->NEntries = d->NEntriesBak;
}

void TSymbolRepository::RaiseCannotAssign() const {
    throw EZYLError(ComponentMessage(Name(), "cannot assign between a TSymbolRepository and another kind of object"));
}

void TSymbolRepository::Assign(const TObject* Source) {
    const auto* other = dynamic_cast<const TSymbolRepository*>(Source);
    if (!other) RaiseCannotAssign();
    if (other == this) return;
    *d = *other->d;
}

void TSymbolRepository::AssignTo(TObject* Dest) const {
    auto* other = dynamic_cast<TSymbolRepository*>(Dest);
    if (!other) RaiseCannotAssign();
    other->Assign(this);
}

void TSymbolRepository::StoreOnFile(const std::string& FName, const std::string& DataID) const {
    TTextFile f;
    f.OpenWrite(FName);
    f.WriteLn("<?xml version=\"1.0\"?>");
    f.WriteLn("");
    f.WriteLn("<!-- TGeoMap Landmark Repository / Zyl Component Suite -->");
    f.WriteLn("<lmsymbols sig=\"ZYLCSuite\" vers=\"1.0\" id=\"" + QuotableText(Utf8ToAnsi(DataID)) + "\">");
    for (int i = 0; i < d->NEntries; ++i) f.WriteLn(SymbolLine(d->Symbols[static_cast<std::size_t>(i)]));
    f.WriteLn("</lmsymbols>");
    f.Close();
}

bool TSymbolRepository::LoadFromFile(const std::string& FName, const std::string& DataID) {
    TTextFile f;
    if (!f.OpenRead(FName)) return false;
    const bool found = ReadFromOpenXMLFile(f, DataID);
    f.Close();
    return found;
}

bool TSymbolRepository::ReadFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
    TTextFileSource source(F);
    std::vector<TSymbol> read;
    if (!ReadSymbolSet(source, DataID, read)) return false;
    d->NEntries = static_cast<int>(read.size());
    if (read.size() < kInitialCapacity) read.resize(kInitialCapacity, ZeroSymbol());
    d->Symbols = std::move(read);
    return true;
}

}  // namespace zylcarto
