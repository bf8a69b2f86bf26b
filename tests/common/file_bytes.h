#pragma once
// A whole file's bytes, read or written in one call: as a string, or as a vector
// of bytes (ReadFile<std::vector<std::uint8_t>>).
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace zylcarto::test {

// Empty when the file cannot be read (a directory too).
template <class TBytes = std::string>
TBytes ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();  // sets failbit, not throws, where reading fails
    const std::string text = bytes.str();
    return TBytes(text.begin(), text.end());
}

// Replaces the file's content with Bytes.
inline void WriteFile(const std::string& Path, std::string_view Bytes) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc)
        .write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}
inline void WriteFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
    WriteFile(Path, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
}

#ifdef ZYLCARTO_TEST_DATA_DIR
// The lines of a file of the test's data folder, less blank lines and '#' comments.
inline std::vector<std::string> DataLines(const std::string& Name) {
    std::istringstream in(ReadFile(std::string(ZYLCARTO_TEST_DATA_DIR) + "/" + Name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}
#endif

}  // namespace zylcarto::test
