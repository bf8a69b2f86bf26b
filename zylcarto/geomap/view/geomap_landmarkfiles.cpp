// The map's side of the landmark file.
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/view/geomap_p.h"

namespace zylcarto {

void TGeoMapPrivate::ReplaceLandMarks(const std::vector<TLandMark>& LandMarks) {
    Q_Q(TGeoMap);
    // Built in a store of its own (no handler, no repaint) and taken over with
    // Assign, which copies settings and list but fires nothing.
    TLandMarkStore read(q, [q] { return q->Name(); });
    read.Assign(FLandMarks);
    read.RemoveAllLandMarks();
    for (const TLandMark& L : LandMarks) {
        const int before = read.NumLandMarks();
        read.AddLandMark(L.Latitude, L.Longitude, L.Altitude);
        // A landmark the store refused must not overwrite the one before it.
        if (read.NumLandMarks() > before) read.SetLandMarkData(read.NumLandMarks(), L);
    }
    FLandMarks.Assign(read);
}

bool TGeoMap::ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
    Q_D(TGeoMap);
    TTextFileSource source(F);
    std::vector<TLandMark> read;
    int skipped = 0;
    if (!ReadLandMarkSet(source, DataID, read, &skipped)) return false;
    d->FLandMarksSkipped = skipped;
    d->ReplaceLandMarks(read);
    return true;
}

bool TGeoMap::LoadLandMarks(const std::string& FName, const std::string& DataID) {
    TTextFile f;
    if (!f.OpenRead(FName)) return false;
    const bool found = ReadLandMarksFromOpenXMLFile(f, DataID);
    f.Close();
    Paint();
    return found;
}

void TGeoMap::WriteLandMarksToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID) {
    Q_D(TGeoMap);
    WriteLandMarkSet(F, WriteHeader, DataID, d->FLandMarks.NumLandMarks(),
                     [d](int Index) -> const TLandMark& { return d->FLandMarks.LandMark(Index); });
}

void TGeoMap::SaveLandmarks(const std::string& FileName, const std::string& DataID) {
    TTextFile f;
    f.OpenWrite(FileName);
    WriteLandMarksToOpenXMLFile(f, true, DataID);
    f.Close();
}

}  // namespace zylcarto
