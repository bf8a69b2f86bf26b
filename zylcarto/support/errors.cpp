#include "zylcarto/support/errors.h"

#include <cerrno>
#include <cstring>

namespace zylcarto {

EInOutError::EInOutError(const std::string& path, int errorCode, const std::string& what)
    : std::runtime_error(what), FPath(path), FErrorCode(errorCode) {}

void RaiseInOutError(const std::string& path, const std::string& action) {
    const int err = errno;
    std::string msg = action + " \"" + path + "\"";
    if (err != 0) msg += ": " + std::string(std::strerror(err));
    throw EInOutError(path, err, msg);
}

std::string ComponentMessage(const std::string& componentName, const std::string& text) {
    return "Component \"" + componentName + "\": " + text;
}

}  // namespace zylcarto
