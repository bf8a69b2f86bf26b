#pragma once
// The text helpers of the exchange readers and writers: lines, comma fields,
// locale-independent numbers and the guess at a file's encoding. Pure functions,
// safe from any thread. Not installed: only the library's own readers need them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zylcarto {

// Lines ended by LF or CR LF (a lone CR ends a line too); a UTF-8 byte order
// mark in front of the first line is dropped. The views point into Text.
std::vector<std::string_view> SplitLines(std::string_view Text);
// S without leading and trailing blanks and tabs.
std::string_view TrimSpace(std::string_view S);
// The comma-separated fields of Line, each trimmed as TrimSpace.
std::vector<std::string_view> SplitCommas(std::string_view Line);

// The whole field as a number (point as separator; blanks around and a leading
// '+' allowed); nullopt when it is empty or not a finite number.
std::optional<double> ParseNumber(std::string_view Field);

// True when S is well-formed UTF-8 (ASCII included).
bool IsUtf8(std::string_view S);
// Text of a file of unknown 8-bit encoding as UTF-8: kept when it is valid
// UTF-8, read as Windows-1252 otherwise.
std::string TextAsUtf8(std::string_view S);
// Text in Windows-1251 (Cyrillic) as UTF-8.
std::string Cp1251AsUtf8(std::string_view S);

// Utf8 with each letter + combining mark pair that Windows-1252 holds as one
// letter (e + U+0301 -> é, S + U+030C -> Š) composed, as Unicode's NFC would.
std::string ComposeLatin(std::string_view Utf8);

// Shortest text that reads back as the same double, point as separator.
std::string ShortestNumber(double Value);
// The same without an exponent (9.1e-05 as 0.000091), as XML Schema's decimal
// type wants; "0" for a value that is not finite.
std::string DecimalNumber(double Value);

}  // namespace zylcarto
