#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Level maps as text and as TGA files, for level design. A map is held as 128 x 128 pixels
// in the layout the level scan reads: 4 bytes each (blue, green, red, alpha), rows of 512
// bytes, row 0 at the top.
//
// One character per cell:
//   '#' solid block   '+' scenery block   '^' spike up   'v' spike down
//   'S' start         'G' goal            '.' empty

struct MapImage {
    std::vector<std::uint8_t> bgra = std::vector<std::uint8_t>(128 * 512, 0);
};

// The character of one pixel by its colour class.
char CellCharacter(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// 128 lines of 128 characters, each ending in '\n'.
std::string MapToText(const MapImage& map);

// Reads a text picture. Lines may be shorter than 128 (the rest is empty) and there may be
// fewer than 128 lines; a trailing '\r' is ignored. Returns false with a message naming the
// line and column on an unknown character or a picture larger than 128 x 128.
bool TextToMap(const std::string& text, MapImage& map, std::string& error);

// An uncompressed 32-bit TGA with its origin at the top left.
std::vector<std::uint8_t> EncodeTga(const MapImage& map);
bool WriteTga(const std::string& path, const MapImage& map, std::string& error);

// Loads the file exactly as the game loads a level, through the recording device, and
// copies out its pixels: the same checks, and on failure the loader's one line on stderr.
// Borrows the game's Device and map image slots and gives them back; the World is left
// empty of buffers and, after a success, holds this map.
bool ReadMapImage(const std::string& path, MapImage& map);
