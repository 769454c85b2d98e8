#include "platform/audio/internal/dsound_mix.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<BYTE> Pcm16(const std::vector<std::int16_t>& samples)
{
    std::vector<BYTE> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        bytes[i * 2] = static_cast<BYTE>(v & 0xFF);
        bytes[i * 2 + 1] = static_cast<BYTE>(v >> 8);
    }
    return bytes;
}

// The device's mix, as its callback runs it: every voice into the zeroed accumulator, then
// written out.
void MixVoices(MixVoice* const* voices, std::size_t count, const MixFormat& out, std::int32_t* accum, BYTE* dest,
               DWORD frames)
{
    std::fill(accum, accum + static_cast<std::size_t>(frames) * out.channels, 0);
    for (std::size_t v = 0; v < count; ++v) {
        MixVoiceInto(*voices[v], out, accum, frames);
    }
    WriteMixed(accum, out, dest, frames);
}

MixVoice Voice(const std::vector<BYTE>& data, WORD channels, WORD bits, DWORD rate)
{
    MixVoice v;
    v.data = data.data();
    v.bytes = static_cast<DWORD>(data.size());
    v.channels = channels;
    v.bitsPerSample = bits;
    v.frequency = rate;
    v.playing = true;
    return v;
}

// Mixes `frames` frames of the given voices into 16-bit output and returns the samples.
std::vector<std::int16_t> Mix16(std::vector<MixVoice*> voices, const MixFormat& out, DWORD frames)
{
    std::vector<std::int32_t> accum(frames * out.channels);
    std::vector<BYTE> bytes(frames * out.channels * 2);
    MixVoices(voices.data(), voices.size(), out, accum.data(), bytes.data(), frames);
    std::vector<std::int16_t> samples(frames * out.channels);
    std::memcpy(samples.data(), bytes.data(), bytes.size());
    return samples;
}

const MixFormat kStereo44{2, 16, 44100};
const MixFormat kMono44{1, 16, 44100};

TEST(Mixer, UnattenuatedMonoReachesBothChannelsExactly)
{
    const auto data = Pcm16({100, -200, 32767, -32768});
    MixVoice v = Voice(data, 1, 16, 44100);
    auto out = Mix16({&v}, kStereo44, 3);
    EXPECT_TRUE(v.playing);
    const auto last = Mix16({&v}, kStereo44, 1);
    out.insert(out.end(), last.begin(), last.end());
    const std::vector<std::int16_t> expected{100, 100, -200, -200, 32767, 32767, -32768, -32768};
    EXPECT_EQ(out, expected);
    // The last frame has been played: a one-shot voice is done.
    EXPECT_FALSE(v.playing);
}

TEST(Mixer, LoopingVoiceWrapsAndKeepsPlaying)
{
    const auto data = Pcm16({1, 2, 3});
    MixVoice v = Voice(data, 1, 16, 44100);
    v.looping = true;
    const auto out = Mix16({&v}, kMono44, 8);
    const std::vector<std::int16_t> expected{1, 2, 3, 1, 2, 3, 1, 2};
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(v.playing);
    EXPECT_EQ(v.position >> 32, 2u);
    // The next call carries on from there.
    const auto more = Mix16({&v}, kMono44, 2);
    const std::vector<std::int16_t> next{3, 1};
    EXPECT_EQ(more, next);
}

TEST(Mixer, OneShotVoiceStopsAtItsEndAndRewinds)
{
    const auto data = Pcm16({5, 6});
    MixVoice v = Voice(data, 1, 16, 44100);
    const auto out = Mix16({&v}, kMono44, 5);
    const std::vector<std::int16_t> expected{5, 6, 0, 0, 0};
    EXPECT_EQ(out, expected);
    EXPECT_FALSE(v.playing);
    EXPECT_EQ(v.position, 0u);
    // A stopped voice adds nothing.
    const auto after = Mix16({&v}, kMono44, 2);
    EXPECT_EQ(after, (std::vector<std::int16_t>{0, 0}));
}

TEST(Mixer, VolumeAttenuatesInHundredthsOfADecibel)
{
    const auto data = Pcm16({16000, -16000});
    MixVoice v = Voice(data, 1, 16, 44100);
    v.looping = true;
    v.volume = -600;  // about half
    const auto out = Mix16({&v}, kMono44, 2);
    EXPECT_NEAR(out[0], 8019, 2);
    EXPECT_NEAR(out[1], -8019, 2);

    v.position = 0;
    v.volume = -2000;  // a tenth
    const auto tenth = Mix16({&v}, kMono44, 2);
    EXPECT_NEAR(tenth[0], 1600, 1);

    v.position = 0;
    v.volume = -10000;  // the floor is silence
    const auto floor = Mix16({&v}, kMono44, 2);
    EXPECT_EQ(floor, (std::vector<std::int16_t>{0, 0}));
    EXPECT_TRUE(v.playing);
}

TEST(Mixer, PanAttenuatesTheFarSide)
{
    const auto data = Pcm16({1000});
    MixVoice v = Voice(data, 1, 16, 44100);
    v.looping = true;
    v.pan = 10000;
    auto out = Mix16({&v}, kStereo44, 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 1000);
    v.pan = -2000;
    out = Mix16({&v}, kStereo44, 1);
    EXPECT_EQ(out[0], 1000);
    EXPECT_NEAR(out[1], 100, 1);
}

TEST(Mixer, EightBitSamplesAreUnsigned)
{
    const std::vector<BYTE> data{128, 255, 0, 129};
    MixVoice v = Voice(data, 1, 8, 44100);
    const auto out = Mix16({&v}, kMono44, 4);
    const std::vector<std::int16_t> expected{0, 127 * 256, -128 * 256, 256};
    EXPECT_EQ(out, expected);

    // Written back as 8-bit output.
    MixVoice again = Voice(data, 1, 8, 44100);
    const MixFormat out8{1, 8, 44100};
    std::vector<std::int32_t> accum(4);
    std::vector<BYTE> bytes(4);
    MixVoice* list[] = {&again};
    MixVoices(list, 1, out8, accum.data(), bytes.data(), 4);
    EXPECT_EQ(bytes, data);
}

TEST(Mixer, StereoSourcesKeepTheirSidesOrAverageIntoMono)
{
    const auto data = Pcm16({1000, -3000, 400, 800});
    MixVoice v = Voice(data, 2, 16, 44100);
    const auto stereo = Mix16({&v}, kStereo44, 2);
    EXPECT_EQ(stereo, (std::vector<std::int16_t>{1000, -3000, 400, 800}));
    MixVoice w = Voice(data, 2, 16, 44100);
    const auto mono = Mix16({&w}, kMono44, 2);
    EXPECT_EQ(mono, (std::vector<std::int16_t>{-1000, 600}));
}

TEST(Mixer, VoicesAddAndClip)
{
    const auto loud = Pcm16({30000, -30000, 100});
    MixVoice a = Voice(loud, 1, 16, 44100);
    MixVoice b = Voice(loud, 1, 16, 44100);
    const auto out = Mix16({&a, &b}, kMono44, 3);
    EXPECT_EQ(out, (std::vector<std::int16_t>{32767, -32768, 200}));
}

TEST(Mixer, RateDifferencesRepeatOrSkipSamples)
{
    const auto data = Pcm16({10, 20, 30, 40});
    MixVoice slow = Voice(data, 1, 16, 22050);
    const auto up = Mix16({&slow}, kMono44, 8);
    EXPECT_EQ(up, (std::vector<std::int16_t>{10, 10, 20, 20, 30, 30, 40, 40}));
    EXPECT_FALSE(slow.playing);

    MixVoice fast = Voice(data, 1, 16, 88200);
    fast.looping = true;
    const auto down = Mix16({&fast}, kMono44, 4);
    EXPECT_EQ(down, (std::vector<std::int16_t>{10, 30, 10, 30}));
}

TEST(Mixer, SilencedVoiceKeepsTimeWithoutSound)
{
    const auto data = Pcm16({7, 8, 9, 10});
    MixVoice v = Voice(data, 1, 16, 44100);
    v.silenced = true;
    const auto out = Mix16({&v}, kMono44, 2);
    EXPECT_EQ(out, (std::vector<std::int16_t>{0, 0}));
    EXPECT_EQ(v.position >> 32, 2u);
    v.silenced = false;
    EXPECT_EQ(Mix16({&v}, kMono44, 2), (std::vector<std::int16_t>{9, 10}));
}

TEST(Mixer, PartialTrailingFrameIsNeverRead)
{
    std::vector<BYTE> data = Pcm16({11, 12});
    data.push_back(0x7F);  // half a sample
    MixVoice v = Voice(data, 1, 16, 44100);
    EXPECT_EQ(VoiceFrames(v), 2u);
    v.looping = true;
    EXPECT_EQ(Mix16({&v}, kMono44, 3), (std::vector<std::int16_t>{11, 12, 11}));
}

TEST(Mixer, GainsAtTheEnds)
{
    std::int32_t left = 0;
    std::int32_t right = 0;
    VoiceGains(0, 0, &left, &right);
    EXPECT_EQ(left, 65536);
    EXPECT_EQ(right, 65536);
    VoiceGains(-10000, 0, &left, &right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
    VoiceGains(0, -10000, &left, &right);
    EXPECT_EQ(left, 65536);
    EXPECT_EQ(right, 0);
}

}  // namespace
