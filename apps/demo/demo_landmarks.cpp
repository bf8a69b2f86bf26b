// The user's landmarks in the demo window: naming, renaming, and keeping them
// from being lost unsaved.
#include <QFileDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <cmath>

#include "demo_window.h"

namespace zylcarto::demo {
namespace {

const std::string LandmarkDataID = "zylland";

}  // namespace

bool TDemoWindow::AddNamedLandmark(const TGeoPoint& P) {
    const std::optional<QString> Caption =
        FAskText(QStringLiteral("Add landmark"), QStringLiteral("Name of the landmark:"),
                 QStringLiteral("Landmark %1").arg(FUserLandmarks + 1));
    if (!Caption) return false;
    TGeoMap& View = *FAtlas->CurrentMap();
    const int Before = View.NumLandMarks();
    AddLandmark(P, Caption->toStdString());
    if (View.NumLandMarks() == Before) return false;
    ++FUserLandmarks;
    FLandmarksUnsaved = true;
    ReportAlteredCaptions(TextAltered(View.GetLandMarkData(View.NumLandMarks())) ? 1 : 0);
    return true;
}

bool TDemoWindow::EditLandmarkAt(QPoint At) {
    TGeoMap& View = *FAtlas->CurrentMap();
    const TPoint Image = View.ControlToMapImage({At.x(), At.y()});
    bool v1 = false, v2 = false;
    const double Lat = View.CalcLatitude(Image, v1), Long = View.CalcLongitude(Image, v2);
    const int Index = v1 && v2 ? View.FindLandMark(Lat, Long, -1) : 0;
    TLandMark L = View.GetLandMarkData(Index);
    QPoint Drawn;
    if (Index < 1 || !ViewPosition({L.Latitude, L.Longitude}, Drawn) ||
        std::hypot(Drawn.x() - At.x(), Drawn.y() - At.y()) > NearPixels) {
        statusBar()->showMessage(QStringLiteral("No landmark there"), MessageMilliseconds);
        return false;
    }
    const std::optional<QString> Caption = FAskText(QStringLiteral("Edit landmark"), QStringLiteral("Name of the landmark:"),
                                                    QString::fromStdString(L.Caption.Text.Str()));
    if (!Caption) return false;
    L.Caption.Text = Caption->toStdString();
    View.SetLandMarkData(Index, L);
    FLandmarksUnsaved = true;
    ReportAlteredCaptions(TextAltered(View.GetLandMarkData(Index)) ? 1 : 0);
    return true;
}

void TDemoWindow::ReportAlteredCaptions(int Altered) {
    if (Altered == 0) return;
    statusBar()->showMessage(QStringLiteral("%1 caption(s) could not be kept as written: characters outside "
                                            "Windows-1252 became \"?\", text beyond 80 characters was cut")
                                 .arg(Altered),
                             MessageMilliseconds);
}

bool TDemoWindow::SaveLandmarksTo(const std::string& FileName) {
    try {
        FAtlas->CurrentMap()->SaveLandmarks(FileName, LandmarkDataID);
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QStringLiteral("Save landmarks"), QString::fromUtf8(E.what()));
        return false;
    }
    FLandmarkFile = QString::fromStdString(FileName);
    FLandmarksUnsaved = false;
    statusBar()->showMessage(QStringLiteral("Landmarks saved to ") + FLandmarkFile, MessageMilliseconds);
    return true;
}

bool TDemoWindow::SaveLandmarks() {
    const QString Name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save landmarks"),
        FLandmarkFile.isEmpty() ? QString::fromStdString(FFolder + "/landmarks.xml") : FLandmarkFile,
        QStringLiteral("Landmark files (*.xml)"));
    return !Name.isEmpty() && SaveLandmarksTo(Name.toStdString());
}

bool TDemoWindow::LandmarksMayBeReplaced(const QString& Action) {
    if (!FLandmarksUnsaved) return true;
    const QString Map = QString::fromStdString(FAtlas->Maps(FAtlas->CurrentMapIdx()).Caption);
    const QString Text = QStringLiteral("The landmarks on \"%1\" have changed since they were last saved. Save them?")
                             .arg(Map);
    switch (FAskSave(Action, Text)) {
    case TSaveChoice::Save: return FLandmarkFile.isEmpty() ? SaveLandmarks() : SaveLandmarksTo(FLandmarkFile.toStdString());
    case TSaveChoice::Discard: return true;
    case TSaveChoice::Cancel: break;
    }
    return false;
}

bool TDemoWindow::LoadLandmarksFrom(const std::string& FileName) {
    return LandmarksMayBeReplaced(QStringLiteral("Load landmarks")) && ReadLandmarkFile(QString::fromStdString(FileName));
}

bool TDemoWindow::ReadLandmarkFile(const QString& Name) {
    const std::string FileName = Name.toStdString();
    TGeoMap& View = *FAtlas->CurrentMap();
    try {
        if (!View.LoadLandMarks(FileName, "")) {
            QMessageBox::warning(this, QStringLiteral("Load landmarks"), QStringLiteral("No landmarks in ") + Name);
            return false;
        }
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QStringLiteral("Load landmarks"), QString::fromUtf8(E.what()));
        return false;
    }
    FLandmarkFile = Name;
    FLandmarksUnsaved = false;
    statusBar()->showMessage(QStringLiteral("%1 landmarks loaded from %2").arg(View.NumLandMarks()).arg(Name),
                             MessageMilliseconds);
    ReportAlteredCaptions(View.LandMarks().TextsAltered());
    return true;
}

void TDemoWindow::LoadLandmarks() {
    // Asked before the file dialog, so that Cancel costs one click.
    if (!LandmarksMayBeReplaced(QStringLiteral("Load landmarks"))) return;
    const QString Name =
        QFileDialog::getOpenFileName(this, QStringLiteral("Load landmarks"), QString::fromStdString(FFolder),
                                     QStringLiteral("Landmark files (*.xml)"));
    if (!Name.isEmpty()) ReadLandmarkFile(Name);
}

}  // namespace zylcarto::demo
