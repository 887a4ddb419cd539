// Saves the data folder given as its argument again and again, alternating
// between two versions, until it is killed.

#include <cstdio>
#include <string>

#include "tests/shell/app/KillVersions.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA-FOLDER/\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (unsigned long i = 0;; ++i)
        if (!orvane::killtest::saveVersion(folder, static_cast<int>(i & 1))) {
            std::perror("save");
            return 1;
        }
}
