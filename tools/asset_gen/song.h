#pragma once

// The game's music: a one-minute loop played by a small synthesiser (notes, instruments and
// envelopes below), as a 16-bit stereo 22,050 Hz RIFF WAVE file.

#include <cstdint>
#include <vector>

constexpr const char* kMusicFileName = "VelmoraMusic.wav";
constexpr int kSongRate = 22050;
constexpr int kSongFrames = 22050 * 60;  // 32 bars at 128 beats a minute

// Interleaved left, right samples of the whole loop; its last frame leads into its first.
std::vector<std::int16_t> RenderSong();
std::vector<std::uint8_t> MakeMusicFile();
