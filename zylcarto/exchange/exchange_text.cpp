#include "zylcarto/exchange/exchange_text.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

std::string ReadFileBytes(const std::string& FileName) {
    std::ifstream f(FileName, std::ios::binary);
    if (!f) RaiseInOutError(FileName, "cannot open");
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad()) RaiseInOutError(FileName, "cannot read");
    return bytes;
}

std::string FindFileBeside(const std::string& Dir, const std::string& Name) {
    namespace fs = std::filesystem;
    const fs::path dir = Dir.empty() ? fs::path(".") : fs::path(Dir);
    std::error_code ec;
    if (fs::is_regular_file(dir / Name, ec)) return Name;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (SameText(candidate, Name) && it->is_regular_file(ec)) return candidate;
    }
    return {};
}

}  // namespace zylcarto
