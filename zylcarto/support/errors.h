#pragma once
/// @file
/// Exception classes shared by every unit of the library.
///
/// The library reports failures as exceptions of these classes; conversions
/// that merely cannot be done report it through a result or a valid flag
/// instead, and out-of-range indexes give False, 0 or -1. The classes carry no
/// state beyond their message and may cross threads like any exception.
#include <string>
#include <stdexcept>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// Base of the library's own exceptions. Messages of component methods read
/// "Component \"Name\": text"; those of free functions have no prefix.
class ZYLCARTO_EXPORT EZYLError : public std::runtime_error {
public:
    /// An exception with message msg, given back by what() and Message().
    explicit EZYLError(const std::string& msg) : std::runtime_error(msg) {}
    /// The message, as a copy.
    std::string Message() const { return what(); }
};

/// Raised by the geodesy functions, only for an invalid eccentricity or
/// reciprocal flattening.
class ZYLCARTO_EXPORT EZYLGeoBasicsError : public EZYLError {
public:
    using EZYLError::EZYLError;
};
/// Raised by TGeoDB for bad file contents and operations it refuses.
class ZYLCARTO_EXPORT EZYLGeoDBError : public EZYLError {
public:
    using EZYLError::EZYLError;
};
/// Raised by TGeoMap, its calibration and landmark files and TGeoAtlas.
class ZYLCARTO_EXPORT EZYLGeoMapError : public EZYLError {
public:
    using EZYLError::EZYLError;
};

/// Input/output failures other than a missing file: the path and the system
/// error number travel with the message so a host can tell what went wrong.
class ZYLCARTO_EXPORT EInOutError : public std::runtime_error {
public:
    /// An error about path with the errno value errorCode; what is the message.
    EInOutError(const std::string& path, int errorCode, const std::string& what);
    /// The file or folder the operation failed on.
    const std::string& Path() const { return FPath; }
    /// The system error number (errno) of the failure.
    int ErrorCode() const { return FErrorCode; }

private:
    std::string FPath;
    int FErrorCode;
};

/// Raises EInOutError for `path` with the current errno and the given action ("cannot open").
[[noreturn]] ZYLCARTO_EXPORT void RaiseInOutError(const std::string& path, const std::string& action);

/// "Component \"Name\": text", the form of every component method's message.
ZYLCARTO_EXPORT std::string ComponentMessage(const std::string& componentName, const std::string& text);

}  // namespace zylcarto
