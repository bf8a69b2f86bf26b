#pragma once
// The application's table of cursors: hosts and controls refer to cursors by
// number, as the toolkit's cursor property does. Negative numbers are the
// platform's own shapes; the library enters its two map cursors under 1000 and
// 1001, and a host may enter its own under other numbers.
#include <QCursor>
#include <map>

#include "zylcarto/support/export.h"

namespace zylcarto {

using TCursor = int;

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crGeoZoom = 1000;  // resource "CURGEOZOOM"
inline constexpr TCursor crGeoHand = 1001;  // resource "CURGEOHAND"

class ZYLCARTO_EXPORT TCursorTable {
public:
    // The one table of the application.
    static TCursorTable& Instance();

    // The cursor entered under Number; the platform shape for the built-in
    // numbers; the default arrow for a number nobody entered.
    QCursor Cursor(TCursor Number) const;
    bool Contains(TCursor Number) const;
    // Enters or replaces a cursor; the platform shapes cannot be replaced.
    void SetCursor(TCursor Number, const QCursor& Value);

private:
    TCursorTable() = default;
    std::map<TCursor, QCursor> FEntries;
};

// Loads "CURGEOZOOM" and "CURGEOHAND" from the library's resources and enters
// them as crGeoZoom and crGeoHand. Needs a running QGuiApplication.
ZYLCARTO_EXPORT void RegisterGeoCursors();

}  // namespace zylcarto
