#pragma once

// The mixer behind the sound output: plain data in, samples out, no device and no globals,
// so its output can be checked sample for sample.

#include <cstdint>

#include "platform/platform_types.h"

// One playing source as the mixer sees it.
struct MixVoice {
    const BYTE* data = nullptr;
    DWORD bytes = 0;
    WORD channels = 1;        // 1 or 2
    WORD bitsPerSample = 16;  // 8 (unsigned) or 16 (signed)
    DWORD frequency = 0;      // samples per second the source is played at
    LONG volume = 0;          // hundredths of a decibel, 0 = unattenuated
    LONG pan = 0;             // -10000 (left only) .. 10000 (right only)
    bool playing = false;
    bool looping = false;
    // While the game holds a lock on the samples the mixer must not read them; the
    // voice keeps time but adds nothing.
    bool silenced = false;
    // Frame index in the upper 32 bits, fraction in the lower 32.
    std::uint64_t position = 0;
};

struct MixFormat {
    WORD channels = 2;
    WORD bitsPerSample = 16;
    DWORD samplesPerSecond = 44100;
};

// Frames the voice holds (a trailing partial frame is never played).
DWORD VoiceFrames(const MixVoice& voice);

// Linear gains for left and right in 1/65536, from volume and pan.
void VoiceGains(LONG volume, LONG pan, std::int32_t* left, std::int32_t* right);

// Adds one voice into `accum` (frames x out.channels) and advances it; a voice that plays off
// its end without looping stops there and rewinds to 0. A null `accum` only advances it.
void MixVoiceInto(MixVoice& voice, const MixFormat& out, std::int32_t* accum, DWORD frames);

// Clamps the accumulated samples and writes them in the output format (8-bit unsigned or
// 16-bit signed, native byte order).
void WriteMixed(const std::int32_t* accum, const MixFormat& out, BYTE* dest, DWORD frames);
