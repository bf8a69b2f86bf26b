#pragma once
// The demo's main window: an atlas of Zylland with tools for landmarks and
// calibration points, the graticule or UTM grid, landmark files, clipboard and
// PDF output, the position under the mouse in the status bar (also in another
// CRS, whose grid then replaces the UTM grid) and a table of the reference
// points being entered.
#include <QMainWindow>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "region_data.h"
#include "zylcarto/geoatlas/geoatlas.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QToolBar;

namespace zylcarto::demo {

class TCalibrationPanel;
class TGpsMenu;

// A yes-or-no question to the user; true for yes.
using TQuestion = std::function<bool(const QString& Title, const QString& Text)>;
// What to do with unsaved work that an action would throw away.
enum class TSaveChoice { Save, Discard, Cancel };
using TSaveQuestion = std::function<TSaveChoice(const QString& Title, const QString& Text)>;
// A line of text from the user, Initial offered; nothing when cancelled.
using TTextQuestion =
    std::function<std::optional<QString>(const QString& Title, const QString& Label, const QString& Initial)>;

class TDemoWindow : public QMainWindow {
    Q_OBJECT

public:
    // StatusOut: report map changes and where to click on standard output, for scripts.
    TDemoWindow(std::string AtlasFolder, bool StatusOut);
    ~TDemoWindow() override;

    TGeoAtlas* Atlas() const { return FAtlas; }
    TGpsMenu* Gps() const { return FGps; }
    // Generates what is missing, registers the maps and shows the coarsest one.
    void LoadAtlas(bool Regenerate);
    // Fits the shown map into the view; once the window has its size.
    void FitMap();
    // The registered map with the largest resolution (the least detailed).
    int CoarsestMap() const;
    // Control position in the map view of a geographic position; false when off the map.
    bool ViewPosition(const TGeoPoint& P, QPoint& Result) const;
    // Sights are landmarks of the region, the others the user's.
    void AddLandmark(const TGeoPoint& P, const std::string& Caption, bool Sight = false);
    // 0 none, 1 graticule, 2 UTM grid, as in the grid box.
    void SetGrid(int Grid);
    // Prints the shown map, the buttons' and the visible towns' screen positions;
    // from then on again whenever another map is shown.
    void ReportState();
    // Replaces the message boxes that ask yes or no (tests answer without a modal loop).
    void SetQuestion(TQuestion Ask) { FAsk = std::move(Ask); }
    // Replaces the Save / Discard / Cancel box and the text dialog likewise.
    void SetSaveQuestion(TSaveQuestion Ask) { FAskSave = std::move(Ask); }
    void SetTextQuestion(TTextQuestion Ask) { FAskText = std::move(Ask); }

    // The user's landmarks (demo_landmarks.cpp). Adding, editing and removing
    // them marks them unsaved; saving or loading a set makes them saved again.
    bool LandmarksUnsaved() const { return FLandmarksUnsaved; }
    // Asks for the caption of a new landmark at P; false when the user cancels.
    bool AddNamedLandmark(const TGeoPoint& P);
    // Asks for a new caption of the landmark drawn near control position At;
    // false when there is none or the user cancels.
    bool EditLandmarkAt(QPoint At);
    bool SaveLandmarksTo(const std::string& FileName);
    // Asks first when the landmarks shown are unsaved; false when nothing was loaded.
    bool LoadLandmarksFrom(const std::string& FileName);
    // Prints the shown map as Layout says into a PDF file; false with a message when it failed.
    bool PrintToPdfFile(const QString& FileName, const TPrintLayout& Layout);

    // Reference points of the shown map. A point that stands out from the others is
    // only kept when the user says so; false when it was not added.
    bool AddReferencePoint(double Lat, double Long, int ImageX, int ImageY);
    void RemoveReferencePoint(int Row);  // 0-based row of the table
    void UndoRemoval();
    bool SaveCalibration(const std::string& FileName);
    // Maps whose reference points were changed and not saved since.
    int UnsavedCalibrations() const;

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    // How close a click must be to a landmark to remove or edit it, in screen pixels.
    static constexpr double NearPixels = 10;
    static constexpr int MessageMilliseconds = 6000;

    enum class TTool { Browse, AddLandmark, RemoveLandmark, Calibrate, EditLandmark, Measure };
    enum class TGrid { None, Graticule, UTM };
    struct TCalibWork {
        TCalibData Data;
        bool Unsaved = true;
    };

    void BuildActions();
    void SetTool(TTool Tool);
    void ApplyGrid();
    // The readout in Crs (named Short) beside latitude and longitude, and its grid
    // for the UTM grid; "" for UTM.
    void SetReadoutCrs(const std::string& Crs, const QString& Short);
    void MapDown(TMouseButton Button, int X, int Y);
    void MapMoved(int X, int Y);
    // The readout for the control position P of the map view, empty outside it.
    void ShowPosition(QPoint P);
    // The readout where the mouse is now: after the map under it changed.
    void RefreshPosition();
    void MapShown();
    void CalibrateAt(int ImageX, int ImageY);
    void ShowReferencePoints();
    // Keeps the shown map's reference points for when the user returns to it.
    void CalibrationEdited();
    void SaveCalibrationAs();
    // Through the file dialog; false when cancelled or not saved.
    bool SaveLandmarks();
    void LoadLandmarks();
    bool ReadLandmarkFile(const QString& Name);
    // Saves, discards or cancels unsaved landmarks before Action would lose them;
    // true when the action may go on.
    bool LandmarksMayBeReplaced(const QString& Action);
    // Tells the user when a caption could not be stored as written.
    void ReportAlteredCaptions(int Altered);
    // Asks what to print (demo_print.cpp): the view or the whole map, fitted or at a scale.
    void PrintToPdf();

    std::string FFolder;
    bool FStatusOut;
    TGeoAtlas* FAtlas;
    TTool FTool = TTool::Browse;
    TGrid FGrid = TGrid::None;
    int FShownMap = -1;
    bool FReporting = false;
    int FUserLandmarks = 0;
    QToolBar* FToolBar = nullptr;
    QActionGroup* FTools = nullptr;
    QAction* FBrowse = nullptr;
    QComboBox* FGridChoice = nullptr;
    QLabel* FPosition = nullptr;
    QLabel* FMapInfo = nullptr;
    QString FPositionReported;
    std::string FCrs;
    QString FCrsName;
    std::optional<TCRSConverter> FCrsReadout;
    TCalibrationPanel* FCalPanel = nullptr;
    TGpsMenu* FGps = nullptr;
    // By atlas map number: the calibrations edited in this session.
    std::map<int, TCalibWork> FCalWork;
    // The map whose point the view can restore; the view keeps one for all maps.
    int FUndoMap = 0;
    TQuestion FAsk;
    TSaveQuestion FAskSave;
    TTextQuestion FAskText;
    bool FLandmarksUnsaved = false;
    // Where the landmarks were last saved or loaded from; Save goes there without asking.
    QString FLandmarkFile;
};

}  // namespace zylcarto::demo
