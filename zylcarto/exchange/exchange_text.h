#pragma once
/// @file
/// Whole files for the exchange readers and writers, and the file a map names
/// beside it (files are written with WriteFileBytes, support/streams.h).
/// Safe from any thread as long as no two calls work on one file.
#include <string>
#include <string_view>

namespace zylcarto {

/// The bytes of a file; raises EInOutError when it cannot be read.
std::string ReadFileBytes(const std::string& FileName);

/// The name of the file Name in Dir ("": the current directory) as it is on disk,
/// matched exactly or else ignoring ASCII case; empty when none or Dir is unreadable.
std::string FindFileBeside(const std::string& Dir, const std::string& Name);

}  // namespace zylcarto
