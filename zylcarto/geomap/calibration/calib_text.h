#pragma once
// Text routines of the calibration, landmark and symbol files: line reading,
// attribute lookup and locale-independent number scanning and formatting, shared
// by the three readers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zylcarto {

class TMemoryStream;

// One line of 8-bit text from the stream's position, without its CR/LF ending.
// EndOfStream becomes true when the stream ran out while reading.
std::string ReadStreamLine(TMemoryStream& Stream, bool& EndOfStream);

// Without leading and trailing blanks (character 32 only).
std::string TrimBlanks(std::string_view S);

// The value of the first name=value pair of AttrText whose name equals Name
// (ignoring case); empty when there is none or the text is malformed before it.
std::string GetAttribute(std::string_view AttrText, std::string_view Name);

// The text between Name="  and the next double quote, for the first occurrence
// of Name=" in Text (plain search, case as given); empty when absent or unclosed.
std::string QuotedValue(std::string_view Text, std::string_view Name);

// Reads an optionally signed decimal integer from Text[Position] (0-based),
// skipping blanks; Position is left on the first character not taken. Values
// beyond the 32-bit range are clamped. No digits give 0.
std::int32_t ScanInteger(std::string_view Text, std::size_t& Position);
std::int32_t ScanInteger(std::string_view Text);

// Which characters ScanNumber accepts as the decimal separator.
enum class TDecimalSeparators : std::uint8_t { dsPoint, dsComma, dsPointOrComma };
using enum TDecimalSeparators;

// Reads a decimal number from Text[Position] (0-based), with an optional
// exponent ("E", any case); malformed numbers give 0. Position is left on the
// character that ended the scan. The result is finite.
double ScanNumber(std::string_view Text, bool AllowExponent, TDecimalSeparators Separators, std::size_t& Position);
double ScanNumber(std::string_view Text, bool AllowExponent, TDecimalSeparators Separators);

// Fixed-point text with exactly Decimals decimals and a point ("-8.50000").
std::string FormatFixed(double Value, int Decimals);

// Fixed-point text with at least 5 decimals and as many more as reading it back
// needs to give the same double ("47.50000", "47.123456789"); no exponent.
std::string FormatCoordinate(double Value);

// General format with 15 significant digits, trailing zeros dropped, point as
// separator: "12.5", "47", "1E-6", "1.5E20".
std::string FormatGeneral15(double Value);

// The shortest text that ScanNumber reads back as the same double ("47.5", "1e-07").
std::string FormatShortest(double Value);

// Text for a quoted attribute value: readers take a value up to the next double
// quote, so double quotes inside become single quotes rather than cutting the
// attributes after them.
std::string QuotableText(std::string_view Text);

// Header values are read from one line: line breaks are written as the
// character references "&#13;" and "&#10;" (an "&" that would start one of
// these or "&#38;" as "&#38;"), and read back; other text is left as it is,
// so files written before read as they did.
std::string EscapeLineBreaks(std::string_view Text);
std::string UnescapeLineBreaks(std::string_view Text);

// "TRUE" or "FALSE".
inline std::string_view BoolText(bool Value) { return Value ? "TRUE" : "FALSE"; }

}  // namespace zylcarto
