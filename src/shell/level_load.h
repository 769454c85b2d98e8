#pragma once

// Level loading lives with the shell: it needs the device, the media search and the
// creature's collision list, none of which the world may see.

#include "platform/platform_types.h"

class IDirect3DTexture9;

// The current level's map image, held from one load to the next; Shutdown releases it.
extern IDirect3DTexture9* mapTexture;

// Builds the world for a level. A map that is missing, cannot be decoded or locked, or is
// not 128 x 128 is reported in one line on stderr naming the file; the result is then that
// failure, and the previous level is rebuilt whole from its held map image (or, before any
// level, the world stays empty), so the drawn world and the collision boxes always agree.
HRESULT LoadLevel(int levelIndex);
// The same for a map file named directly (the level tool); on failure the previous level
// stays, as for LoadLevel.
HRESULT LoadLevelFile(const char* path);
// LoadLevel, then puts the creature on the start point.
HRESULT StartLevel(int levelIndex);
