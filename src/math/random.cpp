#include "math/random.h"

namespace {
std::uint32_t RandStateValue = 1;
}

int Rand()
{
    RandStateValue = RandStateValue * 214013u + 2531011u;
    return static_cast<int>((RandStateValue >> 16) & 0x7FFFu);
}

std::uint32_t GetRandState() { return RandStateValue; }

void SetRandState(std::uint32_t state) { RandStateValue = state; }
