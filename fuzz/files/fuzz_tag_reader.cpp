// The tag reader alone, on inputs large enough that a reader doing more than one
// pass over its input runs into the time limit.
#include "fuzz_input.h"
#include "zylcarto/support/tagreader.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const TTagList tags = {"geomap",       "/geomap",  "calline",   "corners",   "resolution", "gmlandmarks",
                                  "/gmlandmarks", "landmark", "calquads",  "lmsymbols", "/lmsymbols", "symbol",
                                  "utmzone",      "utmsouth", "ellipsoid", "invalidtag"};
    TMemoryStream in = fuzz::StreamOf(Data, Size);
    std::string attrs, content;
    // every tag read consumes at least its "<" and ">", so the loop ends within Size reads
    for (std::size_t reads = 0;; ++reads) {
        fuzz::Check(reads <= Size, "each read consumes input");
        const std::uint8_t index = ReadNextTagInStream(in, tags, attrs, content);
        fuzz::Check(index < tags.size(), "index within the tag list");
        fuzz::Check(attrs.size() + content.size() <= Size, "no text beyond the input");
        if (index == 1 || index == 15) break;
    }
    return 0;
}
