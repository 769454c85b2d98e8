#include <cstdio>
#include <string>

#include "test_assets.h"

// Writes the test data folder for the end-to-end run when the game's own assets are absent.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_test_assets FOLDER\n");
        return 2;
    }
    std::string error;
    if (!WriteTestAssets(argv[1], error)) {
        std::fprintf(stderr, "make_test_assets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
