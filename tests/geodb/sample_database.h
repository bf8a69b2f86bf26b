#pragma once
// A database written the same way by every build, for comparing builds byte for byte.
#include <string>

namespace zylcarto::test {

// Creates the database BaseName with a fixed history of adds, replaces and deletes.
void WriteSampleDatabase(const std::string& BaseName);

}  // namespace zylcarto::test
