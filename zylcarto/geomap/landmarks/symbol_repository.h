#pragma once
/// @file
/// TSymbolRepository: a numbered library of named landmark symbols, kept in a
/// file of the calibration family, with a backup copy and copying between
/// repositories. Symbols are numbered 1..NumEntries.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"

namespace zylcarto {

class TTextFile;
class TXmlSource;
class TSymbolRepositoryPrivate;

/// One repository entry: a symbol with a name and a category.
struct TSymbol {
    /// How the symbol is drawn.
    TSymbolProperties Properties;
    /// Name, at most 40 ANSI characters.
    TShortString<40> Name;
    /// The host's category number.
    std::int32_t Category = 0;
    /// Equal when every field is.
    friend bool operator==(const TSymbol&, const TSymbol&) = default;
};

/// Cross, size 8, black on red, opaque, direction 90, length 40, no name, category 0.
ZYLCARTO_EXPORT TSymbol DefaultSymbolRecord();

/// The symbols of the set DataID (any case; empty: the first set) from the
/// header on, up to "/geomap" or the end of the input, replacing Symbols. False,
/// with Symbols unchanged, when there is no such set; unreadable attributes read
/// as 0 and never raise.
ZYLCARTO_EXPORT bool ReadSymbolSet(TXmlSource& Source, std::string_view DataID, std::vector<TSymbol>& Symbols);

/// A symbol library component. It owns its entries and its backup; use it from
/// one thread. Index errors never raise: reads outside the range give
/// DefaultSymbolRecord(), writes there do nothing.
class ZYLCARTO_EXPORT TSymbolRepository : public TComponent {
public:
    /// An empty repository (NumEntries 0, no backup), owned by AOwner when given.
    explicit TSymbolRepository(TComponent* AOwner = nullptr);
    /// Frees the entries and the backup.
    ~TSymbolRepository() override;

    /// Number of symbols.
    int NumEntries() const;
    /// Sets the number of entries; entries beyond the previous count are all zero
    /// (lmPlus, size 0, colours 0, no name). Negative values are ignored.
    void SetNEntries(int Value);
    /// Entry Index, or DefaultSymbolRecord() outside 1..NumEntries.
    TSymbol GetValues(int Index) const;
    /// Replaces entry Index; nothing outside 1..NumEntries.
    void SetValues(int Index, const TSymbol& Value);
    /// The same as GetValues.
    TSymbol Symbols(int Index) const { return GetValues(Index); }

    /// Every entry becomes DefaultSymbolRecord(); the count stays.
    void Clear();
    /// Keeps a copy of the entries and their count.
    void Backup();
    /// Goes back to the copy Backup kept (an empty list before any backup).
    void Restore();

    /// Copies the entries and the backup of another repository (not its name or
    /// owner). Any other source, null included, raises EZYLError.
    void Assign(const TObject* Source);
    /// Dest.Assign(this) when Dest is a repository; any other destination raises EZYLError.
    void AssignTo(TObject* Dest) const;

    /// Writes all entries as the set DataID, creating or overwriting the file; I/O
    /// failures raise EInOutError.
    void StoreOnFile(const std::string& FName, const std::string& DataID) const;
    /// Replaces the entries by the set DataID of the file (empty: the first set); false,
    /// entries unchanged, when the file cannot be opened or holds no such set.
    bool LoadFromFile(const std::string& FName, const std::string& DataID);
    /// Reads one set from the current position of a text file opened for reading, as
    /// LoadFromFile.
    bool ReadFromOpenXMLFile(TTextFile& F, const std::string& DataID);

private:
    [[noreturn]] void RaiseCannotAssign() const;

    const std::unique_ptr<TSymbolRepositoryPrivate> d;
};

}  // namespace zylcarto
