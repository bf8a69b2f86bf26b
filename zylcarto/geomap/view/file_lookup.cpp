#include "zylcarto/geomap/view/file_lookup.h"

#include <filesystem>
#include <system_error>

#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace fs = std::filesystem;

std::string FindFileIgnoringCase(const std::string& Path) {
    std::error_code ec;
    if (Path.empty()) return {};
    if (fs::exists(Path, ec)) return Path;
    const fs::path p(Path);
    fs::path found = p.root_path();
    for (const fs::path& part : p.relative_path()) {
        const fs::path exact = found / part;
        if (fs::exists(exact, ec)) {
            found = exact;
            continue;
        }
        const fs::path dir = found.empty() ? fs::path(".") : found;
        bool matched = false;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (SameText(it->path().filename().string(), part.string())) {
                found /= it->path().filename();
                matched = true;
                break;
            }
        }
        if (!matched) return {};
    }
    return found.string();
}

std::string FileInFolder(const std::string& Name, const std::string& Folder) {
    if (Name.empty() || Folder.empty() || fs::path(Name).is_absolute()) return Name;
    const std::string InFolder = (fs::path(Folder) / Name).string();
    const std::string Found = FindFileIgnoringCase(InFolder);
    return Found.empty() ? InFolder : Found;
}

std::string MapImageBesideCalibration(const std::string& ImageName, const std::string& CalFileName) {
    if (CalFileName.empty()) return ImageName;
    const std::string folder = ExtractFilePath(CalFileName);
    const std::string beside = FindFileIgnoringCase((folder.empty() ? "./" : folder) + StripPath(ImageName));
    if (beside.empty()) return ImageName;
    // the same file under the name as written keeps that name
    const std::string asWritten = FindFileIgnoringCase(ImageName);
    std::error_code ec;
    if (!asWritten.empty() && fs::equivalent(asWritten, beside, ec)) return ImageName;
    return beside;
}

}  // namespace zylcarto
