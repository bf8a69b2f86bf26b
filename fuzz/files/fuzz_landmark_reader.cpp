// The landmark reader, then a write and a second read that must give every
// field back (the font name aside: bytes without a character do not survive).
#include "fuzz_input.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TMemoryStream in = fuzz::StreamOf(Data, Size);
    TStreamSource source(in);
    std::vector<TLandMark> lms;
    if (!ReadLandMarkSet(source, "", lms)) return 0;

    TMemoryStream out;
    WriteLnStream(out, "<gmlandmarks sig=\"ZYLCSuite\" vers=\"1.0\" id=\"f\">");
    for (const TLandMark& L : lms) WriteLnStream(out, LandMarkTag(L));
    WriteLnStream(out, "</gmlandmarks>");
    out.SetPosition(0);
    TStreamSource again(out);
    std::vector<TLandMark> back;
    fuzz::Check(ReadLandMarkSet(again, "F", back), "written set is found again");
    fuzz::Check(back.size() == lms.size(), "landmark count survives");
    for (std::size_t i = 0; i < lms.size(); ++i) {
        TLandMark expected = lms[i];
        expected.Caption.FontName = back[i].Caption.FontName;
        fuzz::Check(back[i] == expected, "landmark fields survive");
    }
    return 0;
}
