#pragma once

#include "platform/platform_types.h"

// Result when no candidate exists; `destination` then holds the name itself.
constexpr HRESULT kMediaNotFound = MakeHresult(0x80040903u);
constexpr int kMediaMinCapacity = 10;

// Below the install prefix, beside bin/: share/tarnwick.
constexpr const char* kInstalledDataFolder = "share/tarnwick";

// Turns an asset name such as "data/Leg.tga" into a path that exists. Tries, in order:
// eight folders around the working folder and the program's folder, the same under
// "media", then ../share/tarnwick beside the program (an installed copy), then every folder from the working folder and
// from the program's folder up to (not including) the root, plain and under "media". Callers pass a buffer of kMaxPath.
//
// 0: `destination` holds the first existing candidate (a folder counts too).
// E_INVALIDARG: no name, empty name, no destination or capacity below 10; nothing written.
// kMediaNotFound: `destination` holds the name, cut to capacity - 1 characters.
//
// A candidate that does not fit `capacity` is skipped rather than tested cut short: a cut
// path names some other file.
HRESULT FindMediaFile(char* destination, int capacity, const char* name);

// The music's search: `name` in the working folder, else beside the program, else in
// ../share/tarnwick beside the program. True when found; otherwise `destination` holds the name.
bool FindWorkingOrInstalledFile(char* destination, int capacity, const char* name);
