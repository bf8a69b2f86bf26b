// The map's side of the calibration file: writing its calibration, and the
// reader that resets, reads, loads the image and refits.
#include <filesystem>

#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/view/file_lookup.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/geomap/view/map_loading.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

void TGeoMap::WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID) {
    Q_D(TGeoMap);
    d->FCalib.CalcExtentsAndResolution();
    d->FCalib.CalibData().MapFName = d->FMapImgName;
    WriteRawCalDataToOpenXMLFile(F, WriteHeader, DataID, d->FCalib.CalibData(), d->FCalib.CalibModel());
}

void TGeoMap::SaveCalDataAsXML(const std::string& FileName, const std::string& DataID) {
    TTextFile f;
    f.OpenWrite(FileName);
    WriteCalDataToOpenXMLFile(f, true, DataID);
    f.Close();
}

void TGeoMap::SaveCalDataAsXML(TMemoryStream& OutStream, const std::string& DataID) {
    Q_D(TGeoMap);
    d->FCalib.CalcExtentsAndResolution();
    d->FCalib.CalibData().MapFName = d->FMapImgName;
    WriteCalDataToStream(OutStream, DataID, d->FCalib.CalibData(), d->FCalib.CalibModel());
}

void ReadMapCalibration(TXmlSource& Source, const TCalibSetHeader& Header, TMapCalibration& Calib,
                        const std::string& ComponentName) {
    Calib.StoreCalibModel(MapReaderModel(Header));
    TCalibData& data = Calib.CalibData();
    data.MapFName = Header.MapFName;
    data.Caption = Header.Caption;
    Calib.ClearCalibData();
    ReadCalibTags(Source, Calib.CalibData(), {ComponentMessage(ComponentName, ""), true});
    Calib.RecalcGratMat();
}

void FitReadCalibration(TMapCalibration& Calib) {
    switch (Calib.CalibModel()) {
    case cmBiquadraticPn: Calib.CalcBiquadraticCalibration(); break;
    case cmConicConformal: Calib.CalcConicCalibration(); break;
    case cmMillerCylindrical: Calib.CalcMillerCylCalibration(); break;
    case cmEquiRect:
    case cmUTM: Calib.CalcEquiRectCalibration(); break;
    case cmProjected: Calib.CalcProjectedCalibration(); break;
    default: break;
    }
}

bool TGeoMapPrivate::ReadCalDataIntern(TXmlSource& Source, const std::string& DataID, const std::string& CalFileName) {
    Q_Q(TGeoMap);
    TCalibSetHeader header;
    if (!FindCalibSet(Source, DataID, header)) return false;
    // Read aside, and taken together with its image: a data set that raises or
    // names a missing or broken image leaves the map shown as it was.
    TMapCalibration read(q->Name());
    read.Assign(FCalib);
    read.SetMapImageSize(FMapImgWidth, FMapImgHeight);
    ReadMapCalibration(Source, header, read, q->Name());
    std::string imageName = read.CalibData().MapFName;
    // The calibration of a picture set in memory names no file; it is taken for the picture shown.
    if (imageName == "$unknown$") imageName.clear();
    TLoadedImage picture;
    if (!imageName.empty()) {
        if (!Handles(FOnMapImgRequest, &TGeoMap::mapImageRequest))
            imageName = MapImageBesideCalibration(imageName, CalFileName);
        bool found = false;
        if (!ReadMapImageFile(imageName, picture, found)) return true;
        if (!found) return false;
    }
    const bool Alive = SurvivesCall(q, [&] {
        // One repaint at the end instead of one per step; restored also when a step raises.
        const TGeoMapPrivate::TPaintSuppression hold(*q);
        FCalib.Assign(read);
        if (!imageName.empty()) TakeMapImage(std::move(picture), imageName);
        FitReadCalibration(FCalib);
    });
    if (!Alive) return true;
    q->Paint();
    // Found and read: a map of the point-based models is loaded even though it
    // has no graticule lines to fit.
    return true;
}

bool TGeoMap::ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
    Q_D(TGeoMap);
    TTextFileSource source(F);
    return d->ReadCalDataIntern(source, DataID, F.FileName());
}

bool TGeoMap::LoadCalDataFromXML(const std::string& FName, const std::string& DataID) {
    TTextFile f;
    if (!f.OpenRead(FName)) return false;
    const bool ok = ReadCalDataFromOpenXMLFile(f, DataID);
    f.Close();
    return ok;
}

bool TGeoMap::LoadCalDataFromXML(TMemoryStream& InStream, const std::string& DataID) {
    Q_D(TGeoMap);
    TStreamSource source(InStream);
    return d->ReadCalDataIntern(source, DataID, "");
}

void TGeoMap::SetCalDatName(const std::string& Value) {
    Q_D(TGeoMap);
    std::error_code ec;
    if (std::filesystem::is_regular_file(Value, ec)) {
        d->FCalib.StoreCalDatName(Value);
        if (!SurvivesCall(this, [&] { LoadCalDataFromXML(Value, ""); })) return;
    } else {
        d->FMapImgName.clear();
        d->FMapImgWidth = d->FMapImgHeight = 0;
        d->FCalib.SetMapImageSize(0, 0);
    }
    Paint();
}

}  // namespace zylcarto
