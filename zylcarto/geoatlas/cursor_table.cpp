#include "zylcarto/geoatlas/cursor_table.h"

#include <QPixmap>

namespace zylcarto {
namespace {

bool PlatformShape(TCursor Number, Qt::CursorShape& Shape) {
    switch (Number) {
    case crDefault:
    case crArrow: Shape = Qt::ArrowCursor; return true;
    case crCross: Shape = Qt::CrossCursor; return true;
    case crHourGlass: Shape = Qt::WaitCursor; return true;
    case crHandPoint: Shape = Qt::PointingHandCursor; return true;
    case crSizeAll: Shape = Qt::SizeAllCursor; return true;
    default: return false;
    }
}

// A resource cursor; when the resources were not linked in, a platform shape
// that means the same keeps the control usable.
QCursor ResourceCursor(const char* Name, int HotX, int HotY, Qt::CursorShape Fallback) {
    const QPixmap Picture(QStringLiteral(":/zylcarto/") + QLatin1String(Name));
    if (Picture.isNull()) return QCursor(Fallback);
    return QCursor(Picture, HotX, HotY);
}

}  // namespace

TCursorTable& TCursorTable::Instance() {
    static TCursorTable Table;
    return Table;
}

QCursor TCursorTable::Cursor(TCursor Number) const {
    Qt::CursorShape Shape;
    if (PlatformShape(Number, Shape)) return QCursor(Shape);
    const auto It = FEntries.find(Number);
    return It != FEntries.end() ? It->second : QCursor(Qt::ArrowCursor);
}

bool TCursorTable::Contains(TCursor Number) const {
    Qt::CursorShape Shape;
    return PlatformShape(Number, Shape) || FEntries.contains(Number);
}

void TCursorTable::SetCursor(TCursor Number, const QCursor& Value) {
    Qt::CursorShape Shape;
    if (PlatformShape(Number, Shape)) return;
    FEntries[Number] = Value;
}

void RegisterGeoCursors() {
    auto& Table = TCursorTable::Instance();
    // Hot spots: the centre of the lens, the tip of the middle finger.
    Table.SetCursor(crGeoZoom, ResourceCursor("CURGEOZOOM", 12, 12, Qt::CrossCursor));
    Table.SetCursor(crGeoHand, ResourceCursor("CURGEOHAND", 14, 3, Qt::OpenHandCursor));
}

}  // namespace zylcarto
