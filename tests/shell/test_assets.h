#pragma once

#include <string>

// Writes a game data folder under `root`: the plain test effect as data/myshader.fx, the
// twenty pictures (each one flat colour, see TestPictureColour) and eight small levels,
// each a floor with the start three rows above it, on the left, and the goal `goalCells` cells to its right.
bool WriteTestAssets(const std::string& root, std::string& error, int goalCells = 20);

// The colour (0xRRGGBB) of the picture with load index i (0..16).
unsigned TestPictureColour(int index);
