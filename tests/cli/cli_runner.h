#pragma once
// Runs the built zylcarto tool with a given standard input and collects its
// exit status, standard output and standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "scratch_dir.h"

namespace zylcarto::test {

struct TCliResult {
    int Status;
    std::string Out, Err;
};

inline const TScratchDir& CliScratch() {
    static const TScratchDir dir("cli");
    return dir;
}

inline std::string ReadFile(const std::string& Path) {
    std::ifstream f(Path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// The exit status of a shell command line that starts with the tool, run in WorkDir if given.
inline int CliStatus(const std::string& Rest, const std::string& WorkDir = "") {
    const std::string cd = WorkDir.empty() ? "" : "cd '" + WorkDir + "' && ";
    const int raw = std::system((cd + "'" + ZYLCARTO_CLI + "' " + Rest).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Runs "zylcarto ARGS" with Input on standard input.
inline TCliResult RunCli(const std::string& Args, const std::string& Input = "", const std::string& WorkDir = "") {
    const std::string base = CliScratch().Path(::testing::UnitTest::GetInstance()->current_test_info()->name());
    const std::string in = base + "_in.txt", out = base + "_out.txt", err = base + "_err.txt";
    std::ofstream(in, std::ios::binary) << Input;
    const int status = CliStatus(Args + " <'" + in + "' >'" + out + "' 2>'" + err + "'", WorkDir);
    return {status, ReadFile(out), ReadFile(err)};
}

}  // namespace zylcarto::test
