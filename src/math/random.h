#pragma once

#include <cstdint>

// The game's one random stream, 0 to 32767, identical on every platform so that
// replays and level meshes do not depend on the C library's rand().
// The state starts at 1 and is never seeded by the game itself.

constexpr int kRandMax = 32767;

// Advances the stream and returns the next value in 0..kRandMax.
int Rand();

// For tests, replays and determinism checks: read or restore the stream's position.
std::uint32_t GetRandState();
void SetRandState(std::uint32_t state);
