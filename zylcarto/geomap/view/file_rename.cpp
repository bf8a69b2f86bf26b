#include "zylcarto/geomap/view/file_rename.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace fs = std::filesystem;

std::string RenamedImageName(const std::string& Current, const std::string& Name) {
    // the reduction drops the dot, so the extension must go before it
    const std::string base = ReduceStringToFN83CompliantChars(StripExtension(StripPath(Name)));
    if (base.empty()) return {};
    return ExtractFilePath(Current) + base + ExtractFileExt(Current);
}

bool RenameWithoutReplacing(const std::string& From, const std::string& To) {
    std::error_code ec;
    if (fs::equivalent(From, To, ec)) return true;
    // A hard link is made only where no file of that name exists: unlike rename,
    // it cannot replace a file that appeared after a check.
    if (::link(From.c_str(), To.c_str()) == 0) {
        if (::unlink(From.c_str()) == 0) return true;
        ::unlink(To.c_str());
        return false;
    }
    if (errno == EEXIST) return false;
    // file systems without hard links: check, then rename
    if (fs::exists(fs::symlink_status(To, ec)) || ec) return false;
    fs::rename(From, To, ec);
    return !ec;
}

}  // namespace zylcarto
