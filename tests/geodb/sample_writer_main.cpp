// Writes the sample database, or adds a town to an existing one; built for 32
// bits to compare with the native build.
#include <cstdio>
#include <exception>
#include <string>

#include "sample_database.h"
#include "zylcarto/geodb/geodb.h"

int main(int argc, char** argv) {
    const bool addTown = argc == 3 && std::string(argv[1]) == "--add-town";
    if (argc != 2 && !addTown) {
        std::fprintf(stderr, "usage: sample_writer BASENAME | sample_writer --add-town BASENAME\n");
        return 2;
    }
    try {
        if (addTown) {
            zylcarto::TGeoDB db;
            db.SetDBName(argv[2]);
            std::printf("%d\n", db.AddTown("t", 0, 0, {1, 1}, 0, 0, 0));
            return 0;
        }
        zylcarto::test::WriteSampleDatabase(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
