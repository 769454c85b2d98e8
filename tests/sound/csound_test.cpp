// CSound against a recording buffer: which buffer calls it makes, and what it writes.

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "fake_buffer.h"
#include "math/random.h"
#include "sound/music.h"
#include "sound/sound.h"
#include "wave_bytes.h"

using namespace wavetest;
using soundtest::FakeBuffer;

namespace {

WaveReader* OpenWave(const Bytes& wave)
{
    auto* reader = new WaveReader();
    EXPECT_EQ(reader->OpenMemory(wave.data(), static_cast<DWORD>(wave.size())), S_OK);
    return reader;
}

Bytes Pattern(std::size_t n, std::uint8_t start)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(start + i * 5);
    }
    return b;
}

TEST(CSoundFill, ConstructionFillsTheBufferWithTheSamples)
{
    const Bytes samples = Pattern(32, 1);
    FakeBuffer buffer(32);
    IDirectSoundBuffer* list[] = {&buffer};
    {
        CSound sound(list, 32, 1, OpenWave(SimpleWave(1, 22050, 16, samples)), DSBCAPS_CTRLVOLUME);
        EXPECT_EQ(buffer.lockCalls, 1);
        EXPECT_EQ(buffer.locksHeld, 0);
        EXPECT_EQ(std::memcmp(buffer.memory.data(), samples.data(), 32), 0);
        EXPECT_EQ(buffer.releases, 0);
    }
    // Destroying the sound gives its buffer back.
    EXPECT_EQ(buffer.releases, 1);
}

TEST(CSoundFill, ShortDataIsFollowedBySilence)
{
    // 8-bit: silence is 128.
    FakeBuffer eight(16);
    IDirectSoundBuffer* list8[] = {&eight};
    CSound sound8(list8, 16, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(10, 3))), 0);
    EXPECT_EQ(std::memcmp(eight.memory.data(), Pattern(10, 3).data(), 10), 0);
    for (int i = 10; i < 16; ++i) {
        EXPECT_EQ(eight.memory[i], 128) << i;
    }

    // 16-bit: silence is 0.
    FakeBuffer sixteen(16);
    IDirectSoundBuffer* list16[] = {&sixteen};
    CSound sound16(list16, 16, 1, OpenWave(SimpleWave(1, 8000, 16, Pattern(10, 9))), 0);
    EXPECT_EQ(std::memcmp(sixteen.memory.data(), Pattern(10, 9).data(), 10), 0);
    for (int i = 10; i < 16; ++i) {
        EXPECT_EQ(sixteen.memory[i], 0) << i;
    }

    // No samples at all: the whole buffer is silence.
    FakeBuffer empty(8);
    IDirectSoundBuffer* listEmpty[] = {&empty};
    CSound soundEmpty(listEmpty, 8, 1, OpenWave(SimpleWave(1, 8000, 8, Bytes{})), 0);
    for (BYTE b : empty.memory) {
        EXPECT_EQ(b, 128);
    }
}

TEST(CSoundFill, FailuresAreReturnedAndTheLockIsReleased)
{
    const Bytes samples = Pattern(8, 1);
    FakeBuffer buffer(8);
    IDirectSoundBuffer* list[] = {&buffer};
    WaveReader* reader = OpenWave(SimpleWave(1, 8000, 8, samples));
    CSound sound(list, 8, 1, reader, 0);

    // A reader with no file behind it: the read fails, the buffer is unlocked again.
    reader->Close();
    EXPECT_EQ(sound.LoadBufferData(&buffer), CO_E_NOTINITIALIZED);
    EXPECT_EQ(buffer.locksHeld, 0);

    buffer.lockResult = DSERR_INVALIDCALL;
    EXPECT_EQ(sound.LoadBufferData(&buffer), DSERR_INVALIDCALL);

    buffer.statusResult = DSERR_GENERIC;
    EXPECT_EQ(sound.LoadBufferData(&buffer), DSERR_GENERIC);
    EXPECT_EQ(sound.LoadBufferData(nullptr), CO_E_NOTINITIALIZED);
}

TEST(CSoundRecover, NotLostIsLeftAlone)
{
    FakeBuffer buffer(4);
    IDirectSoundBuffer* list[] = {&buffer};
    CSound sound(list, 4, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))), 0);
    bool restored = true;
    EXPECT_EQ(sound.RecoverLostBuffer(&buffer, &restored), S_FALSE);
    EXPECT_FALSE(restored);
    EXPECT_EQ(buffer.restoreCalls, 0);
    EXPECT_EQ(sound.RecoverLostBuffer(nullptr, &restored), CO_E_NOTINITIALIZED);
    buffer.statusResult = DSERR_INVALIDPARAM;
    EXPECT_EQ(sound.RecoverLostBuffer(&buffer, &restored), DSERR_INVALIDPARAM);
}

TEST(CSoundRecover, RestoresUntilTheSystemGivesTheBufferBack)
{
    FakeBuffer buffer(4);
    IDirectSoundBuffer* list[] = {&buffer};
    CSound sound(list, 4, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))), 0);

    buffer.status = DSBSTATUS_BUFFERLOST;
    bool restored = false;
    EXPECT_EQ(sound.RecoverLostBuffer(&buffer, &restored), S_OK);
    EXPECT_TRUE(restored);
    // Two calls per round: the first, then the one after the wait.
    EXPECT_EQ(buffer.restoreCalls, 2);

    buffer.status = DSBSTATUS_BUFFERLOST;
    buffer.restoreCalls = 0;
    buffer.restoreFailures = 3;
    EXPECT_EQ(sound.RecoverLostBuffer(&buffer, nullptr), S_OK);
    EXPECT_EQ(buffer.restoreCalls, 4);
    EXPECT_EQ(buffer.status & DSBSTATUS_BUFFERLOST, 0u);
}

TEST(CSoundPlay, PickIdleBufferPrefersAnIdleOneElseDrawsFromTheStream)
{
    FakeBuffer a(4), b(4), c(4);
    IDirectSoundBuffer* list[] = {&a, &b, &c};
    CSound sound(list, 4, 3, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))), 0);
    a.status = DSBSTATUS_PLAYING;
    EXPECT_EQ(sound.PickIdleBuffer(), &b);

    b.status = DSBSTATUS_PLAYING;
    c.status = DSBSTATUS_PLAYING;
    const std::uint32_t saved = GetRandState();
    const int draw = Rand();
    SetRandState(saved);
    IDirectSoundBuffer* expected = list[static_cast<unsigned>(draw) % 3u];
    EXPECT_EQ(sound.PickIdleBuffer(), expected);
    // Exactly one value was taken from the stream.
    SetRandState(saved);
    Rand();
    const std::uint32_t afterOne = GetRandState();
    SetRandState(saved);
    sound.PickIdleBuffer();
    EXPECT_EQ(GetRandState(), afterOne);

    // One buffer that plays: that buffer.
    FakeBuffer only(4);
    IDirectSoundBuffer* single[] = {&only};
    CSound one(single, 4, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))), 0);
    only.status = DSBSTATUS_PLAYING;
    EXPECT_EQ(one.PickIdleBuffer(), &only);
}

TEST(CSoundPlay, AppliesOnlyTheControlsTheBufferWasMadeWith)
{
    FakeBuffer buffer(4);
    IDirectSoundBuffer* list[] = {&buffer};
    CSound sound(list, 4, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))),
                 DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY);
    const int locksAfterFill = buffer.lockCalls;

    EXPECT_EQ(sound.Play(0, DSBPLAY_LOOPING, -300, -1, 500), DS_OK);
    EXPECT_EQ(buffer.playCalls, 1);
    EXPECT_EQ(buffer.lastPlayFlags, DSBPLAY_LOOPING);
    EXPECT_EQ(buffer.lastReserved, 0u);
    EXPECT_EQ(buffer.volumeCalls, 1);
    EXPECT_EQ(buffer.volume, -300);
    EXPECT_EQ(buffer.frequencyCalls, 0);  // -1 leaves the frequency alone
    EXPECT_EQ(buffer.panCalls, 0);        // no pan control
    // Not lost: not reloaded.
    EXPECT_EQ(buffer.lockCalls, locksAfterFill);

    buffer.status = 0;
    EXPECT_EQ(sound.Play(0, 0, 0, 11025, 0), DS_OK);
    EXPECT_EQ(buffer.frequencyCalls, 1);
    EXPECT_EQ(buffer.frequency, 11025u);

    FakeBuffer panned(4);
    IDirectSoundBuffer* panList[] = {&panned};
    CSound withPan(panList, 4, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))), DSBCAPS_CTRLPAN);
    EXPECT_EQ(withPan.Play(0, 0, -300, 9000, 700), DS_OK);
    EXPECT_EQ(panned.panCalls, 1);
    EXPECT_EQ(panned.pan, 700);
    EXPECT_EQ(panned.volumeCalls, 0);
    EXPECT_EQ(panned.frequencyCalls, 0);
}

TEST(CSoundPlay, ALostBufferIsRestoredAndReloadedBeforePlaying)
{
    const Bytes samples = Pattern(12, 7);
    FakeBuffer buffer(12);
    IDirectSoundBuffer* list[] = {&buffer};
    CSound sound(list, 12, 1, OpenWave(SimpleWave(1, 8000, 8, samples)), DSBCAPS_CTRLVOLUME);

    // The system took the memory: it comes back as garbage.
    std::fill(buffer.memory.begin(), buffer.memory.end(), BYTE{0x55});
    buffer.status = DSBSTATUS_BUFFERLOST;
    const int locksBefore = buffer.lockCalls;
    EXPECT_EQ(sound.Play(0, DSBPLAY_LOOPING, 0, -1, 0), DS_OK);
    EXPECT_GE(buffer.restoreCalls, 1);
    EXPECT_EQ(buffer.lockCalls, locksBefore + 1);
    EXPECT_EQ(std::memcmp(buffer.memory.data(), samples.data(), 12), 0);
    EXPECT_EQ(buffer.playCalls, 1);
}

TEST(CSoundPlay, IsPlayingAsksEachBufferOnce)
{
    FakeBuffer a(4), b(4);
    IDirectSoundBuffer* list[] = {&a, &b};
    CSound sound(list, 4, 2, OpenWave(SimpleWave(1, 8000, 8, Pattern(4, 0))), 0);
    a.statusCalls = 0;
    b.statusCalls = 0;
    EXPECT_FALSE(sound.IsPlaying());
    b.status = DSBSTATUS_PLAYING;
    EXPECT_TRUE(sound.IsPlaying());
    EXPECT_EQ(a.statusCalls, 2);
    EXPECT_EQ(b.statusCalls, 2);
}

class MusicLoop : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Audio.music holds the fixture's buffer; destroying it only releases that buffer.
        delete Audio.music;
        Audio.music = nullptr;
    }

    FakeBuffer buffer{8};
};

TEST_F(MusicLoop, APlayingLoopIsNeverRestarted)
{
    IDirectSoundBuffer* list[] = {&buffer};
    Audio.music = new CSound(list, 8, 1, OpenWave(SimpleWave(1, 8000, 8, Pattern(8, 0))), kMusicCreationFlags);
    buffer.status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
    buffer.statusCalls = 0;
    for (int frame = 0; frame < 50; ++frame) {
        RestartMusicIfStopped();
    }
    EXPECT_EQ(buffer.playCalls, 0);
    // The check is one status query per frame.
    EXPECT_EQ(buffer.statusCalls, 50);

    // Once it stopped, the next frame starts it again with the music's play values.
    buffer.status = 0;
    RestartMusicIfStopped();
    EXPECT_EQ(buffer.playCalls, 1);
    EXPECT_EQ(buffer.lastPlayFlags, DSBPLAY_LOOPING);
    EXPECT_EQ(buffer.lastPriority, 0u);
    EXPECT_EQ(buffer.volume, 0);
    EXPECT_EQ(buffer.frequencyCalls, 0);
    RestartMusicIfStopped();
    EXPECT_EQ(buffer.playCalls, 1);
}

TEST(MusicLoopWithoutMusic, NothingHappensWhenThereIsNoMusic)
{
    ASSERT_EQ(Audio.music, nullptr);
    RestartMusicIfStopped();
    EXPECT_EQ(Audio.music, nullptr);
}

}  // namespace
