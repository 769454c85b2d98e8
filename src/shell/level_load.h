#pragma once

// Level loading lives with the shell: it needs the device, the media search and the
// creature's collision list, none of which the world may see.

#include <string>

#include "platform/platform_types.h"
#include "render/gpu/graphics_objects.h"
#include "shell/screen_flow.h"

// Builds the world for a level. A map that is missing, cannot be decoded or locked, is not
// 128 x 128, or has no start or no goal is reported in one line on stderr naming the file; the result is then that
// failure, and the previous level is rebuilt whole from its held map image (or, before any
// level, the world stays empty), so the drawn world and the collision boxes always agree.
HRESULT LoadLevel(int levelIndex);
// The same for a map file named directly (the level tool), where a start and a goal are not
// required; on failure the previous level stays, as for LoadLevel.
HRESULT LoadLevelFile(const char* path);
// LoadLevel, then puts the creature on the start point.
HRESULT StartLevel(int levelIndex);

// Whether a level's map can be played: found, a 128 x 128 picture the loader reads, with a
// start and a goal. S_OK, or the failure with *why set to one line naming the file and what
// is wrong (nothing is printed). Neither the world nor the held map image changes.
HRESULT CheckLevelMap(int levelIndex, std::string* why);

// True when the last LoadLevel or StartLevel refused its map (and brought the previous level
// back), false when it built the level, even if the world's vertex buffer then failed.
bool LevelMapRefused();
