// Level design tool: prints a map image as a text picture with what the game will build
// from it, and turns a text picture into a 128 x 128 TGA map.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "map_text.h"
#include "platform/files/files.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: level_map show MAP.tga\n"
                 "       level_map make PICTURE.txt MAP.tga   (PICTURE.txt may be - for stdin)\n"
                 "cells: # solid  + scenery  ^ spike up  v spike down  S start  G goal  . empty\n");
    return 2;
}

std::int32_t Live(const BoxList& list, std::int32_t kind)
{
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < list.count; ++i) {
        n += list[i].kind == kind ? 1 : 0;
    }
    return n;
}

int Show(const std::string& path)
{
    MapImage map;
    if (!ReadMapImage(path, map)) {
        return 1;
    }
    std::fputs(MapToText(map).c_str(), stdout);

    auto world = std::make_unique<CWorld>();
    auto collision = std::make_unique<BoxList>(kCollisionBoxCapacity);
    const MapScanCounts cells = ScanMap(map.bgra.data(), kMapRowBytes, world->blocks, world->spikes, *collision,
                                        world->startPoint, world->goalPoint);
    const std::int32_t blocksBefore = world->blocks.count;
    const std::int32_t collisionBefore = collision->count;
    world->BuildMesh();
    collision->MergeBoxes();

    std::printf("cells: solid %d, scenery %d, spikes %d, starts %d, goals %d\n", cells.solid, cells.scenery,
                cells.spikes, cells.starts, cells.goals);
    if (cells.starts > 0) {
        std::printf("start: (%g, %g)\n", static_cast<double>(world->startPoint.x),
                    static_cast<double>(world->startPoint.y));
    } else {
        std::printf("start: none (the previous level's start is kept)\n");
    }
    if (cells.goals > 0) {
        std::printf("goal: (%g, %g)\n", static_cast<double>(world->goalPoint.x),
                    static_cast<double>(world->goalPoint.y));
    } else {
        std::printf("goal: none (the previous level's goal is kept)\n");
    }
    std::printf("collision boxes: %d before merge, %d after\n", collisionBefore, Live(*collision, 0));
    std::printf("blocks: %d before merge, %d after, %d grass caps\n", blocksBefore, Live(world->blocks, 0),
                Live(world->blocks, kBoxGrassCap));
    std::printf("vertices: tufts %d, blocks %d, caps %d, goal %d, spikes %d, total %d\n", world->tuftEnd,
                world->blockEnd - world->tuftEnd, world->capEnd - world->blockEnd, world->goalEnd - world->capEnd,
                world->spikeEnd - world->goalEnd, world->vertexCount);
    if (world->vertexCount > kWorldBufferVertices) {
        std::printf("note: more than the %d vertices of the standard world buffer; the game sizes it to fit\n",
                    kWorldBufferVertices);
    }
    return 0;
}

int Make(const std::string& picturePath, const std::string& mapPath)
{
    std::stringstream text;
    if (picturePath == "-") {
        text << std::cin.rdbuf();
    } else {
        std::vector<std::uint8_t> bytes;
        std::string why;
        if (!ReadRegularFile(picturePath.c_str(), 1u << 24, &bytes, &why)) {
            std::fprintf(stderr, "level_map: %s\n", why.c_str());
            return 1;
        }
        text << std::string(bytes.begin(), bytes.end());
    }
    MapImage map;
    std::string error;
    if (!TextToMap(text.str(), map, error)) {
        std::fprintf(stderr, "level_map: %s: %s\n", picturePath.c_str(), error.c_str());
        return 1;
    }
    if (!WriteTga(mapPath, map, error)) {
        std::fprintf(stderr, "level_map: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "show") {
        return Show(argv[2]);
    }
    if (argc == 4 && std::string(argv[1]) == "make") {
        return Make(argv[2], argv[3]);
    }
    return Usage();
}
