#pragma once
// A folder of the test's own under the system's temporary folder, removed with
// everything in it when the object goes (for a static one: when the process ends).
#include <unistd.h>

#include <filesystem>
#include <string>

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

}  // namespace zylcarto::test
