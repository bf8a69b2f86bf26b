#pragma once
// TGeoMap, the map control: a raster map image shown at a magnification and
// scrolled to a top-left image pixel, with its calibration, its landmarks, the
// overlays drawn over it and a ring of the last 16 view states.
// Every visible change ends in Paint, which composes the client area into
// AuxBmp at once and puts it on the screen; paintEvent only copies AuxBmp.
#include <QImage>
#include <QMetaMethod>
#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;
class QPainter;
class QPrinter;

#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/landmark_store.h"
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/host_events.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/geomap/view/map_scene.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/geomap/view/mouse_types.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

// A stored view: FTopLeft and FMagnify. All zero means empty.
struct TgmZoomStackEntry {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    double MagF = 0;
    bool Empty() const { return Left == 0 && Top == 0 && MagF == 0; }
    friend bool operator==(const TgmZoomStackEntry&, const TgmZoomStackEntry&) = default;
};

using TMapImgRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;
// Progress of decoding a map image, 0..100.
using TImageProgressEvent = std::function<void(TObject* Sender, int PercentDone)>;
// Lets a host draw onto a generated map before it is stored.
using TOnDrawMapDataEvent = std::function<void(TObject* Sender, TCanvas& MapCanvas, double LatLow, double LongLow,
                                               double LatHigh, double LongHigh, int Wid, int Hgt)>;

namespace test {
class TGeoMapTestAccess;
}

class ZYLCARTO_EXPORT TGeoMap : public QWidget, public TObject {
    Q_OBJECT
    friend class test::TGeoMapTestAccess;
    // What a form designer shows and stores: every property with its reset to
    // the default, so that only changed values go into the form. Enumerations
    // are their ordinals (TCalibModel, TFrameStyle, THemisphere, TMouseActMode,
    // TShowGrat); colours are $00BBGGRR. The files come first, so that a form
    // restored in this order refines what they load, as one in the loading
    // state does in any order.
    Q_PROPERTY(QString CalibDataFile READ CalibDataFileQ WRITE SetCalibDataFileQ RESET ResetCalibDataFile
                   DESIGNABLE true STORED true)
    Q_PROPERTY(
        QString MapImgFile READ MapImgFileQ WRITE SetMapImgFileQ RESET ResetMapImgFile DESIGNABLE true STORED true)
    Q_PROPERTY(bool AllowPan READ GetAllowPan WRITE SetAllowPan RESET ResetAllowPan DESIGNABLE true STORED true)
    Q_PROPERTY(bool AntiAlias READ AntiAlias WRITE SetAntiAlias RESET ResetAntiAlias DESIGNABLE true STORED true)
    Q_PROPERTY(int CalibModel READ CalibModelOrdinal WRITE SetCalibModelOrdinal RESET ResetCalibModel
                   DESIGNABLE true STORED true)
    Q_PROPERTY(double CacheMagLimit READ CacheMagLimit WRITE SetCacheMagLimit RESET ResetCacheMagLimit
                   DESIGNABLE true STORED true)
    Q_PROPERTY(
        uint ColorBackGnd READ ColorBackGnd WRITE SetColorBakGnd RESET ResetColorBackGnd DESIGNABLE true STORED true)
    Q_PROPERTY(uint ColorGraticule READ ColorGraticule WRITE SetColorGratLine RESET ResetColorGraticule
                   DESIGNABLE true STORED true)
    Q_PROPERTY(uint ColorCalibPoints READ ColorCalibPoints WRITE SetColorGratPoints RESET ResetColorCalibPoints
                   DESIGNABLE true STORED true)
    Q_PROPERTY(uint ColorFrame READ ColorFrame WRITE SetColorFrame RESET ResetColorFrame DESIGNABLE true STORED true)
    Q_PROPERTY(bool ConfinePanToMapImage READ ConfinePanToMapImage WRITE SetConfinePan RESET ResetConfinePan
                   DESIGNABLE true STORED true)
    Q_PROPERTY(QString EmptyMsg READ EmptyMsgQ WRITE SetEmptyMsgQ RESET ResetEmptyMsg DESIGNABLE true STORED true)
    Q_PROPERTY(int FrameStyle READ FrameStyleOrdinal WRITE SetFrameStyleOrdinal RESET ResetFrameStyle
                   DESIGNABLE true STORED true)
    Q_PROPERTY(
        double GratLineDist READ GratLineDist WRITE SetGratLineDist RESET ResetGratLineDist DESIGNABLE true STORED true)
    Q_PROPERTY(int UTMGridDist READ UTMGridDist WRITE SetUTMGridDist RESET ResetUTMGridDist DESIGNABLE true STORED true)
    // No reset: the setter takes zones 1..60 only, and 0 (none) is where a map starts.
    Q_PROPERTY(int UTMZone READ GetUTMZone WRITE SetUTMZoneProperty DESIGNABLE true STORED true)
    Q_PROPERTY(int UTMHemisphere READ UTMHemisphereOrdinal WRITE SetUTMHemisphereOrdinal RESET ResetUTMHemisphere
                   DESIGNABLE true STORED true)
    Q_PROPERTY(int MouseAction READ MouseActionOrdinal WRITE SetMouseActionOrdinal RESET ResetMouseAction
                   DESIGNABLE true STORED true)
    Q_PROPERTY(uint MouseTraceColor READ MouseTraceColor WRITE SetMouseTraceColor RESET ResetMouseTraceColor
                   DESIGNABLE true STORED true)
    Q_PROPERTY(bool MouseTraceInvert READ MouseTraceInvert WRITE SetMouseTraceInvert RESET ResetMouseTraceInvert
                   DESIGNABLE true STORED true)
    Q_PROPERTY(int ShowGraticule READ ShowGraticuleOrdinal WRITE SetShowGraticuleOrdinal RESET ResetShowGraticule
                   DESIGNABLE true STORED true)
    Q_PROPERTY(
        int LMRandomDisplayThreshold READ LMRandomDisplayThreshold WRITE SetRandSampleLimit RESET ResetRandSampleLimit)
    // A state of the running map, not a setting.
    Q_PROPERTY(int HighLightLandMark READ HighLightLandMark WRITE SetHighLM DESIGNABLE false STORED false)
    Q_PROPERTY(
        bool ShowScaleBar READ ShowScaleBar WRITE SetShowScaleBar RESET ResetShowScaleBar DESIGNABLE true STORED true)
    Q_PROPERTY(bool ShowNorthArrow READ ShowNorthArrow WRITE SetShowNorthArrow RESET ResetShowNorthArrow
                   DESIGNABLE true STORED true)
    Q_PROPERTY(bool WheelZoom READ WheelZoom WRITE SetWheelZoom RESET ResetWheelZoom DESIGNABLE true STORED true)

public:
    static constexpr double DefaultCacheMagLimit = TMapAppearance::DefaultCacheMagLimit;
    // SetMagnification keeps the magnification within this range.
    static constexpr double MinMagnification = TMapViewport::MinMagnify;
    static constexpr double MaxMagnification = TMapViewport::MaxMagnify;
    static constexpr int ZoomStackSize = 16;
    static constexpr int MaxMouseTracePoints = 5000;
    static constexpr int MaxMapImagePixels = MapImagePixelLimit;

    explicit TGeoMap(QWidget* AOwner = nullptr);
    ~TGeoMap() override;

    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& Value) { setObjectName(QString::fromStdString(Value)); }

    // Copies the state of another map, but not its mouse trace or event handlers; no repaint.
    void Assign(const TGeoMap& Source);
    // Dest.Assign(*this) when Dest is a TGeoMap.
    void AssignTo(TGeoMap& Dest) const { Dest.Assign(*this); }

    // --- form designers and form loaders (geomap_state.cpp)
    // Inside a form designer the map draws a placeholder for its picture,
    // loads no files (it only keeps their names) and fires no host events.
    bool Designing() const { return FState.Designing(); }
    void SetDesigning(bool Value);
    // While loading, restored properties are taken without painting, and the
    // files and the properties that refine them wait for Loaded(): the
    // calibration file is loaded first, then the map image file, then the
    // calibration model, zone and hemisphere are set, whatever the order in
    // which they were restored. The first polish (before the map is first
    // shown) ends loading too.
    bool Loading() const { return FState.Loading(); }
    void BeginLoading() { FState.BeginLoading(); }
    // Ends loading and repaints; nothing when not loading. Raises what a file
    // load raises, leaving the rest undone.
    void Loaded();

    // --- rendering
    // Composes AuxBmp and shows it at once; nothing while SuppressPaint is on.
    virtual void Paint();
    // Composes the client area into AuxBmp.
    void ConstructInternalMapImg();
    const QImage& AuxBitmap() const { return AuxBmp; }

    // --- view state
    double Magnification() const { return FView.Magnify; }
    // Non-finite or non-positive values are refused; others are clamped to
    // MinMagnification..MaxMagnification.
    void SetMagnification(double Value);
    TPoint TopLeft() const { return FView.TopLeft; }
    // Kept within the image when ConfinePanToMapImage is on, as a pan is.
    void SetTopLeft(const TPoint& P);
    bool AntiAlias() const { return FLook.AntiAlias; }
    void SetAntiAlias(bool Value);
    TColor ColorBackGnd() const { return FLook.ColorBakGnd; }
    void SetColorBakGnd(TColor Value);
    TColor ColorFrame() const { return FLook.FrameColor; }
    void SetColorFrame(TColor Value);
    TColor ColorGraticule() const { return FLook.ColorGratLine; }
    void SetColorGratLine(TColor Value);
    TColor ColorCalibPoints() const { return FLook.ColorGratPoints; }
    void SetColorGratPoints(TColor Value);
    const std::string& EmptyMsg() const { return FLook.EmptyMsg; }
    void SetEmptyMsg(const std::string& Value);
    TShowGrat ShowGraticule() const { return FLook.ShowGrat; }
    void SetShowGrat(TShowGrat Value);
    TFrameStyle FrameStyle() const { return FLook.FrameStyle; }
    void SetFrameStyle(TFrameStyle Value);
    double GratLineDist() const { return FLook.GratLineDist; }
    void SetGratLineDist(double Value);
    int UTMGridDist() const { return FLook.UTMGridDist; }
    void SetUTMGridDist(int Value);
    // A scale bar at the bottom left and a north arrow at the top right, from the
    // calibration at the view's centre; both off by default.
    bool ShowScaleBar() const { return FLook.ShowScaleBar; }
    void SetShowScaleBar(bool Value);
    bool ShowNorthArrow() const { return FLook.ShowNorthArrow; }
    void SetShowNorthArrow(bool Value);
    double CacheMagLimit() const { return FLook.CacheMagLimit; }
    void SetCacheMagLimit(double Value);
    bool SuppressPaint() const { return FSuppressPaint; }
    void SetSuppressPaint(bool Value);
    bool ConfinePanToMapImage() const { return FConfinePan; }
    void SetConfinePan(bool Value);
    bool GetAllowPan() const { return FMouseAction == maPan; }
    void SetAllowPan(bool Value) { FMouseAction = Value ? maPan : maNone; }
    TMouseActMode MouseAction() const { return FMouseAction; }
    void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
    TColor MouseTraceColor() const { return FTrace.Color; }
    void SetMouseTraceColor(TColor Value) { FTrace.Color = Value; }
    bool MouseTraceInvert() const { return FTrace.Invert; }
    void SetMouseTraceInvert(bool Value) { FTrace.Invert = Value; }
    std::string GetMapCaption() const { return FCalib.CalibData().Caption; }
    void SetMapCaption(const std::string& S) { FCalib.CalibData().Caption = S; }
    TZoomState ZoomState() const { return FDrag.ZoomState; }
    const std::string& MapImgFile() const { return FMapImgName; }
    const QImage& MapBitmap() const { return GrafBmp; }
    int MapImgWidth() const { return FMapImgWidth; }
    int MapImgHeight() const { return FMapImgHeight; }
    int LastClickPosX() const { return FDrag.LastClickX; }
    int LastClickPosY() const { return FDrag.LastClickY; }
    int LastMousePosX() const { return FDrag.LastMoveX; }
    int LastMousePosY() const { return FDrag.LastMoveY; }
    double GetLastMClickLatitude() const;
    double GetLastMClickLongitude() const;
    int NumMTracePoints() const { return FTrace.Count; }

    TPoint ControlToMapImage(const TPoint& P) const;
    TPoint MapImageToControl(const TPoint& P) const;
    void PanMapToFillWindow();
    void BringMapPixelToCenter(const TPoint& P);
    // Nothing for a position that has no pixel (IsGeoPosition refuses it, or the model gives none).
    void BringLocationToCenter(double Latitude, double Longitude);
    // Shows the position at control pixel At, as far as ConfinePanToMapImage
    // allows; false (and nothing changed) when the calibration cannot place it.
    bool BringLocationToPoint(double Latitude, double Longitude, const TPoint& At);
    // The whole image, centred; nothing without a map image. Called before the
    // control is shown, it fits again to the size the control is shown with.
    void ZoomFitPage();
    // Resamples the map image and the pixel positions of the calibration; nothing
    // without a map image or for a factor that is not finite and positive.
    void ResizeMap(double Magnification);
    void ResizeMap(int LongerEdgeLength);

    void ZoomStateOnStack();
    void ZoomHistory(int Index);
    // Index -15..0 (0 = stored last); an empty entry for any other index.
    TgmZoomStackEntry GetZoomStackEntry(int StackIx) const;
    void ClearZoomHistory();

    void DoZoomPanEvent();
    void DoSelectRectEvent(int Kind, double V1, double V2, double V3, double V4);

    // --- map image (in memory; files are below)
    // Takes a copy of the picture; raises EZYLGeoMapError above MaxMapImagePixels.
    void SetMapBitMap(const QImage& Value);

    // --- calibration (forwarded; the changes repaint)
    TMapCalibration& Calibration() { return FCalib; }
    const TMapCalibration& Calibration() const { return FCalib; }
    TCalibModel CalibModel() const { return FCalib.CalibModel(); }
    void SetCalibModel(TCalibModel Value) { FCalib.SetCalibModel(Value); }
    int GetUTMZone() const { return FCalib.GetUTMZone(); }
    void SetUTMZone(int Value) { FCalib.SetUTMZone(Value); }
    THemisphere GetUTMHemisphere() const { return FCalib.GetUTMHemisphere(); }
    void SetUTMHemisphere(THemisphere Value) { FCalib.SetUTMHemisphere(Value); }
    const TCalibData& CalibData() const { return FCalib.CalibData(); }
    void SetCalibData(const TCalibData& Value) { FCalib.SetCalibData(Value); }
    const std::string& CalibDataFile() const { return FCalib.CalibDataFile(); }
    void ClearCalibData() { FCalib.ClearCalibData(); }
    // ClearCalibData, model undefined, names emptied, mouse trace and map image emptied; repaint.
    void Clear();
    void RecalcCalibration() { FCalib.RecalcCalibration(); }
    double CalcLatitude(int x, int y, bool& valid) const { return FCalib.CalcLatitude(x, y, valid); }
    double CalcLatitude(TPoint APoint, bool& valid) const { return FCalib.CalcLatitude(APoint, valid); }
    double CalcLongitude(int x, int y, bool& valid) const { return FCalib.CalcLongitude(x, y, valid); }
    double CalcLongitude(TPoint APoint, bool& valid) const { return FCalib.CalcLongitude(APoint, valid); }
    bool CalcPixelCoords(double Lat, double Long, int& x, int& y) const {
        return FCalib.CalcPixelCoords(Lat, Long, x, y);
    }
    bool CalcPixelCoordsUTM(double Northing, double Easting, int& x, int& y) const {
        return FCalib.CalcPixelCoordsUTM(Northing, Easting, x, y);
    }
    int CalcUTMyFromNorthingX(double Northing, int x) const { return FCalib.CalcUTMyFromNorthingX(Northing, x); }
    int CalcUTMxFromEastingY(double Easting, int y) const { return FCalib.CalcUTMxFromEastingY(Easting, y); }
    bool IsPositionWithinMap(double Latit, double Longit) const { return FCalib.IsPositionWithinMap(Latit, Longit); }
    void CalcExtentsAndResolution() { FCalib.CalcExtentsAndResolution(); }
    bool AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY) {
        return FCalib.AddCalibPoint(GratLineKind, LineValue, PixPosX, PixPosY);
    }
    bool AddCalibPoint(double Latit, double Longit, int PixPosX, int PixPosY) {
        return FCalib.AddCalibPoint(Latit, Longit, PixPosX, PixPosY);
    }
    bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int PixPosX, int PixPosY) {
        return FCalib.AddCalibPoint(Northing, Easting, Zone, Hemisphere, PixPosX, PixPosY);
    }
    bool RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue, int PixPosX, int PixPosY) {
        return FCalib.RemoveCalibPoint(GratLineKind, LineValue, PixPosX, PixPosY);
    }
    bool RemoveCalibPoint(int PixPosX, int PixPosY) { return FCalib.RemoveCalibPoint(PixPosX, PixPosY); }
    void RestoreLastDeletedCalPoint() { FCalib.RestoreLastDeletedCalPoint(); }
    void CalibQuality(double& QualX, double& QualY) const { FCalib.CalibQuality(QualX, QualY); }

    // --- landmarks (forwarded; the changes repaint)
    TLandMarkStore& LandMarks() { return FLandMarks; }
    const TLandMarkStore& LandMarks() const { return FLandMarks; }
    int NumLandMarks() const { return FLandMarks.NumLandMarks(); }
    template <typename... Args>
    void AddLandMark(Args&&... args) {
        FLandMarks.AddLandMark(std::forward<Args>(args)...);
    }
    int FindLandMark(double Lat, double Long, int ClassFlag) const {
        return FLandMarks.FindLandMark(Lat, Long, ClassFlag);
    }
    template <typename... Args>
    int RemoveLandMark(Args&&... args) {
        return FLandMarks.RemoveLandMark(std::forward<Args>(args)...);
    }
    void RemoveLastLandMark() { FLandMarks.RemoveLastLandMark(); }
    // Removes every landmark of the class drawn closer than Radius control pixels
    // to control pixel At; returns the number removed.
    int RemoveLandMarksNear(const TPoint& At, int ClassFlag, double Radius);
    void RemoveAllLandMarks(std::uint8_t ClassFlag) { FLandMarks.RemoveAllLandMarks(ClassFlag); }
    void RemoveAllLandMarks() { FLandMarks.RemoveAllLandMarks(); }
    TLandMark GetLandMarkData(int Index) const { return FLandMarks.GetLandMarkData(Index); }
    void SetLandMarkData(int Index, const TLandMark& LandMark) { FLandMarks.SetLandMarkData(Index, LandMark); }
    TLandMark& LandMarkDefault() { return FLandMarks.LandMarkDefault(); }
    bool GetClassVisibility(std::uint8_t Class) const { return FLandMarks.GetClassVisibility(Class); }
    void SetClassVisibility(std::uint8_t Class, bool Value) { FLandMarks.SetClassVisibility(Class, Value); }
    int HighLightLandMark() const { return FLandMarks.HighLightLandMark(); }
    void SetHighLM(int Index) { FLandMarks.SetHighLM(Index); }
    void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent) {
        FLandMarks.SetHighLightProperties(ColorFG, ColorBG, Transparent);
    }
    int LMRandomDisplayThreshold() const { return FLandMarks.LMRandomDisplayThreshold(); }
    void SetRandSampleLimit(int Value) { FLandMarks.SetRandSampleLimit(Value); }

    // --- mouse trace
    void ClearMouseTrace() { FTrace.Count = 0; }
    // Draws the trace segments onto a canvas, restoring its pen and brush.
    void DrawMouseTrace(TCanvas& Canvas) const;

    // --- events
    // Each event has a handler property (run only when assigned) and a Qt signal
    // of the same name in Qt style; the property runs first, then the signal.
    // A handler or a slot may delete the map (or deleteLater it): the map then
    // touches nothing of itself after it. The render events
    // (OnBeforeRenderData, OnDataRendered, OnDrawLandmark and their signals)
    // run while the picture is composed and must use deleteLater instead.
    void SetOnZoomPan(TZoomPanEvent Handler) { FOnZoomPan = std::move(Handler); }
    void SetOnSelectRect(TSelectRectEvent Handler) { FOnSelectRect = std::move(Handler); }
    void SetOnBeginRubberBand(TOnRubberBandActionEvent Handler) { FOnBeginRubberBand = std::move(Handler); }
    void SetOnContinueRubberBand(TOnRubberBandActionEvent Handler) { FOnContRubberBand = std::move(Handler); }
    void SetOnEndRubberBand(TOnRubberBandActionEvent Handler) { FOnEndRubberBand = std::move(Handler); }
    void SetOnDataLoading(TImageProgressEvent Handler) { FOnDataLoading = std::move(Handler); }
    void SetOnBeforeRenderData(TRenderEvent Handler) { FHooks.OnBeforeRenderData = std::move(Handler); }
    void SetOnDataRendered(TRenderEvent Handler) { FHooks.OnDataRendered = std::move(Handler); }
    void SetOnDrawLandmark(TDrawLandMarkEvent Handler) { FHooks.OnDrawLandmark = std::move(Handler); }
    void SetOnMapImageRequest(TMapImgRequestEvent Handler) { FOnMapImgRequest = std::move(Handler); }
    void SetOnLandMarkAction(TLandMarkActionEvent Handler) { FOnLandMarkAction = std::move(Handler); }

Q_SIGNALS:
    // By reference (Allowed, FileName, Handled, Canvas): direct connections only.
    void zoomPan();
    void selectRect(int Kind, double V1, double V2, double V3, double V4);
    void beginRubberBand(zylcarto::TPoint Point);
    void continueRubberBand(zylcarto::TPoint Point);
    void endRubberBand(zylcarto::TPoint Point);
    void dataLoading(int PercentDone);
    void beforeRenderData(zylcarto::TCanvas& Canvas);
    void dataRendered(zylcarto::TCanvas& Canvas);
    void drawLandmark(bool& Handled, zylcarto::TCanvas& Canvas, const zylcarto::TPoint& APoint,
                      const zylcarto::TLandMark& LandMarkData);
    void mapImageRequest(std::string& FileName);
    void landMarkAction(bool& Allowed, zylcarto::TLandMarkAction Action, const zylcarto::TLandMark& LandMarkData);
    void mouseDown(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    void mouseMove(zylcarto::TShiftState Shift, int X, int Y);
    void mouseUp(zylcarto::TMouseButton Button, zylcarto::TShiftState Shift, int X, int Y);
    void click();
    void dblClick();

public:
    // ==== map images and files ==========================================
    // (loading JPEG/BMP, saving, generating maps, calibration and landmark
    // files, clipboard and printing; implemented in their own source files)

    // --- map image files (geomap_images.cpp)
    // Loads a JPEG (.jpg, .jpeg) or BMP file, any case of the extension, after
    // OnMapImageRequest may have replaced the name; MapImgFile keeps Value. A
    // name that differs from an existing file only in case finds that file. A
    // missing file empties the map. A file that is not a valid image of its
    // kind, or of another kind, raises EZYLGeoMapError and leaves the picture
    // and the name as they were; so does a picture above MaxMapImagePixels.
    void SetMapImgName(const std::string& Value);
    // Saves the picture as name.jpg and the calibration as name.xml in the
    // folder of FileName, whatever its extension; MapImgFile becomes name.jpg.
    void SaveMap(const std::string& FileName, const std::string& DataID);
    // Renames the image file within its folder, keeping its extension.
    bool RenameMapImg(const std::string& Name);
    // A blank map with an optional labelled grid, calibrated (cmEquiRect).
    void CreateEmptyMapInMemory(double LatLow, double LongLow, double LatHigh, double LongHigh, double dLat,
                                double dLong, int Wid, int Hgt, bool ShowGrid,
                                const TOnDrawMapDataEvent& OnDrawMapData = {});
    // Writes FName.bmp (4 bits per pixel, with the grid) and FName.xml, then loads them.
    void CreateAndLoadEmptyMap(const std::string& FName, double LatLow, double LongLow, double LatHigh, double LongHigh,
                               double dLat, double dLong, int Wid, int Hgt,
                               const TOnDrawMapDataEvent& OnDrawMapData = {});

    // --- calibration files (geomap_calfiles.cpp)
    void WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID);
    void SaveCalDataAsXML(const std::string& FileName, const std::string& DataID);
    void SaveCalDataAsXML(TMemoryStream& OutStream, const std::string& DataID);
    bool ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& DataID);
    // True when the data set was found and read; false when the file cannot be
    // opened or holds no such data set. A map image
    // named without a folder is also looked for beside the calibration file
    // when no OnMapImageRequest handler is assigned.
    bool LoadCalDataFromXML(const std::string& FName, const std::string& DataID);
    bool LoadCalDataFromXML(TMemoryStream& InStream, const std::string& DataID);
    // Loads the calibration file when it exists; else empties the map image.
    void SetCalDatName(const std::string& Value);

    // --- landmark files (geomap_landmarkfiles.cpp)
    // Replaces the landmarks by the set read, without OnLandMarkAction and without repainting.
    bool ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& DataID);
    bool LoadLandMarks(const std::string& FName, const std::string& DataID);
    void WriteLandMarksToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID);
    void SaveLandmarks(const std::string& FileName, const std::string& DataID);

    // --- clipboard, printing and export (geomap_print.cpp)
    // Units: map windows and top-left points are image pixels; Scale is a map
    // scale denominator (1:Scale, using the calibration's metres per pixel);
    // printed sizes and page positions (PosHoriz, PosVert, Width, Height of the
    // printer forms) are tenths of a millimetre from the painter's top-left.
    // Printing draws grid, landmarks, captions and frame as vectors through the
    // painter, a control pixel 1/96 inch large (times ScaleF), and the map image
    // from its own pixels; nothing of the screen's grey background is printed.
    // The shown picture with a thin black outline, as a bitmap on the clipboard
    // (in the screen's device pixels).
    void CopyToClipboard();
    // The whole map image with graticule and landmarks at magnification 1;
    // nothing without a map image.
    void CopyEntireMapToClipboard();
    // Prints the current view on the default printer, ScaleF times its size on
    // a 96 dpi screen; raises EZYLGeoMapError when no printer can be opened.
    void PrintIt(double ScaleF);
    // The same on a printer the caller set up (a PDF file, for instance).
    void PrintIt(double ScaleF, QPrinter& Printer);
    // Draws the current view with its top-left corner at (x, y) device pixels,
    // ScaleF times its 96 dpi size, clipped to it; y is advanced below the picture.
    void CopyToOpenPrinter(QPainter& Printer, int& x, int& y, double ScaleF);
    // Draws the map window at the scale, its top-left at (PosHoriz, PosVert).
    // Only the part on the page is drawn; raises EZYLGeoMapError when nothing
    // of it falls on the page or the scale puts an image pixel further than
    // some 10^9 control pixels out (these apply to the next form too).
    void CopyToOpenPrinter(QPainter& Printer, const TRect& MapWindow, int Scale, int PosHoriz, int PosVert);
    // Draws the part of the map starting at TopLeft that fills Width x Height at the scale.
    void CopyToOpenPrinter(QPainter& Printer, const TPoint& TopLeft, int Scale, int PosHoriz, int PosVert, int Width,
                           int Height);
    // The printed size of a map window at a scale; 0 x 0 when the map has no
    // resolution or the scale is not positive; raises EZYLGeoMapError when a
    // side exceeds the int range.
    void CalcExtentsOfPrint(const TRect& MapWindow, int Scale, int& Width, int& Height);
    // Renders Width x Height pixels of the map (with overlays) from image pixel
    // TopLeft at magnification MagFact into DestBmp at (PosHoriz, PosVert).
    void CopyToBMP(QImage& DestBmp, const TPoint& TopLeft, double MagFact, int PosHoriz, int PosVert, int Width,
                   int Height);
    // The map with its overlays as a window of W x H control pixels from image
    // pixel TopLeft at magnification Mag, without frame; the view stays as it is.
    QImage RenderMapWindow(const TPoint& TopLeft, double Mag, int W, int H) const;

private:
    bool ReadCalDataIntern(TXmlSource& Source, const std::string& DataID, const std::string& CalFileFolder);
    QImage DecodeMapImageFile(const std::string& FileName, const std::string& CallerName);
    void ReplaceLandMarks(const std::vector<TLandMark>& LandMarks);
    // Metres per image pixel for printing at a scale; 0 when the map has none.
    double PrintResolution();
    // The window of ImagePixelsWide x ImagePixelsHigh image pixels from TopLeft,
    // printed PrintedW x PrintedH tenths of a millimetre large at (PosHoriz, PosVert).
    void DrawMapWindow(QPainter& Printer, const TPoint& TopLeft, double ImagePixelsWide, double ImagePixelsHigh,
                       double PrintedW, double PrintedH, int PosHoriz, int PosVert);

public:
    // ==== end of map images and files ====================================

    // ==== mouse interaction (geomap_mouse.cpp) ============================
    // Waits, running the event loop, until the user has dragged a box (true,
    // corners in control pixels, ordered) or a right button or MouseBoxAbort
    // ended the wait (false); the mouse action is restored afterwards.
    bool MouseBox(int& xLo, int& yLo, int& xHi, int& yHi);
    void MouseBoxAbort();
    TMouseBoxState MouseBoxState() const { return FDrag.BoxState; }
    // The 1-based trace point as longitude (X) and latitude (Y); Flags all set
    // when the index is out of range or the point cannot be converted.
    TColoredPoint GetMTracePoint(int Index) const;
    TColoredPoint MouseTrace(int Index) const { return GetMTracePoint(Index); }
    // The host's handlers: OnMouseDown runs after the control's own work,
    // OnMouseMove too, OnMouseUp before it.
    void SetOnMouseDown(TMouseEvent Handler) { FOnMouseDown = std::move(Handler); }
    void SetOnMouseMove(TMouseMoveEvent Handler) { FOnMouseMove = std::move(Handler); }
    void SetOnMouseUp(TMouseEvent Handler) { FOnMouseUp = std::move(Handler); }
    void SetOnClick(TNotifyEvent Handler) { FOnClick = std::move(Handler); }
    void SetOnDblClick(TNotifyEvent Handler) { FOnDblClick = std::move(Handler); }

protected:
    // X, Y in control pixels.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    // What paintEvent shows: AuxBmp, or its copy with the rubber shapes XOR-drawn
    // on it while no Paint has replaced AuxBmp since.
    const QImage& ScreenPicture() const;
    void DrawFeedback(const std::function<void(TCanvas&)>& Draw);
    void RedrawActiveShapes(TCanvas& Canvas) const;
    void XorRectangles(std::initializer_list<TRect> Rects, TPenStyle Style);
    void XorLines(std::initializer_list<TRect> Lines);  // Left, Top to Right, Bottom
    void SetMouseBoxState(TMouseBoxState Value);
    // One object per mouse action, each with press, move and release (geomap_mouse.cpp).
    class TMouseTool;
    class TDragTool;
    class TRubberBandTool;
    class TZoomBoxTool;
    class TSelectRectTool;
    class TTraceTool;
    // The tool of the current MouseAction; one that does nothing for the others.
    const TMouseTool& MouseTool() const;

    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnClick, FOnDblClick;
    bool FClickPending = false;
    QEventLoop* FMouseBoxLoop = nullptr;
    QImage FScreenBmp;
    qint64 FScreenKey = 0;  // AuxBmp.cacheKey() when FScreenBmp was copied from it

public:
    // ==== end of mouse interaction ======================================

    // ==== wheel, pinch and keys (geomap_keys.cpp) ========================
    // Each step repaints and fires OnZoomPan; the view goes into the zoom
    // history once the steps have rested for ZoomRestMs.

public:
    // One wheel notch (120 units of angle delta, or 120 pixels of a touchpad
    // scroll) zooms by this factor around the pointer; a pinch to twice the
    // size is two steps. Partial notches add up.
    static constexpr double WheelZoomFactor = 1.4142135623730951;
    static constexpr int ZoomRestMs = 400;
    bool WheelZoom() const { return FKeys.WheelZoom; }
    // Off: wheel and pinch are left to the parent widget.
    void SetWheelZoom(bool Value) { FKeys.WheelZoom = Value; }
    // For the control that holds the map (an atlas changes maps here), not a
    // host event: asked before each zoom step of the wheel, a pinch or a key
    // with the magnification the step goes to and the control point it keeps.
    // True when it has shown the step itself; the map then goes on as after a
    // step of its own (zoom history, OnZoomPan). It may delete the map.
    using TZoomStepHook = std::function<bool(double Magnify, QPointF At)>;
    void SetZoomStepHook(TZoomStepHook Hook) { FKeys.StepHook = std::move(Hook); }

protected:
    // The touchpad pinch, which has no handler of its own; true when it took the event.
    bool PinchEvent(QEvent* Event);
    void wheelEvent(QWheelEvent* Event) override;
    // Arrows pan by an eighth of the control (with Shift a half), + or = and -
    // zoom around the centre, Home fits the map, Backspace walks back through
    // the zoom history. Keys with Ctrl, Alt or Meta are left to the host.
    void keyPressEvent(QKeyEvent* Event) override;
    void timerEvent(QTimerEvent* Event) override;

private:
    void AddZoomUnits(double Units, QPointF At);
    // Steps > 0 zoom in, < 0 out; the image point under control point At stays there.
    void ZoomStepsAt(int Steps, QPointF At);
    void PanByKey(double Right, double Down);  // fractions of the control
    void GoBackInZoomHistory();
    void RestartZoomRest();
    void StoreRestedView();
    void DrawFocusFrame(QPainter& P);
    struct TKeyState {
        bool WheelZoom = true;
        double Units = 0;  // the part of a step not zoomed yet, signed
        // The image point kept under At while the view is still the one the
        // last step made; anything else moving the view drops it.
        QPointF At;
        double AnchorX = 0, AnchorY = 0;
        std::optional<TMapViewport> StepView;
        TZoomStepHook StepHook;
        int RestTimer = 0;  // while a rest is pending
        int HistoryIx = 0;  // the zoom history entry Backspace went to last
    };
    TKeyState FKeys;

public:
    // ==== end of wheel, pinch and keys ==================================

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // GrafBmp takes the picture after the size check; then name, size, AuxBmp and
    // FTopLeft follow as for a newly loaded image, and the map repaints.
    void TakeMapImage(const QImage& Picture, const std::string& Name);
    // Raises the size message when Width x Height exceeds MaxMapImagePixels.
    void CheckMapImageSize(int Width, int Height) const { zylcarto::CheckMapImageSize(Width, Height, Name()); }

    // Suppresses painting for its lifetime and restores the previous setting on
    // every way out, without repainting.
    class TPaintSuppression {
    public:
        explicit TPaintSuppression(TGeoMap& Map) : FMap(&Map), FWas(Map.FSuppressPaint) { FMap->FSuppressPaint = true; }
        // A host's handler may have destroyed the map meanwhile.
        ~TPaintSuppression() {
            if (FMap) FMap->FSuppressPaint = FWas;
        }
        TPaintSuppression(const TPaintSuppression&) = delete;
        TPaintSuppression& operator=(const TPaintSuppression&) = delete;

    private:
        QPointer<TGeoMap> FMap;
        bool FWas;
    };

    // Whether a property or a connected slot takes the event.
    template <typename Handler, typename Signal>
    bool Handles(const Handler& Property, Signal Sig) const {
        return Property || isSignalConnected(QMetaMethod::fromSignal(Sig));
    }

    bool IsShownState() const;
    // The view with the control's current size.
    TMapViewport Viewport() const;
    // The map as the renderer sees it, with the control's own cache use, trace and frame.
    TMapScene Scene() const;
    // The same for a window other than the control's (export and printing).
    TMapScene WindowScene() const;
    int ZoomSlot(int Index) const;
    // Sets the fitting view without painting; remembered while the control is not shown.
    void FitView();
    // Integer properties for hosts that set enumerations by ordinal.
    int CalibModelOrdinal() const { return static_cast<int>(CalibModel()); }
    void SetCalibModelOrdinal(int Value);
    int FrameStyleOrdinal() const { return static_cast<int>(FLook.FrameStyle); }
    void SetFrameStyleOrdinal(int Value);
    int UTMHemisphereOrdinal() const { return static_cast<int>(GetUTMHemisphere()); }
    void SetUTMHemisphereOrdinal(int Value);
    int MouseActionOrdinal() const { return static_cast<int>(FMouseAction); }
    void SetMouseActionOrdinal(int Value);
    int ShowGraticuleOrdinal() const { return static_cast<int>(FLook.ShowGrat); }
    void SetShowGraticuleOrdinal(int Value);
    QString EmptyMsgQ() const { return QString::fromStdString(FLook.EmptyMsg); }
    void SetEmptyMsgQ(const QString& Value) { SetEmptyMsg(Value.toStdString()); }
    // The property side of the state (geomap_state.cpp): what a restored value does depends on it.
    QString CalibDataFileQ() const { return QString::fromStdString(CalibDataFile()); }
    void SetCalibDataFileQ(const QString& Value);
    QString MapImgFileQ() const { return QString::fromStdString(FMapImgName); }
    void SetMapImgFileQ(const QString& Value);
    void SetUTMZoneProperty(int Value);
    bool PaintHeld() const { return FSuppressPaint || FState.Loading(); }
    std::string PlaceholderText() const;
    // The values of a newly made map, for the properties' resets.
    void ResetCalibDataFile() { SetCalibDataFileQ({}); }
    void ResetMapImgFile() { SetMapImgFileQ({}); }
    void ResetAllowPan() { SetAllowPan(true); }
    void ResetAntiAlias() { SetAntiAlias(TMapAppearance{}.AntiAlias); }
    void ResetCalibModel() { SetCalibModelOrdinal(static_cast<int>(cmUndefined)); }
    void ResetCacheMagLimit() { SetCacheMagLimit(DefaultCacheMagLimit); }
    void ResetColorBackGnd() { SetColorBakGnd(TMapAppearance{}.ColorBakGnd); }
    void ResetColorGraticule() { SetColorGratLine(TMapAppearance{}.ColorGratLine); }
    void ResetColorCalibPoints() { SetColorGratPoints(TMapAppearance{}.ColorGratPoints); }
    void ResetColorFrame() { SetColorFrame(TMapAppearance{}.FrameColor); }
    void ResetConfinePan() { SetConfinePan(true); }
    void ResetEmptyMsg() { SetEmptyMsg(TMapAppearance{}.EmptyMsg); }
    void ResetFrameStyle() { SetFrameStyle(TMapAppearance{}.FrameStyle); }
    void ResetGratLineDist() { SetGratLineDist(TMapAppearance{}.GratLineDist); }
    void ResetUTMGridDist() { SetUTMGridDist(TMapAppearance{}.UTMGridDist); }
    void ResetUTMHemisphere() { SetUTMHemisphereOrdinal(static_cast<int>(hemiNorth)); }
    void ResetMouseAction() { FMouseAction = maPan; }
    void ResetMouseTraceColor() { FTrace.Color = TTraceState{}.Color; }
    void ResetMouseTraceInvert() { FTrace.Invert = TTraceState{}.Invert; }
    void ResetShowGraticule() { SetShowGrat(TMapAppearance{}.ShowGrat); }
    void ResetRandSampleLimit() { SetRandSampleLimit(TLandMarkStore::DefaultRandSampleLimit); }
    void ResetShowScaleBar() { SetShowScaleBar(TMapAppearance{}.ShowScaleBar); }
    void ResetShowNorthArrow() { SetShowNorthArrow(TMapAppearance{}.ShowNorthArrow); }
    void ResetWheelZoom() { SetWheelZoom(TKeyState{}.WheelZoom); }

    // The state, grouped by concern. Tests reach it through TGeoMapTestAccess.
    // Mouse drags and requests: anchors and corners in control pixels, the
    // last press and move in image pixels.
    struct TDragState {
        bool LButtonWasDown = false;
        TZoomState ZoomState = zsIdle;
        TMouseBoxState BoxState = mbsIdle;
        int BoxX1 = 0, BoxX2 = 0, BoxY1 = 0, BoxY2 = 0;
        int OldCornerX = 0, OldCornerY = 0, AnchorX = 0, AnchorY = 0;  // boxes and rectangles
        bool RubberBandOn = false, SelectRectOn = false;
        int BandAnchorX = 0, BandAnchorY = 0, BandOldX = 0, BandOldY = 0;
        int TopLeftXAnchor = 0, TopLeftYAnchor = 0;
        int MouseAnchorX = 0, MouseAnchorY = 0;
        int LastClickX = 0, LastClickY = 0;
        int LastMoveX = 0, LastMoveY = 0;
    };
    struct TTraceState {
        std::vector<TColoredPoint> Points;  // MaxMouseTracePoints entries, Count used
        int Count = 0;
        TColor Color = 0xFFFFFF;
        bool Invert = true;
    };
    struct TZoomHistoryState {
        std::array<TgmZoomStackEntry, ZoomStackSize> Slots{};  // slot s is Slots[s - 1]
        int Next = 1;
    };

    // Appearance and view.
    TMapAppearance FLook;
    TMapViewport FView;  // its size is the control's, filled in by Viewport()
    // The view a ZoomFitPage set before the control was shown; refitted at the show unless changed since.
    std::optional<TMapViewport> FPendingFit;
    bool FSuppressPaint = false;
    TComponentState FState;  // designing, loading
    bool FConfinePan = true;
    TMouseActMode FMouseAction = maPan;
    // Image, cache and composed picture (ViewImageFormat).
    QImage AuxBmp;
    mutable TImageCache FCache;  // rebuilt by composing, which changes nothing else
    std::string FMapImgName;
    int FMapImgWidth = 0, FMapImgHeight = 0;
    // Calibration and landmarks, owned here.
    TMapCalibration FCalib;  // model, data, fits, restore state, calibration file name
    TLandMarkStore FLandMarks;
    // Interaction.
    TDragState FDrag;
    TTraceState FTrace;
    TZoomHistoryState FZoom;
    // Event handlers (not copied by Assign).
    TMapHooks FHooks;
    // What the renderer calls: FHooks, then the signals; the plain set lacks the
    // landmark hook, so that the renderer may read ahead when nobody draws landmarks.
    TMapHooks FRelayHooks, FRelayHooksPlain;
    TLandMarkActionEvent FOnLandMarkAction;
    TZoomPanEvent FOnZoomPan;
    TSelectRectEvent FOnSelectRect;
    TOnRubberBandActionEvent FOnBeginRubberBand, FOnContRubberBand, FOnEndRubberBand;
    TImageProgressEvent FOnDataLoading;
    TMapImgRequestEvent FOnMapImgRequest;
    QImage GrafBmp;  // the map image at full resolution, in ViewImageFormat
};

}  // namespace zylcarto
