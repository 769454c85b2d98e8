// The mixer: volume and pan to gains, one voice resampled and added into an accumulator,
// and the accumulator clamped into the output format.

#include "platform/audio/internal/dsound_mix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr LONG kVolumeFloor = -10000;
constexpr LONG kPanLimit = 10000;

// Hundredths of a decibel to a 1/65536 linear factor; the floor is true silence.
std::int32_t AttenuationToGain(LONG hundredthsDb)
{
    if (hundredthsDb <= kVolumeFloor) {
        return 0;
    }
    if (hundredthsDb >= 0) {
        return 65536;
    }
    const float linear = std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
    return static_cast<std::int32_t>(linear * 65536.0f + 0.5f);
}

std::int32_t ReadSample(const BYTE* p, WORD bits)
{
    return bits == 8 ? (static_cast<std::int32_t>(p[0]) - 128) * 256
                     : static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

std::int32_t Scale(std::int32_t sample, std::int32_t gain)
{
    return static_cast<std::int32_t>((static_cast<std::int64_t>(sample) * gain) >> 16);
}

}  // namespace

DWORD VoiceFrames(const MixVoice& voice)
{
    const DWORD align = static_cast<DWORD>(voice.channels) * (voice.bitsPerSample / 8u);
    return voice.data != nullptr && align != 0 ? voice.bytes / align : 0;
}

void VoiceGains(LONG volume, LONG pan, std::int32_t* left, std::int32_t* right)
{
    const std::int64_t base = AttenuationToGain(volume);
    const LONG p = std::clamp(pan, -kPanLimit, kPanLimit);
    // Panning only ever attenuates the far side, as the volume scale does.
    const std::int64_t leftPan = AttenuationToGain(p > 0 ? -p : 0);
    const std::int64_t rightPan = AttenuationToGain(p < 0 ? p : 0);
    *left = static_cast<std::int32_t>((base * leftPan) >> 16);
    *right = static_cast<std::int32_t>((base * rightPan) >> 16);
}

void MixVoiceInto(MixVoice& voice, const MixFormat& out, std::int32_t* accum, DWORD frames)
{
    if (!voice.playing) {
        return;
    }
    const DWORD sourceFrames = VoiceFrames(voice);
    if (sourceFrames == 0 || out.samplesPerSecond == 0) {
        voice.playing = false;
        voice.position = 0;
        return;
    }
    const std::uint64_t end = static_cast<std::uint64_t>(sourceFrames) << 32;
    const DWORD rate = voice.frequency != 0 ? voice.frequency : out.samplesPerSecond;
    const std::uint64_t step = (static_cast<std::uint64_t>(rate) << 32) / out.samplesPerSecond;
    const DWORD align = static_cast<DWORD>(voice.channels) * (voice.bitsPerSample / 8u);

    std::int32_t gainLeft = 0;
    std::int32_t gainRight = 0;
    VoiceGains(voice.volume, voice.pan, &gainLeft, &gainRight);
    const std::int32_t gainMono = AttenuationToGain(voice.volume);  // what the gains are unpanned
    const bool audible = accum != nullptr && !voice.silenced;

    // Wraps a looping voice; a one-shot voice that ran off its end stops and rewinds.
    auto keepsPlaying = [&](std::uint64_t& pos) {
        if (pos >= end && !voice.looping) {
            voice.playing = false;
            voice.position = 0;
            return false;
        }
        pos = pos < end ? pos : pos % end;
        return true;
    };

    std::uint64_t pos = voice.position;
    for (DWORD i = 0; i < frames; ++i) {
        if (!keepsPlaying(pos)) {
            return;
        }
        if (audible) {
            const BYTE* frame = voice.data + static_cast<std::size_t>(pos >> 32) * align;
            const std::int32_t left = ReadSample(frame, voice.bitsPerSample);
            const std::int32_t right =
                voice.channels == 2 ? ReadSample(frame + voice.bitsPerSample / 8, voice.bitsPerSample) : left;
            if (out.channels == 2) {
                accum[i * 2] += Scale(left, gainLeft);
                accum[i * 2 + 1] += Scale(right, gainRight);
            } else {
                accum[i] += Scale((left + right) >> 1, gainMono);
            }
        }
        pos += step;
    }
    if (keepsPlaying(pos)) {
        voice.position = pos;
    }
}

void WriteMixed(const std::int32_t* accum, const MixFormat& out, BYTE* dest, DWORD frames)
{
    const std::size_t samples = static_cast<std::size_t>(frames) * out.channels;
    for (std::size_t i = 0; i < samples; ++i) {
        const std::int32_t s = std::clamp(accum[i], -32768, 32767);
        if (out.bitsPerSample == 8) {
            dest[i] = static_cast<BYTE>((s >> 8) + 128);
        } else {
            const std::int16_t v = static_cast<std::int16_t>(s);
            std::memcpy(dest + i * 2, &v, sizeof v);
        }
    }
}
