#pragma once

#include <cstdint>

#include "math/vector.h"

// Seven-segment digits built from flat bars: the bars of each digit. Bar bits: 1 top,
// 2 upper left, 4 middle, 8 upper right, 16 lower left, 32 bottom, 64 lower right.
constexpr std::int32_t kSegmentFont[10] = {0x7B, 0x48, 0x3D, 0x6D, 0x4E, 0x67, 0x76, 0x49, 0x7F, 0x4F};

// One bar of a digit centred on (x, y, z), `size` wide and twice as high, as one closed
// strip of the current batch.
void DrawSegment(std::int32_t bit, float x, float y, float z, float size);

// The decimal digits of n laid out leftwards from origin, the first 1.5 x size to its left;
// n <= 0 draws nothing. One batch, flushed with the antenna picture.
void DrawNumber(std::int32_t n, const Vector4& origin, float size);

// A time in tenths of a second as seconds, a point and the tenths ("0.5" for 5), laid out
// leftwards from origin as DrawNumber lays out a number. One batch, flushed like DrawNumber's.
void DrawTenths(std::int32_t tenths, const Vector4& origin, float size);

// (digits of n - 1) x 1.5 x size; -1.5 x size for n <= 0.
float NumberWidth(std::int32_t n, float size);
