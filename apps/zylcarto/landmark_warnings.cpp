#include "landmark_warnings.h"

#include <algorithm>
#include <cstdio>

#include "cli.h"

namespace zylcarto::cli {

void WarnAlteredLandMarkTexts(const std::vector<TLandMark>& LandMarks, const std::string& File) {
    const auto first = std::find_if(LandMarks.begin(), LandMarks.end(), [](const TLandMark& L) { return TextAltered(L); });
    if (first == LandMarks.end()) return;
    const auto count = std::count_if(first, LandMarks.end(), [](const TLandMark& L) { return TextAltered(L); });
    std::fprintf(stderr,
                 "zylcarto: warning: %td landmark(s) of %s have a caption longer than 80 or an identifier longer "
                 "than 15 characters, cut to that length; the first is landmark %td\n",
                 count, File.c_str(), first - LandMarks.begin() + 1);
}

}  // namespace zylcarto::cli
