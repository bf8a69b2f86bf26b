#pragma once
// The subcommand registry and argument helpers of the zylcarto tool.
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zylcarto::cli {

using Args = std::vector<std::string>;

struct Command {
    std::string name;
    std::string summary;  // one line for "zylcarto --help"
    std::string usage;    // full text for "zylcarto NAME --help"
    std::function<int(const Args&)> run;  // arguments after the subcommand name
};

// Registers a command at start-up: `static const Registrar reg{{...}};` in a cmd_*.cpp file.
struct Registrar {
    explicit Registrar(Command c);
};
const std::vector<Command>& Commands();

// The exit statuses of every subcommand (listed in "zylcarto --help").
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailed = 1;  // a conversion or operation failed, or the output could not be written
inline constexpr int ExitUsage = 2;   // bad usage or unreadable input

// A bad argument or unreadable input: main prints "zylcarto: " + message and exits with ExitUsage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Valid input without an answer (a point outside the grid, a failed operation): main
// prints the message and exits with ExitFailed, as for any other error raised.
struct OperationFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An argument quoted for a message, cut to 80 bytes: a field may be of any length.
std::string Quoted(std::string_view text);

// Writes to standard output; raises OperationFailed when it cannot take the text.
void WriteOut(std::string_view text);

// Locale-independent number parsing; raise UsageError naming `what` when malformed.
double ParseDouble(std::string_view text, std::string_view what);
int ParseInt(std::string_view text, std::string_view what);

// Locale-independent formatting.
std::string FormatFixed(double value, int decimals);
std::string FormatShortest(double value);  // shortest text that reads back as the same double

// Removes "--name VALUE" from args and returns VALUE (repeatable options: call again).
std::optional<std::string> TakeOption(Args& args, std::string_view name);
// Removes "--name" from args and tells whether it was there.
bool TakeFlag(Args& args, std::string_view name);
// Raises UsageError when args still holds an option ("--...") that nobody took.
void RejectUnknownOptions(const Args& args);

// Splits a line into whitespace-separated fields.
std::vector<std::string> SplitFields(std::string_view line);

} // namespace zylcarto::cli
