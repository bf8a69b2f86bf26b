#pragma once
// The subcommand registry and argument helpers of the zylcarto tool.
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geodesy/dms.h"

namespace zylcarto::cli {

using TArgs = std::vector<std::string>;

struct TCommand {
    std::string Name;
    std::string Summary;                   // one line for "zylcarto --help"
    std::string Usage;                     // full text for "zylcarto NAME --help"
    std::function<int(const TArgs&)> Run;  // arguments after the subcommand name
};

// Registers a command at start-up: `static const TRegistrar reg{{...}};` in a cmd_*.cpp file.
struct TRegistrar {
    explicit TRegistrar(TCommand C);
};
const std::vector<TCommand>& Commands();

// The exit statuses of every subcommand (listed in "zylcarto --help").
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailed = 1;  // a conversion or operation failed, or the output could not be written
inline constexpr int ExitUsage = 2;   // bad usage or unreadable input

// A bad argument or unreadable input: main prints "zylcarto: " + message and exits with ExitUsage.
struct EUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Valid input without an answer (a point outside the grid, a failed operation): main
// prints the message and exits with ExitFailed, as for any other error raised.
struct EOperationFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An argument quoted for a message, cut to 80 bytes: a field may be of any length.
std::string Quoted(std::string_view Text);

// Writes to standard output; raises EOperationFailed when it cannot take the text.
void WriteOut(std::string_view Text);

// The finite number Text holds in full (an optional sign, decimals or an exponent), locale-independent;
// false for anything else. It raises nothing: a batch reads millions and a bad line is no exception.
bool ReadNumber(std::string_view Text, double& Value);
// ReadNumber and its whole-number peer, raising EUsageError naming What when malformed.
double ParseDouble(std::string_view Text, std::string_view What);
int ParseInt(std::string_view Text, std::string_view What);
// A latitude (Axis dmsLatitude) or longitude (dmsLongitude) in degrees: a decimal number as
// ParseDouble reads it, or degrees, minutes and seconds ("47°04'12.5\"N", "N47 04.208");
// raises EUsageError naming What and the offending character, also for the other axis's
// hemisphere letter. The range is left to the caller.
double ParseDegrees(std::string_view Text, std::string_view What, TDMSAxis Axis);
// A latitude and a longitude, in this order or in the other when hemisphere letters say so
// ("E44d24 N33d20"); returns true when they came the other way round.
bool ParsePosition(std::string_view First, std::string_view Second, double& Lat, double& Long);
// A line or command line that starts with a latitude and a longitude written with blanks
// ("47 4 12.5 N 15 26 E 400"): joins Tokens into the two angles and the After values that
// follow them. Returns false when no single split reads as two angles.
bool RegroupPosition(std::span<const std::string_view> Tokens, std::size_t After, std::vector<std::string>& Fields);

// The one rule for an answer: the tool never prints a non-finite value. Finite returns
// Value, or raises EOperationFailed ("no finite WHAT for this input"), which fails the
// line of a batch or the command, with exit status 1.
double Finite(double Value, std::string_view What);

// Locale-independent formatting of answers, Finite(Value, "result") first.
std::string FormatFixed(double Value, int Decimals);
std::string FormatShortest(double Value);  // shortest text that reads back as the same double
std::string FormatShortest(float Value);   // shortest text that reads back as the same float
// Appends FormatFixed(Value, Decimals) to Out, without allocating for the common
// case of a value of at most 15 significant digits: the batch conversions print millions.
void AppendFixed(std::string& Out, double Value, int Decimals);

// Removes "--name VALUE" from Args and returns VALUE (repeatable options: call again).
std::optional<std::string> TakeOption(TArgs& Args, std::string_view Name);
// Removes "--name" from Args and tells whether it was there.
bool TakeFlag(TArgs& Args, std::string_view Name);
// Raises EUsageError when Args still holds an option ("--...") that nobody took.
void RejectUnknownOptions(const TArgs& Args);

// Warns on standard error that Count landmarks of File were passed over (nothing for 0).
void WarnSkippedLandMarks(int Count, const std::string& File);

// The next field of Line at or after Pos (blanks of the C locale separate fields), Pos
// moved past it; empty when there is none.
std::string_view NextField(std::string_view Line, std::size_t& Pos);
// The fields of Line into Fields without allocating; returns their count, or
// Fields.size() + 1 when Line holds more.
std::size_t SplitFields(std::string_view Line, std::span<std::string_view> Fields);
// The fields of Line as strings.
std::vector<std::string> SplitFields(std::string_view Line);

// The lines of a file or standard input, read in large blocks and handed out as
// views without allocating. CR, LF and CR LF each end a line; a last line needs no end.
class TLineReader {
public:
    static constexpr std::size_t MaxLine = 1 << 20;  // longer lines are passed over, not held

    explicit TLineReader(std::FILE* In) : FIn(In), FBuffer(2 * MaxLine) {}
    // The next line, valid until the next call; false at the end of the input. A
    // line longer than MaxLine comes back empty with TooLong() true.
    bool Next(std::string_view& Line);
    bool TooLong() const { return FTooLong; }
    long long LineNumber() const { return FLineNumber; }  // of the line Next gave, from 1
    bool ReadFailed() const { return std::ferror(FIn) != 0; }

private:
    bool Fill();  // moves the unread bytes to the front and reads more; false at the end

    std::FILE* FIn;
    std::vector<char> FBuffer;
    std::size_t FBegin = 0, FEnd = 0;  // the unread bytes
    bool FAtEnd = false, FAfterCR = false, FTooLong = false;
    long long FLineNumber = 0;
};

}  // namespace zylcarto::cli
