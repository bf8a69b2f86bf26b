#pragma once
/// @file
/// The application's table of cursors: hosts and controls refer to cursors by
/// number, as the toolkit's cursor property does. Negative numbers are the
/// platform's own shapes; the library enters its two map cursors under 1000 and
/// 1001, and a host may enter its own under other numbers.
#include <QCursor>
#include <map>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// A cursor number.
using TCursor = int;

/// The platform's arrow, as crArrow.
inline constexpr TCursor crDefault = 0;
/// The platform's arrow.
inline constexpr TCursor crArrow = -2;
/// The platform's cross hair.
inline constexpr TCursor crCross = -3;
/// The platform's wait cursor.
inline constexpr TCursor crHourGlass = -11;
/// The platform's pointing hand.
inline constexpr TCursor crHandPoint = -21;
/// The platform's four-way arrow.
inline constexpr TCursor crSizeAll = -22;
/// The map's zoom lens, resource "CURGEOZOOM".
inline constexpr TCursor crGeoZoom = 1000;
/// The map's panning hand, resource "CURGEOHAND".
inline constexpr TCursor crGeoHand = 1001;

/// The process's one cursor table. It owns its cursors; use it from the GUI thread
/// (QCursor is a GUI object). Nothing here raises.
class ZYLCARTO_EXPORT TCursorTable {
public:
    /// The one table of the application, made on first use.
    static TCursorTable& Instance();

    /// The cursor entered under Number; the platform shape for the built-in
    /// numbers; the default arrow for a number nobody entered.
    QCursor Cursor(TCursor Number) const;
    /// True for the built-in numbers and those entered.
    bool Contains(TCursor Number) const;
    /// Enters or replaces a cursor; the platform shapes cannot be replaced (ignored).
    void SetCursor(TCursor Number, const QCursor& Value);

private:
    TCursorTable() = default;
    std::map<TCursor, QCursor> FEntries;
};

/// Loads "CURGEOZOOM" and "CURGEOHAND" from the library's resources and enters
/// them as crGeoZoom and crGeoHand; without the resources linked in, the platform's
/// cross and open hand stand in. Needs a running QGuiApplication.
ZYLCARTO_EXPORT void RegisterGeoCursors();

}  // namespace zylcarto
