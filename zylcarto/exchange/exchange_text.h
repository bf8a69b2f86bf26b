#pragma once
/// @file
/// Small text helpers of the exchange readers: whole files, lines, comma fields
/// and locale-independent numbers. Pure functions, safe from any thread. Only the
/// two marked ZYLCARTO_EXPORT are offered to hosts; the others serve the
/// library's readers and are not exported. Files are written with WriteFileBytes
/// (support/streams.h).
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The bytes of a file; raises EInOutError when it cannot be read.
ZYLCARTO_EXPORT std::string ReadFileBytes(const std::string& FileName);

/// Lines ended by LF or CR LF (a lone CR ends a line too); a UTF-8 byte order
/// mark in front of the first line is dropped. The views point into Text.
std::vector<std::string_view> SplitLines(std::string_view Text);
/// S without leading and trailing blanks and tabs.
std::string_view TrimSpace(std::string_view S);
/// The comma-separated fields of Line, each trimmed as TrimSpace.
std::vector<std::string_view> SplitCommas(std::string_view Line);

/// The whole field as a number (point as separator; blanks around and a leading
/// '+' allowed); nullopt when it is empty or not a finite number.
std::optional<double> ParseNumber(std::string_view Field);

/// True when S is well-formed UTF-8 (ASCII included).
bool IsUtf8(std::string_view S);
/// Text of a file of unknown 8-bit encoding as UTF-8: kept when it is valid
/// UTF-8, read as Windows-1252 otherwise.
std::string TextAsUtf8(std::string_view S);

/// Shortest text that reads back as the same double, point as separator.
std::string ShortestNumber(double Value);

/// The name of the file Name in Dir ("": the current directory) as it is on disk,
/// matched exactly or else ignoring ASCII case; empty when none or Dir is unreadable.
ZYLCARTO_EXPORT std::string FindFileBeside(const std::string& Dir, const std::string& Name);

}  // namespace zylcarto
