// zylcarto: the library's command-line tool. Each subcommand lives in a cmd_*.cpp file.
#include <cstdio>
#include <exception>
#include <string>

#include "cli.h"

using namespace zylcarto::cli;

static void PrintOverview(std::FILE* out) {
    std::fprintf(out, "usage: zylcarto SUBCOMMAND [ARGS...]\n       zylcarto SUBCOMMAND --help\n\nsubcommands:\n");
    for (const auto& c : Commands()) std::fprintf(out, "  %-12s %s\n", c.name.c_str(), c.summary.c_str());
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintOverview(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(stdout);
        return 0;
    }
    for (const auto& c : Commands()) {
        if (c.name != name) continue;
        Args args(argv + 2, argv + argc);
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
            std::fputs(c.usage.c_str(), stdout);
            return 0;
        }
        try {
            return c.run(args);
        } catch (const UsageError& e) {
            std::fprintf(stderr, "zylcarto: %s\n", e.what());
            return 2;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zylcarto: %s\n", e.what());
            return 2;
        }
    }
    std::fprintf(stderr, "zylcarto: unknown subcommand \"%s\" (see zylcarto --help)\n", name.c_str());
    return 2;
}
