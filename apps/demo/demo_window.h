#pragma once
// The demo's main window: an atlas of Zylland with tools for landmarks and
// calibration points, the graticule or UTM grid, landmark files, clipboard and
// PDF output, and the position under the mouse in the status bar.
#include <QMainWindow>
#include <string>

#include "region_data.h"
#include "zylcarto/geoatlas/geoatlas.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QToolBar;

namespace zylcarto::demo {

class TDemoWindow : public QMainWindow {
    Q_OBJECT

public:
    // StatusOut: report map changes and where to click on standard output, for scripts.
    TDemoWindow(std::string AtlasFolder, bool StatusOut);

    TGeoAtlas* Atlas() const { return FAtlas; }
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

private:
    enum class TTool { Browse, AddLandmark, RemoveLandmark, Calibrate };
    enum class TGrid { None, Graticule, UTM };

    void BuildActions();
    void SetTool(TTool Tool);
    void ApplyGrid();
    void MapDown(TMouseButton Button, int X, int Y);
    void MapMoved(int X, int Y);
    void MapShown();
    void CalibrateAt(int ImageX, int ImageY);
    void SaveLandmarks();
    void LoadLandmarks();
    void PrintToPdf();
    double DegreesPerPixel() const;

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
};

}  // namespace zylcarto::demo
