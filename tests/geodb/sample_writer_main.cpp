// Writes the sample database; built for 32 bits to compare with the native build.
#include <cstdio>
#include <exception>

#include "sample_database.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_writer BASENAME\n");
        return 2;
    }
    try {
        zylcarto::test::WriteSampleDatabase(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
