// Placeholder until the generator lands: writes the empty schema.
#include <cstdio>
#include <string>

#include "data/schema.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::remove(argv[1]);
    std::string error;
    auto db = zelmora::create_premium_database(argv[1], error);
    if (!db) {
        std::fputs(error.c_str(), stderr);
        return 1;
    }
    return zelmora::create_schema(*db) == 0 ? 0 : 1;
}
