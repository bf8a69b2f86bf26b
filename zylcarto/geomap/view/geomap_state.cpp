// The map in a form designer and while a form loader restores its properties:
// the property side of the files and of the calibration values they carry.
#include <QEvent>
#include <exception>
#include <filesystem>

#include "zylcarto/geomap/view/file_lookup.h"
#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/support/errors.h"
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
    Q_D(TGeoMap);
    d->FState.SetDesigning(Value);
    Paint();
}

void TGeoMap::Loaded() {
    Q_D(TGeoMap);
    if (!d->FState.Loading()) return;
    try {
        d->FState.EndLoading();
    } catch (...) {
        Paint();  // what the failed load left, shown as after any failed load
        throw;
    }
    Paint();
}

bool TGeoMap::event(QEvent* Event) {
    Q_D(TGeoMap);
    if (Event->type() == QEvent::Polish && d->FState.Loading()) {
        try {
            Loaded();
        } catch (const std::exception&) {
            // A form restored from its file has no caller to hear of a file it
            // could not load; the map stays as the failed load left it.
        }
    }
    if (d->FState.Designing() && IsInputEvent(Event->type())) {
        Event->ignore();  // the designer's, not the host's: no handler of the map runs
        return false;
    }
    return PinchEvent(Event) || QWidget::event(Event);
}

void TGeoMap::SetCalibDataFileQ(const QString& Value) {
    Q_D(TGeoMap);
    const std::string Name = Value.toStdString();
    if (d->FState.Designing()) {
        d->FCalib.StoreCalDatName(Name);
        Paint();
        return;
    }
    if (!d->FState.Loading()) {
        SetCalDatName(FileInFolder(Name, d->FFormFolder));
        return;
    }
    d->FState.RunOrKeep(lsCalibrationFile, "CalibDataFile", [this, Name] {
        const std::string File = FileInFolder(Name, d_func()->FFormFolder);
        // A form names a file it needs: its absence is reported to whoever ends the loading.
        std::error_code ec;
        if (!File.empty() && !std::filesystem::is_regular_file(File, ec))
            throw EZYLGeoMapError(ComponentMessage(this->Name(), "Cannot find calibration file \"" + File + "\""));
        SetCalDatName(File);
    });
}

void TGeoMap::SetMapImgFileQ(const QString& Value) {
    Q_D(TGeoMap);
    const std::string Name = Value.toStdString();
    if (d->FState.Designing()) {
        d->FMapImgName = Name;
        return;
    }
    d->FState.RunOrKeep(lsMapImageFile, "MapImgFile",
                        [this, Name] { SetMapImgName(FileInFolder(Name, d_func()->FFormFolder)); });
}

const std::string& TGeoMap::FormFolder() const { return d_func()->FFormFolder; }
void TGeoMap::SetFormFolder(const std::string& Value) { d_func()->FFormFolder = Value; }
QString TGeoMap::FormFolderQ() const { return QString::fromStdString(FormFolder()); }
void TGeoMap::SetFormFolderQ(const QString& Value) { SetFormFolder(Value.toStdString()); }

void TGeoMap::SetCalibModelOrdinal(int Value) {
    Q_D(TGeoMap);
    if (Value < 0 || Value > static_cast<int>(cmProjected)) return;
    d->FState.RunOrKeep(lsCalibration, "CalibModel", [this, Value] { SetCalibModel(static_cast<TCalibModel>(Value)); });
}

void TGeoMap::SetUTMZoneProperty(int Value) {
    Q_D(TGeoMap);
    d->FState.RunOrKeep(lsCalibration, "UTMZone", [this, Value] { SetUTMZone(Value); });
}

void TGeoMap::SetUTMHemisphereOrdinal(int Value) {
    Q_D(TGeoMap);
    if (Value != static_cast<int>(hemiNorth) && Value != static_cast<int>(hemiSouth)) return;
    d->FState.RunOrKeep(lsCalibration, "UTMHemisphere",
                        [this, Value] { SetUTMHemisphere(static_cast<THemisphere>(Value)); });
}

std::string TGeoMapPrivate::PlaceholderText() const {
    Q_Q(const TGeoMap);
    const std::string& File = q->CalibDataFile();
    return File.empty() ? "TGeoMap" : "TGeoMap: " + StripPath(File);
}

// ---- the integer and string forms, and the resets, of the properties

QPoint TGeoMap::TopLeftQ() const { return {TopLeft().X, TopLeft().Y}; }
void TGeoMap::SetTopLeftQ(const QPoint& Value) { SetTopLeft({Value.x(), Value.y()}); }

int TGeoMap::CalibModelOrdinal() const { return static_cast<int>(CalibModel()); }
int TGeoMap::UTMHemisphereOrdinal() const { return static_cast<int>(GetUTMHemisphere()); }
void TGeoMap::SetEmptyMsgQ(const QString& Value) { SetEmptyMsg(Value.toStdString()); }
QString TGeoMap::CalibDataFileQ() const { return QString::fromStdString(CalibDataFile()); }
void TGeoMap::ResetCalibDataFile() { SetCalibDataFileQ({}); }
void TGeoMap::ResetMapImgFile() { SetMapImgFileQ({}); }
void TGeoMap::ResetAllowPan() { SetAllowPan(true); }
void TGeoMap::ResetAntiAlias() { SetAntiAlias(TMapAppearance{}.AntiAlias); }
void TGeoMap::ResetCalibModel() { SetCalibModelOrdinal(static_cast<int>(cmUndefined)); }
void TGeoMap::ResetCacheMagLimit() { SetCacheMagLimit(DefaultCacheMagLimit); }
void TGeoMap::ResetViewCacheMegabytes() { SetViewCacheMegabytes(DefaultViewCacheMegabytes); }
void TGeoMap::ResetColorBackGnd() { SetColorBakGnd(TMapAppearance{}.ColorBakGnd); }
void TGeoMap::ResetColorGraticule() { SetColorGratLine(TMapAppearance{}.ColorGratLine); }
void TGeoMap::ResetColorCalibPoints() { SetColorGratPoints(TMapAppearance{}.ColorGratPoints); }
void TGeoMap::ResetColorFrame() { SetColorFrame(TMapAppearance{}.FrameColor); }
void TGeoMap::ResetConfinePan() { SetConfinePan(true); }
void TGeoMap::ResetEmptyMsg() { SetEmptyMsg(TMapAppearance{}.EmptyMsg); }
void TGeoMap::ResetFrameStyle() { SetFrameStyle(TMapAppearance{}.FrameStyle); }
void TGeoMap::ResetGratLineDist() { SetGratLineDist(TMapAppearance{}.GratLineDist); }
void TGeoMap::ResetUTMGridDist() { SetUTMGridDist(TMapAppearance{}.UTMGridDist); }
void TGeoMap::ResetUTMHemisphere() { SetUTMHemisphereOrdinal(static_cast<int>(hemiNorth)); }
void TGeoMap::ResetShowGraticule() { SetShowGrat(TMapAppearance{}.ShowGrat); }
void TGeoMap::ResetRandSampleLimit() { SetRandSampleLimit(TLandMarkStore::DefaultRandSampleLimit); }
void TGeoMap::ResetShowScaleBar() { SetShowScaleBar(TMapAppearance{}.ShowScaleBar); }
void TGeoMap::ResetShowNorthArrow() { SetShowNorthArrow(TMapAppearance{}.ShowNorthArrow); }
void TGeoMap::ResetShowResiduals() { SetShowResiduals(TMapAppearance{}.ShowResiduals); }
void TGeoMap::ResetResidualScale() { SetResidualScale(TMapAppearance{}.ResidualScale); }
void TGeoMap::ResetColorResidualOutliers() { SetColorResidualOutliers(TMapAppearance{}.ColorResidualOutliers); }
void TGeoMap::ResetWheelZoom() { SetWheelZoom(TGeoMapPrivate::TKeyState{}.WheelZoom); }

}  // namespace zylcarto
