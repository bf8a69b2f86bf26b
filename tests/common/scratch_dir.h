#pragma once
// Scratch folders under the system's temporary folder, named after the process so
// that test programs run side by side keep apart, removed with everything in them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

#include "file_bytes.h"

namespace zylcarto::test {

class TScratchDir {
public:
    // Prefix names the suite; the process id keeps tests run side by side apart.
    explicit TScratchDir(const std::string& Prefix)
        : FDir(std::filesystem::temp_directory_path() / ("zylcarto_" + Prefix + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(FDir);
        std::filesystem::create_directories(FDir);
    }
    ~TScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(FDir, ec);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    const std::filesystem::path& Dir() const { return FDir; }
    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

private:
    std::filesystem::path FDir;
};

// The test program's own folder, removed when the process ends.
inline const TScratchDir& Scratch() {
    static const TScratchDir dir(program_invocation_short_name);
    return dir;
}

inline std::string ScratchPath(const std::string& Name) { return Scratch().Path(Name); }

// The path of a file Name in the program's folder, written with Bytes.
inline std::string ScratchFile(const std::string& Name, std::string_view Bytes) {
    const std::string path = ScratchPath(Name);
    WriteFile(path, Bytes);
    return path;
}

// An empty folder of the running test in the program's folder, ending in '/'.
inline std::string TestDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    const std::filesystem::path dir = Scratch().Dir() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

}  // namespace zylcarto::test
