// The map in a form designer and while a form loader restores its properties:
// the property side of the files and of the calibration values they carry.
#include <QEvent>
#include <exception>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

// The order in which kept work runs at the end of loading: each stage refines what the one before loaded.
enum TLoadStage { lsCalibrationFile, lsMapImageFile, lsCalibration };

bool IsInputEvent(QEvent::Type Type) {
    switch (Type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::NativeGesture:
    case QEvent::ContextMenu: return true;
    default: return false;
    }
}

}  // namespace

void TGeoMap::SetDesigning(bool Value) {
    FState.SetDesigning(Value);
    Paint();
}

void TGeoMap::Loaded() {
    if (!FState.Loading()) return;
    try {
        FState.EndLoading();
    } catch (...) {
        Paint();  // what the failed load left, shown as after any failed load
        throw;
    }
    Paint();
}

bool TGeoMap::event(QEvent* Event) {
    if (Event->type() == QEvent::Polish && FState.Loading()) {
        try {
            Loaded();
        } catch (const std::exception&) {
            // A form restored from its file has no caller to hear of a file it
            // could not load; the map stays as the failed load left it.
        }
    }
    if (FState.Designing() && IsInputEvent(Event->type())) {
        Event->ignore();  // the designer's, not the host's: no handler of the map runs
        return false;
    }
    return PinchEvent(Event) || QWidget::event(Event);
}

void TGeoMap::SetCalibDataFileQ(const QString& Value) {
    const std::string Name = Value.toStdString();
    if (FState.Designing()) {
        FCalib.StoreCalDatName(Name);
        Paint();
        return;
    }
    FState.RunOrKeep(lsCalibrationFile, "CalibDataFile", [this, Name] { SetCalDatName(Name); });
}

void TGeoMap::SetMapImgFileQ(const QString& Value) {
    const std::string Name = Value.toStdString();
    if (FState.Designing()) {
        FMapImgName = Name;
        return;
    }
    FState.RunOrKeep(lsMapImageFile, "MapImgFile", [this, Name] { SetMapImgName(Name); });
}

void TGeoMap::SetCalibModelOrdinal(int Value) {
    if (Value < 0 || Value > static_cast<int>(cmProjected)) return;
    FState.RunOrKeep(lsCalibration, "CalibModel", [this, Value] { SetCalibModel(static_cast<TCalibModel>(Value)); });
}

void TGeoMap::SetUTMZoneProperty(int Value) {
    FState.RunOrKeep(lsCalibration, "UTMZone", [this, Value] { SetUTMZone(Value); });
}

void TGeoMap::SetUTMHemisphereOrdinal(int Value) {
    if (Value != static_cast<int>(hemiNorth) && Value != static_cast<int>(hemiSouth)) return;
    FState.RunOrKeep(lsCalibration, "UTMHemisphere",
                     [this, Value] { SetUTMHemisphere(static_cast<THemisphere>(Value)); });
}

std::string TGeoMap::PlaceholderText() const {
    const std::string& File = CalibDataFile();
    return File.empty() ? "TGeoMap" : "TGeoMap: " + StripPath(File);
}

}  // namespace zylcarto
