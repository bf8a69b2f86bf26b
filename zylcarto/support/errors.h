#pragma once
// Exception classes shared by every unit of the library.
#include <string>
#include <stdexcept>

#include "zylcarto/support/export.h"

namespace zylcarto {

class ZYLCARTO_EXPORT EZYLError : public std::runtime_error {
public:
    explicit EZYLError(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

class ZYLCARTO_EXPORT EZYLGeoBasicsError : public EZYLError { public: using EZYLError::EZYLError; };
class ZYLCARTO_EXPORT EZYLGeoDBError : public EZYLError { public: using EZYLError::EZYLError; };
class ZYLCARTO_EXPORT EZYLGeoMapError : public EZYLError { public: using EZYLError::EZYLError; };

// Input/output failures other than a missing file: the path and the system
// error number travel with the message so a host can tell what went wrong.
class ZYLCARTO_EXPORT EInOutError : public std::runtime_error {
public:
    EInOutError(const std::string& path, int errorCode, const std::string& what);
    const std::string& Path() const { return FPath; }
    int ErrorCode() const { return FErrorCode; }
private:
    std::string FPath;
    int FErrorCode;
};

// Raises EInOutError for `path` with the current errno and the given action ("cannot open").
[[noreturn]] ZYLCARTO_EXPORT void RaiseInOutError(const std::string& path, const std::string& action);

// "Component \"Name\": text", the form of every component method's message.
ZYLCARTO_EXPORT std::string ComponentMessage(const std::string& componentName, const std::string& text);

} // namespace zylcarto
