// zylcarto: the library's command-line tool. Each subcommand lives in a cmd_*.cpp file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli.h"

using namespace zylcarto::cli;

static void PrintOverview(std::FILE* out) {
    std::fprintf(out, "usage: zylcarto SUBCOMMAND [ARGS...]\n       zylcarto SUBCOMMAND --help\n\nsubcommands:\n");
    for (const auto& c : Commands()) std::fprintf(out, "  %-12s %s\n", c.Name.c_str(), c.Summary.c_str());
    std::fprintf(out, "\nexit status of every subcommand:\n"
                      "  0  success\n"
                      "  1  a conversion or operation failed (the reason goes to standard error,\n"
                      "     or into an \"error: ...\" line when converting standard input), or the\n"
                      "     output could not be written\n"
                      "  2  bad usage or unreadable input\n");
}

static int Fail(int status, const char* message) {
    std::fprintf(stderr, "zylcarto: %s\n", message);
    return status;
}

// Runs a subcommand and maps what it raises to the exit statuses above.
static int Run(const TCommand& c, const TArgs& args) {
    try {
        return c.Run(args);
    } catch (const EUsageError& e) {
        return Fail(ExitUsage, e.what());
    } catch (const std::exception& e) {  // EOperationFailed and the library's own errors
        return Fail(ExitFailed, e.what());
    } catch (...) {
        return Fail(ExitFailed, "unexpected error");
    }
}

// Standard input that could not be read (a directory, say) is unreadable input,
// also for a subcommand that took the short read for the end of its input.
static int InputChecked(int status) {
    if (std::ferror(stdin)) {
        const int error = errno;
        return Fail(ExitUsage, (std::string("cannot read standard input: ") + std::strerror(error)).c_str());
    }
    return status;
}

// Output that could not be written is a failure, whatever the subcommand reported.
static int Flushed(int status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno;
        return Fail(ExitFailed, (std::string("cannot write to standard output: ") + std::strerror(error)).c_str());
    }
    return status;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintOverview(stderr);
        return ExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(stdout);
        return Flushed(ExitSuccess);
    }
    for (const auto& c : Commands()) {
        if (c.Name != name) continue;
        TArgs args(argv + 2, argv + argc);
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
            std::fputs(c.Usage.c_str(), stdout);
            return Flushed(ExitSuccess);
        }
        return Flushed(InputChecked(Run(c, args)));
    }
    return Fail(ExitUsage, ("unknown subcommand " + Quoted(name) + " (see zylcarto --help)").c_str());
}
