#pragma once
// Runs a shell command line, by default the built zylcarto tool, with a given
// standard input and collects its exit status, standard output and standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "scratch_dir.h"

namespace zylcarto::test {

struct TCliResult {
    int Status;
    std::string Out, Err;

    // The lines of Out without their line ends.
    std::vector<std::string> Lines() const {
        std::istringstream in(Out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

// The exit status of a shell command line, run in WorkDir if given.
inline int ShellStatus(const std::string& Command, const std::string& WorkDir = "") {
    const std::string cd = WorkDir.empty() ? "" : "cd '" + WorkDir + "' && ";
    const int raw = std::system((cd + Command).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Runs Command with Input on standard input, in WorkDir if given; with MergeErr
// standard error is interleaved into Out as a terminal would show it.
inline TCliResult RunShell(const std::string& Command, const std::string& Input = "", const std::string& WorkDir = "",
                           bool MergeErr = false) {
    std::string base = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(base.begin(), base.end(), '/', '_');
    base = ScratchPath(base);
    const std::string in = base + "_in.txt", out = base + "_out.txt", err = base + "_err.txt";
    WriteFile(in, Input);
    const std::string toErr = MergeErr ? " 2>&1" : " 2>'" + err + "'";
    const int status = ShellStatus("{ " + Command + "; } <'" + in + "' >'" + out + "'" + toErr, WorkDir);
    return {status, ReadFile(out), MergeErr ? "" : ReadFile(err)};
}

// The first two numbers of each line "cs2cs Args" prints for Input, one point a
// line; empty when cs2cs is missing.
inline std::vector<std::array<double, 2>> Cs2cs(const std::string& Args, const std::string& Input) {
    std::vector<std::array<double, 2>> out;
    for (const std::string& line : RunShell("cs2cs " + Args + " 2>/dev/null", Input).Lines()) {
        std::istringstream in(line);
        std::array<double, 2> v{};
        if (in >> v[0] >> v[1]) out.push_back(v);
    }
    return out;
}

#ifdef ZYLCARTO_CLI
// The tool, quoted for a shell command line.
inline const std::string& CliPath() {
    static const std::string quoted = std::string("'") + ZYLCARTO_CLI + "'";
    return quoted;
}

// The exit status of a shell command line that starts with the tool's arguments.
inline int CliStatus(const std::string& Rest, const std::string& WorkDir = "") {
    return ShellStatus(CliPath() + " " + Rest, WorkDir);
}

// Runs "zylcarto ARGS" with Input on standard input.
inline TCliResult RunCli(const std::string& Args, const std::string& Input = "", const std::string& WorkDir = "",
                         bool MergeErr = false) {
    return RunShell(CliPath() + " " + Args, Input, WorkDir, MergeErr);
}
#endif

}  // namespace zylcarto::test
