// The shipped music: its format and length, its headroom, a seamless loop joint, and that the
// game's music code plays it across the loop point.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/sound_hook.h"
#include "sound/music.h"
#include "sound/wave_reader.h"

namespace {

const std::string kMusicPath = std::string(TARNWICK_SOURCE_DIR) + "/data/VelmoraMusic.wav";

struct Song {
    WAVEFORMATEX format{};
    std::vector<std::int16_t> samples;  // interleaved
};

Song ReadSong()
{
    Song song;
    WaveReader reader;
    EXPECT_EQ(reader.Open(kMusicPath.c_str()), S_OK);
    if (reader.format == nullptr) {
        return song;
    }
    song.format = *reader.format;
    song.samples.resize(reader.GetSize() / 2);
    DWORD read = 0;
    EXPECT_EQ(reader.ReadData(reinterpret_cast<BYTE*>(song.samples.data()), reader.GetSize(), &read), S_OK);
    EXPECT_EQ(read, reader.GetSize());
    return song;
}

TEST(ShippedMusic, FormatLengthAndHeadroom)
{
    const Song song = ReadSong();
    EXPECT_EQ(song.format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(song.format.nChannels, 2);
    EXPECT_TRUE(song.format.nSamplesPerSec == 22050 || song.format.nSamplesPerSec == 44100);
    EXPECT_EQ(song.format.wBitsPerSample, 16);
    EXPECT_EQ(song.format.nBlockAlign, 4);
    EXPECT_EQ(song.format.nAvgBytesPerSec, song.format.nSamplesPerSec * 4);
    ASSERT_GT(song.format.nSamplesPerSec, 0u);
    const double seconds = static_cast<double>(song.samples.size() / 2) / song.format.nSamplesPerSec;
    EXPECT_GE(seconds, 60.0);
    std::FILE* f = std::fopen(kMusicPath.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_LT(std::ftell(f), 6L * 1000 * 1000);
    std::fclose(f);

    int peak = 0;
    for (std::int16_t s : song.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    // At most -1 dBFS, and not so quiet that it is lost.
    EXPECT_LE(peak, static_cast<int>(32767.0 * std::pow(10.0, -1.0 / 20.0)));
    EXPECT_GT(peak, 16384);
}

TEST(ShippedMusic, TheLoopJointIsNoBiggerAStepThanUsual)
{
    const Song song = ReadSong();
    const std::size_t frames = song.samples.size() / 2;
    ASSERT_GT(frames, 1000u);
    for (std::size_t channel = 0; channel < 2; ++channel) {
        std::vector<int> steps;
        steps.reserve(frames);
        for (std::size_t i = 1; i < frames; ++i) {
            steps.push_back(std::abs(song.samples[i * 2 + channel] - song.samples[(i - 1) * 2 + channel]));
        }
        // "Usual": what 99 of 100 steps stay within.
        std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() * 99 / 100), steps.end());
        const int usual = steps[steps.size() * 99 / 100];
        const int joint = std::abs(song.samples[channel] - song.samples[(frames - 1) * 2 + channel]);
        EXPECT_LE(joint, usual) << "channel " << channel;
        EXPECT_GT(usual, 0);
    }
}

TEST(ShippedMusic, PlaysOnTheDeviceAcrossTheLoopPoint)
{
    const Song song = ReadSong();
    const std::size_t frames = song.samples.size() / 2;
    ASSERT_GT(frames, 1000u);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(TARNWICK_SOURCE_DIR), 0);  // the game opens data/VelmoraMusic.wav from here
    StartMusic(nullptr);
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_NE(Audio.music, nullptr);
    SoundHook hook(Audio.soundSystem->GetDirectSound());
    EXPECT_TRUE(Audio.music->IsPlaying());
    EXPECT_EQ(Audio.music->BufferSize(), frames * 4);

    // 200 frames before the end, then 400 frames on: the output (44,100 Hz stereo) repeats
    // every 22,050 Hz frame and runs from the last frames straight into the first.
    const std::size_t from = frames - 200;
    hook.Seek(Audio.music->Buffer(0), static_cast<DWORD>(from * 4));
    constexpr std::size_t kOut = 800;
    std::vector<std::int16_t> out(kOut * 2);
    hook.Render(out.data(), static_cast<DWORD>(out.size() * 2));
    ASSERT_EQ(song.format.nSamplesPerSec, 22050u);
    for (std::size_t f = 0; f < kOut; ++f) {
        const std::size_t source = (from + f / 2) % frames;
        ASSERT_EQ(out[f * 2], song.samples[source * 2]) << f;
        ASSERT_EQ(out[f * 2 + 1], song.samples[source * 2 + 1]) << f;
    }
    EXPECT_TRUE(Audio.music->IsPlaying());
    Audio.Reset();
}

}  // namespace
