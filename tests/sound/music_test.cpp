// The sound system and the music against SDL's dummy audio device.

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/sound_hook.h"
#include "platform/files/resources.h"
#include "sound/music.h"
#include "sound/sound.h"
#include "support/temp_folder.h"
#include "wave_bytes.h"

using namespace wavetest;

namespace {

std::vector<std::int16_t> MusicSamples()
{
    std::vector<std::int16_t> s(300);
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<std::int16_t>(static_cast<int>(i * 97 % 2000) - 1000);
    }
    return s;
}

// Runs each test in a fresh folder that holds data/VelmoraMusic.wav when asked to.
class SoundOnDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.Enter());
        ClearResources();
    }
    void TearDown() override
    {
        hook_.reset();
        Audio.Reset();
        ClearResources();
    }
    void WriteMusic(const Bytes& wave)
    {
        ASSERT_EQ(mkdir("data", 0755), 0);
        ASSERT_TRUE(WriteFile("data/VelmoraMusic.wav", wave));
    }
    IDirectSound8* Device() const
    {
        return Audio.soundSystem != nullptr ? Audio.soundSystem->GetDirectSound() : nullptr;
    }
    // From now on the test drives the device's mix.
    SoundHook& Hook()
    {
        hook_ = std::make_unique<SoundHook>(Device());
        return *hook_;
    }
    // The next frames of the device's mix, 16-bit stereo.
    std::vector<std::int16_t> Render(DWORD frames)
    {
        std::vector<std::int16_t> out(frames * 2, 0x4321);
        hook_->Render(out.data(), frames * 4);
        return out;
    }
    // What a mono 22050 Hz wave sounds like through the 44100 Hz stereo output.
    static std::vector<std::int16_t> Expected(const std::vector<std::int16_t>& samples, std::size_t from,
                                              std::size_t frames)
    {
        std::vector<std::int16_t> out;
        for (std::size_t f = 0; f < frames; ++f) {
            const std::int16_t s = samples[(from + f / 2) % samples.size()];
            out.push_back(s);
            out.push_back(s);
        }
        return out;
    }

    TempFolder folder_{"music"};
    std::unique_ptr<SoundHook> hook_;
};

TEST_F(SoundOnDevice, StartMusicLoadsAndLoopsTheMusic)
{
    const auto samples = MusicSamples();
    WriteMusic(SimpleWave(1, 22050, 16, Pcm16Samples(samples)));
    StartMusic(nullptr);
    ASSERT_NE(Audio.soundSystem, nullptr);
    ASSERT_NE(Device(), nullptr);
    ASSERT_NE(Audio.music, nullptr);
    SoundHook& hook = Hook();
    EXPECT_TRUE(Audio.music->IsPlaying());
    EXPECT_EQ(Audio.music->BufferCount(), 1u);
    EXPECT_EQ(Audio.music->BufferSize(), samples.size() * 2);

    IDirectSoundBuffer* buffer = Audio.music->Buffer(0);
    ASSERT_NE(buffer, nullptr);
    DWORD status = 0;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_NE(status & DSBSTATUS_LOOPING, 0u);
    EXPECT_EQ(hook.State(buffer).volume, 0);
    EXPECT_EQ(hook.State(buffer).frequency, 22050u);

    // Ten channels is more than the device takes: the primary keeps its format.
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(Device()->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    EXPECT_EQ(hook.PrimaryFormat().nChannels, 2);
    EXPECT_EQ(hook.PrimaryFormat().nSamplesPerSec, 44100u);
    primary->Release();

    // The mix plays the samples and wraps to the start at the end, still playing. The device
    // may have run before it was paused: start from a known place.
    hook.Seek(buffer, 0);
    EXPECT_EQ(hook.State(buffer).position, 0u);
    const DWORD frames = static_cast<DWORD>(samples.size() * 2 + 100);
    EXPECT_EQ(Render(frames), Expected(samples, 0, frames));
    EXPECT_TRUE(Audio.music->IsPlaying());
}

TEST_F(SoundOnDevice, AMissingMusicFileLeavesNoMusic)
{
    StartMusic(nullptr);
    ASSERT_NE(Audio.soundSystem, nullptr);
    EXPECT_NE(Device(), nullptr);
    EXPECT_EQ(Audio.music, nullptr);
    RestartMusicIfStopped();
    EXPECT_EQ(Audio.music, nullptr);
}

TEST_F(SoundOnDevice, AnUnreadableMusicFileLeavesNoMusic)
{
    WriteMusic(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e', 0, 0, 0, 0});
    StartMusic(nullptr);
    EXPECT_EQ(Audio.music, nullptr);
    RestartMusicIfStopped();
}

TEST_F(SoundOnDevice, NoAudioDeviceLeavesNoMusic)
{
    WriteMusic(SimpleWave(1, 22050, 16, Pcm16Samples(MusicSamples())));
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old != nullptr ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    StartMusic(nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tarnwick: music data/VelmoraMusic.wav: no audio device could be opened; playing without music\n");
    if (old != nullptr) {
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
    ASSERT_NE(Audio.soundSystem, nullptr);
    EXPECT_EQ(Device(), nullptr);
    EXPECT_EQ(Audio.music, nullptr);
    RestartMusicIfStopped();
    CSound* sound = nullptr;
    EXPECT_EQ(Audio.soundSystem->CreateSound(&sound, kMusicFile, kMusicCreationFlags, GUID_NULL, 1),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(Audio.soundSystem->SetPrimaryFormat(2, 44100, 16), CO_E_NOTINITIALIZED);
}

// Every way the music can be missing or unplayable gives one line naming the file and the
// reason, and the game goes on without music.
TEST_F(SoundOnDevice, UnplayableMusicIsExplainedInOneLine)
{
    const Bytes samples = Pcm16Samples(MusicSamples());
    Bytes floatFmt = FmtBody(kWaveFormatIeeeFloat, 1, 22050, 32);
    Put16(floatFmt, 0);
    Bytes extensible = FmtBody(0xFFFE, 2, 44100, 24);
    Put16(extensible, 0);
    struct Case {
        const char* name;
        Bytes wave;  // empty: no file; {'/'}: a folder in its place
        const char* reason;
    };
    const Case cases[] = {
        {"missing", {}, "not found"},
        {"folder", {'/'}, "is a folder"},
        {"not a wave", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e', 0, 0}, "not a wave file we can read"},
        {"cut short", Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 16)), Chunk("data", samples, 100000)}),
         "not a wave file we can read"},
        {"32-bit float", Riff({Chunk("fmt ", floatFmt), Chunk("data", samples)}), "32-bit float samples"},
        {"24-bit", SimpleWave(1, 22050, 24, Bytes(300, 1)), "24-bit samples are not supported"},
        {"extensible 24-bit", Riff({Chunk("fmt ", extensible), Chunk("data", Bytes(600, 1))}), "24-bit samples"},
        {"ten channels", SimpleWave(10, 22050, 16, Bytes(400, 1)), "10 channels are not supported"},
        {"rate 0", SimpleWave(1, 0, 16, samples), "sample rate of 0 Hz"},
        {"no samples", SimpleWave(1, 22050, 16, Bytes{}), "holds no samples"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all("data");
        if (c.wave.size() == 1 && c.wave[0] == '/') {
            ASSERT_TRUE(std::filesystem::create_directories("data/VelmoraMusic.wav"));
        } else if (!c.wave.empty()) {
            WriteMusic(c.wave);
        }
        ::testing::internal::CaptureStderr();
        StartMusic(nullptr);
        const std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(Audio.music, nullptr);
        EXPECT_EQ(message.find("Tarnwick: music data/VelmoraMusic.wav: "), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_NE(message.find("playing without music\n"), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        Audio.Reset();
    }
}

TEST_F(SoundOnDevice, PlayableMusicSaysNothing)
{
    WriteMusic(SimpleWave(2, 44100, 8, Bytes(400, 128)));
    ::testing::internal::CaptureStderr();
    StartMusic(nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(Audio.music, nullptr);
}

TEST_F(SoundOnDevice, ALostMusicBufferIsRestoredReloadedAndRestarted)
{
    const auto samples = MusicSamples();
    WriteMusic(SimpleWave(1, 22050, 16, Pcm16Samples(samples)));
    StartMusic(nullptr);
    ASSERT_NE(Audio.music, nullptr);
    SoundHook& hook = Hook();

    hook.LoseBuffers();
    EXPECT_FALSE(Audio.music->IsPlaying());
    DWORD status = 0;
    ASSERT_EQ(Audio.music->Buffer(0)->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST);
    // The system holds the device for one more try: the wait and retry path.
    hook.FailRestore(Audio.music->Buffer(0), 1);

    RestartMusicIfStopped();
    EXPECT_TRUE(Audio.music->IsPlaying());
    ASSERT_EQ(Audio.music->Buffer(0)->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & DSBSTATUS_BUFFERLOST, 0u);
    EXPECT_NE(status & DSBSTATUS_LOOPING, 0u);
    // Restored memory comes back empty; hearing the samples from the start means it was
    // reloaded.
    EXPECT_EQ(Render(200), Expected(samples, 0, 200));
}

TEST_F(SoundOnDevice, APlayingLoopKeepsItsPlace)
{
    const auto samples = MusicSamples();
    WriteMusic(SimpleWave(1, 22050, 16, Pcm16Samples(samples)));
    StartMusic(nullptr);
    ASSERT_NE(Audio.music, nullptr);
    SoundHook& hook = Hook();
    hook.Seek(Audio.music->Buffer(0), 0);
    Render(100);  // 50 samples in
    const DWORD before = hook.State(Audio.music->Buffer(0)).position;
    EXPECT_EQ(before, 100u);
    for (int frame = 0; frame < 10; ++frame) {
        RestartMusicIfStopped();
    }
    EXPECT_EQ(hook.State(Audio.music->Buffer(0)).position, before);
    EXPECT_EQ(Render(4), Expected(samples, 50, 4));
}

TEST_F(SoundOnDevice, CreateSoundArgumentsAndFormats)
{
    SoundSystem system;
    CSound* sound = reinterpret_cast<CSound*>(0x1);
    EXPECT_EQ(system.CreateSound(&sound, "x.wav", 0, GUID_NULL, 1), CO_E_NOTINITIALIZED);
    EXPECT_EQ(system.SetPrimaryFormat(2, 44100, 16), CO_E_NOTINITIALIZED);
    EXPECT_EQ(system.Initialize(nullptr, 9), DSERR_INVALIDPARAM);
    ASSERT_EQ(system.Initialize(nullptr, DSSCL_PRIORITY), S_OK);
    ASSERT_NE(system.GetDirectSound(), nullptr);

    EXPECT_EQ(system.CreateSound(nullptr, "x.wav", 0, GUID_NULL, 1), E_INVALIDARG);
    EXPECT_EQ(system.CreateSound(&sound, nullptr, 0, GUID_NULL, 1), E_INVALIDARG);
    EXPECT_EQ(system.CreateSound(&sound, "x.wav", 0, GUID_NULL, 0), E_INVALIDARG);
    sound = reinterpret_cast<CSound*>(0x1);
    EXPECT_EQ(system.CreateSound(&sound, "missing.wav", 0, GUID_NULL, 1), E_FAIL);
    EXPECT_EQ(sound, nullptr);

    // A compressed format the output cannot play.
    Bytes adpcm = FmtBody(2, 1, 22050, 4);
    Put16(adpcm, 0);
    ASSERT_TRUE(WriteFile("adpcm.wav", Riff({Chunk("fmt ", adpcm), Chunk("data", Bytes(64, 1))})));
    EXPECT_EQ(system.CreateSound(&sound, "adpcm.wav", 0, GUID_NULL, 1), DSERR_BADFORMAT);
    EXPECT_EQ(sound, nullptr);

    // From a resource when no file has the name; two buffers, both filled.
    static const Bytes eightBit = SimpleWave(1, 11025, 8, Bytes{10, 20, 30, 40, 50, 60});
    ASSERT_TRUE(RegisterResource("blip", "WAV", eightBit.data(), static_cast<DWORD>(eightBit.size())));
    ASSERT_EQ(system.CreateSound(&sound, "blip", DSBCAPS_CTRLVOLUME, GUID_NULL, 2), S_OK);
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->BufferCount(), 2u);
    for (DWORD i = 0; i < 2; ++i) {
        IDirectSoundBuffer* b = sound->Buffer(i);
        ASSERT_NE(b, nullptr);
        void* p = nullptr;
        DWORD n = 0;
        ASSERT_EQ(b->Lock(0, 6, &p, &n, nullptr, nullptr, 0), DS_OK);
        ASSERT_EQ(n, 6u);
        EXPECT_EQ(std::memcmp(p, eightBit.data() + eightBit.size() - 6, 6), 0) << i;
        b->Unlock(p, n, nullptr, 0);
    }
    // Both idle: the first is picked; once it plays, the second.
    EXPECT_EQ(sound->PickIdleBuffer(), sound->Buffer(0));
    ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), DS_OK);
    EXPECT_EQ(sound->PickIdleBuffer(), sound->Buffer(1));
    delete sound;
}

TEST_F(SoundOnDevice, SetPrimaryFormatPassesTheDevicesAnswerOn)
{
    {
        SoundSystem system;
        ASSERT_EQ(system.Initialize(nullptr, DSSCL_PRIORITY), S_OK);
        EXPECT_EQ(system.SetPrimaryFormat(10, 22050, 16), DSERR_BADFORMAT);
        EXPECT_EQ(system.SetPrimaryFormat(1, 22050, 16), S_OK);

        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
        IDirectSoundBuffer* primary = nullptr;
        ASSERT_EQ(system.GetDirectSound()->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
        const WAVEFORMATEX format = SoundHook(system.GetDirectSound(), false).PrimaryFormat();
        EXPECT_EQ(format.nChannels, 1);
        EXPECT_EQ(format.nSamplesPerSec, 22050u);
        EXPECT_EQ(format.nBlockAlign, 2);
        EXPECT_EQ(format.nAvgBytesPerSec, 44100u);
        primary->Release();
    }
}

}  // namespace
