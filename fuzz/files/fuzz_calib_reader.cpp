// The map's calibration reader (finding the set, the map's rules for the tags),
// then a write and a second read that must give the same structure back.
#include "fuzz_input.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TMemoryStream in = fuzz::StreamOf(Data, Size);
    TStreamSource source(in);
    TCalibSetHeader header;
    if (!FindCalibSet(source, "", header)) return 0;
    TCalibData d;
    d.MapFName = header.MapFName;
    d.Caption = header.Caption;
    try {
        ReadCalibTags(source, d, {"Component \"fuzz\": ", true});
    } catch (const EZYLGeoMapError&) {
        // malformed sets raise; what was read must still be a sound record
    }
    fuzz::Check(d.NumCalLines >= 0 && d.NumCalLines <= MaxCalibLines, "line count within capacity");
    fuzz::Check(d.NumCalQuads >= 0 && d.NumCalQuads <= MaxCalibQuads, "quad count within capacity");
    for (int i = 1; i <= d.NumCalLines; ++i)
        fuzz::Check(d.CalLines[i].NumPoints >= 0 && d.CalLines[i].NumPoints <= MaxGratLinePoints,
                    "points within capacity");

    TMemoryStream out;
    WriteCalDataToStream(out, "fuzz", d, MapReaderModel(header));
    out.SetPosition(0);
    TCalibData back;
    TCalibModel model = cmUndefined;
    fuzz::Check(ParseCalibData(out, "fuzz", back, model), "written set is found again");
    fuzz::Check(back.NumCalLines == d.NumCalLines && back.NumCalQuads == d.NumCalQuads, "counts survive a round trip");
    fuzz::Check(back.CRS == d.CRS && back.ProjOrder == d.ProjOrder, "the CRS text and order survive byte for byte");
    for (int i = 1; i <= d.NumCalLines; ++i) {
        fuzz::Check(back.CalLines[i].LineType == d.CalLines[i].LineType, "line type survives");
        fuzz::Check(back.CalLines[i].NumPoints == d.CalLines[i].NumPoints, "point count survives");
        for (int k = 1; k <= d.CalLines[i].NumPoints; ++k)
            fuzz::Check(back.CalLines[i].CalPoints[k] == d.CalLines[i].CalPoints[k], "points survive");
    }
    for (int i = 1; i <= d.NumCalQuads; ++i)
        fuzz::Check(back.CalQuads[i].MapX == d.CalQuads[i].MapX && back.CalQuads[i].MapY == d.CalQuads[i].MapY,
                    "quad pixels survive");
    return 0;
}
