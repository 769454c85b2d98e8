#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_assets.h"

// Writes the test data folder for the end-to-end run when the game's own assets are absent.
int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_test_assets FOLDER [GOAL_CELLS]\n");
        return 2;
    }
    std::string error;
    // GOAL_CELLS 0 puts each goal beside its start: the level ends in its first frame.
    if (!WriteTestAssets(argv[1], error, argc == 3 ? std::atoi(argv[2]) : 20)) {
        std::fprintf(stderr, "make_test_assets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
