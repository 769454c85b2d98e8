// The sound output against SDL's dummy audio driver.

#include "platform/audio/dsound.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/sound_hook.h"

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * (bits / 8));
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

DSBUFFERDESC Desc(DWORD flags, DWORD bytes, WAVEFORMATEX* format)
{
    DSBUFFERDESC d{};
    d.dwSize = sizeof(DSBUFFERDESC);
    d.dwFlags = flags;
    d.dwBufferBytes = bytes;
    d.lpwfxFormat = format;
    return d;
}

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(DirectSoundCreate8(nullptr, &ds_, nullptr), DS_OK);
        ASSERT_NE(ds_, nullptr);
        ASSERT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
        hook_ = std::make_unique<SoundHook>(ds_);
    }
    void TearDown() override
    {
        hook_.reset();
        if (ds_ != nullptr) {
            EXPECT_EQ(ds_->Release(), 0u);
        }
    }

    IDirectSoundBuffer* MakeBuffer(DWORD flags, DWORD bytes, WAVEFORMATEX format)
    {
        DSBUFFERDESC d = Desc(flags, bytes, &format);
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
        return b;
    }

    void Fill(IDirectSoundBuffer* b, const std::vector<std::int16_t>& samples)
    {
        void* p = nullptr;
        DWORD n = 0;
        ASSERT_EQ(b->Lock(0, static_cast<DWORD>(samples.size() * 2), &p, &n, nullptr, nullptr, 0), DS_OK);
        ASSERT_EQ(n, samples.size() * 2);
        std::memcpy(p, samples.data(), n);
        ASSERT_EQ(b->Unlock(p, n, nullptr, 0), DS_OK);
    }

    // The device's next `frames` frames of its default 16-bit stereo output.
    std::vector<std::int16_t> Render(DWORD frames)
    {
        std::vector<std::int16_t> out(frames * 2, 0x1234);
        hook_->Render(out.data(), frames * 4);
        return out;
    }

    IDirectSound8* ds_ = nullptr;
    std::unique_ptr<SoundHook> hook_;  // pauses the device: Render drives the mix
};

TEST_F(DirectSoundTest, PrimaryBufferRefusesFormatsTheDeviceCannotTake)
{
    DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
    const WAVEFORMATEX before = hook_->PrimaryFormat();

    WAVEFORMATEX tenChannels = Pcm(10, 22050, 16);
    EXPECT_EQ(primary->SetFormat(&tenChannels), DSERR_BADFORMAT);
    WAVEFORMATEX after = hook_->PrimaryFormat();
    EXPECT_EQ(after.nChannels, before.nChannels);
    EXPECT_EQ(after.nSamplesPerSec, before.nSamplesPerSec);
    EXPECT_EQ(after.wBitsPerSample, before.wBitsPerSample);

    WAVEFORMATEX odd = Pcm(2, 44100, 24);
    EXPECT_EQ(primary->SetFormat(&odd), DSERR_BADFORMAT);
    WAVEFORMATEX badAverage = Pcm(2, 22050, 16);
    badAverage.nAvgBytesPerSec = 5;
    EXPECT_EQ(primary->SetFormat(&badAverage), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary->SetFormat(nullptr), DSERR_INVALIDPARAM);

    // A format it can take is taken and kept after the primary is released.
    WAVEFORMATEX mono = Pcm(1, 22050, 8);
    EXPECT_EQ(primary->SetFormat(&mono), DS_OK);
    EXPECT_EQ(primary->Release(), 0u);
    ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
    after = hook_->PrimaryFormat();
    EXPECT_EQ(after.nChannels, 1);
    EXPECT_EQ(after.nSamplesPerSec, 22050u);
    EXPECT_EQ(after.wBitsPerSample, 8);
    primary->Release();
}

TEST_F(DirectSoundTest, OnePrimaryAndOnlyThePriorityLevel)
{
    DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
    // It sets the format and does nothing a secondary does.
    DWORD status = 0;
    EXPECT_EQ(primary->GetStatus(&status), DSERR_INVALIDCALL);
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DSERR_INVALIDCALL);
    EXPECT_EQ(primary->SetVolume(0), DSERR_CONTROLUNAVAIL);
    // The same object for a second request.
    IDirectSoundBuffer* again = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&d, &again, nullptr), DS_OK);
    EXPECT_EQ(again, primary);
    again->Release();
    primary->Release();

    EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY + 1), DSERR_INVALIDPARAM);
    // A primary with a size or format is not a primary request.
    WAVEFORMATEX f = Pcm(2, 44100, 16);
    DSBUFFERDESC sized = Desc(DSBCAPS_PRIMARYBUFFER, 64, &f);
    EXPECT_EQ(ds_->CreateSoundBuffer(&sized, &primary, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary, nullptr);
}

TEST_F(DirectSoundTest, SecondaryBufferCreationChecksEverything)
{
    WAVEFORMATEX f = Pcm(2, 22050, 16);
    IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(0x1);

    DSBUFFERDESC huge = Desc(0, DSBSIZE_MAX + 1, &f);
    EXPECT_EQ(ds_->CreateSoundBuffer(&huge, &b, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(b, nullptr);
    DSBUFFERDESC tiny = Desc(0, 2, &f);
    EXPECT_EQ(ds_->CreateSoundBuffer(&tiny, &b, nullptr), DSERR_INVALIDPARAM);
    DSBUFFERDESC noFormat = Desc(0, 64, nullptr);
    EXPECT_EQ(ds_->CreateSoundBuffer(&noFormat, &b, nullptr), DSERR_INVALIDPARAM);
    DSBUFFERDESC wrongSize = Desc(0, 64, &f);
    wrongSize.dwSize = 20;
    EXPECT_EQ(ds_->CreateSoundBuffer(&wrongSize, &b, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds_->CreateSoundBuffer(nullptr, &b, nullptr), DSERR_INVALIDPARAM);
    DSBUFFERDESC ok = Desc(0, 64, &f);
    EXPECT_EQ(ds_->CreateSoundBuffer(&ok, nullptr, nullptr), DSERR_INVALIDPARAM);
    int outer = 0;
    EXPECT_EQ(ds_->CreateSoundBuffer(&ok, &b, &outer), DSERR_NOAGGREGATION);

    for (WAVEFORMATEX bad : {Pcm(3, 22050, 16), Pcm(2, 22050, 24), Pcm(1, 50, 16), Pcm(1, 300000, 16)}) {
        DSBUFFERDESC d = Desc(0, 64, &bad);
        EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_BADFORMAT)
            << bad.nChannels << " " << bad.wBitsPerSample;
    }
    WAVEFORMATEX adpcm = Pcm(1, 22050, 16);
    adpcm.wFormatTag = 2;
    DSBUFFERDESC d = Desc(0, 64, &adpcm);
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_BADFORMAT);
    WAVEFORMATEX misaligned = Pcm(2, 22050, 16);
    misaligned.nBlockAlign = 3;
    d = Desc(0, 64, &misaligned);
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_BADFORMAT);
}

TEST(DirectSoundLevel, BuffersNeedACooperativeLevelFirst)
{
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    WAVEFORMATEX f = Pcm(1, 22050, 16);
    DSBUFFERDESC d = Desc(0, 64, &f);
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(ds->Release(), 0u);
}

TEST_F(DirectSoundTest, LockWrapsIntoTwoRegions)
{
    IDirectSoundBuffer* b = MakeBuffer(0, 100, Pcm(1, 22050, 8));
    ASSERT_NE(b, nullptr);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0;
    DWORD n2 = 0;
    ASSERT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
    auto* base = static_cast<BYTE*>(p1);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    // New memory is zero.
    for (DWORD i = 0; i < 100; ++i) {
        EXPECT_EQ(base[i], 0) << i;
    }
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

    ASSERT_EQ(b->Lock(80, 40, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(p1, base + 80);
    EXPECT_EQ(n1, 20u);
    EXPECT_EQ(p2, base);
    EXPECT_EQ(n2, 20u);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

    // Without a second pointer the lock stops at the end.
    ASSERT_EQ(b->Lock(80, 40, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(n1, 20u);
    ASSERT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);

    EXPECT_EQ(b->Lock(100, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 101, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 4, nullptr, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);

    // Unlocking memory that is not the buffer's, or with no lock held.
    BYTE elsewhere[4];
    EXPECT_EQ(b->Unlock(elsewhere, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(base + 90, 20, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(base, 4, nullptr, 0), DSERR_INVALIDCALL);
    EXPECT_EQ(b->Release(), 0u);
}

// Small buffers come from the heap and large ones from their own mapping; either way the
// whole buffer is new silence and every byte of it can be written.
TEST_F(DirectSoundTest, BuffersOfEverySizeStartSilentAndHoldTheirLength)
{
    for (const DWORD bytes :
         {DWORD{4}, DWORD{(1u << 20) - 2}, DWORD{1u << 20}, DWORD{(2u << 20) + 2}, DWORD{5u << 20}}) {
        SCOPED_TRACE(bytes);
        IDirectSoundBuffer* b = MakeBuffer(0, bytes, Pcm(1, 22050, 16));
        ASSERT_NE(b, nullptr);
        void* p = nullptr;
        DWORD n = 0;
        ASSERT_EQ(b->Lock(0, bytes, &p, &n, nullptr, nullptr, 0), DS_OK);
        ASSERT_EQ(n, bytes);
        auto* data = static_cast<BYTE*>(p);
        EXPECT_EQ(std::count(data, data + n, BYTE{0}), static_cast<std::ptrdiff_t>(n));
        std::memset(data, 0x5A, n);
        ASSERT_EQ(b->Unlock(p, n, nullptr, 0), DS_OK);
        EXPECT_EQ(b->Release(), 0u);
    }
}

TEST_F(DirectSoundTest, ControlsNeedTheirCreationFlagsAndRanges)
{
    IDirectSoundBuffer* plain = MakeBuffer(0, 64, Pcm(1, 22050, 16));
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(11025), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    plain->Release();

    IDirectSoundBuffer* b =
        MakeBuffer(DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN, 64, Pcm(1, 22050, 16));
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(-2500), DS_OK);
    EXPECT_EQ(hook_->State(b).volume, -2500);

    EXPECT_EQ(b->SetFrequency(50), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(0xFFFFFFFFu), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(44100), DS_OK);
    EXPECT_EQ(hook_->State(b).frequency, 44100u);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    EXPECT_EQ(hook_->State(b).frequency, 22050u);

    EXPECT_EQ(b->SetPan(10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetPan(-700), DS_OK);
    EXPECT_EQ(hook_->State(b).pan, -700);
    b->Release();
}

TEST_F(DirectSoundTest, PlayStopAndStatus)
{
    IDirectSoundBuffer* b = MakeBuffer(0, 64, Pcm(1, 22050, 16));
    DWORD status = 0xFF;
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING | DSBSTATUS_BUFFERLOST), 0u);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), DSBSTATUS_PLAYING);
    ASSERT_EQ(b->Stop(), DS_OK);
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    EXPECT_EQ(b->Play(1, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Play(0, 3, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->GetStatus(nullptr), DSERR_INVALIDPARAM);
    b->Release();
}

TEST_F(DirectSoundTest, MixedOutputOfALoopingBuffer)
{
    // Default output: 44100 Hz, 16-bit stereo. A mono buffer at the same rate, 3 frames.
    IDirectSoundBuffer* b = MakeBuffer(DSBCAPS_CTRLVOLUME, 6, Pcm(1, 44100, 16));
    Fill(b, {1000, -2000, 3000});

    // Nothing plays yet: silence.
    EXPECT_EQ(Render(2), (std::vector<std::int16_t>{0, 0, 0, 0}));

    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<std::int16_t> loop{1000, 1000, -2000, -2000, 3000, 3000, 1000, 1000, -2000, -2000};
    EXPECT_EQ(Render(5), loop);
    EXPECT_EQ(hook_->State(b).position, 4u);  // frame 2 of 3, in bytes

    // Quieter by 20 dB: a tenth.
    ASSERT_EQ(b->SetVolume(-2000), DS_OK);
    const auto quiet = Render(1);
    EXPECT_NEAR(quiet[0], 300, 1);
    EXPECT_NEAR(quiet[1], 300, 1);
    ASSERT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
    EXPECT_EQ(Render(3), (std::vector<std::int16_t>(6, 0)));

    // Stopped: silence, and the position stays where it stopped.
    ASSERT_EQ(b->SetVolume(0), DS_OK);
    ASSERT_EQ(b->Stop(), DS_OK);
    EXPECT_EQ(Render(2), (std::vector<std::int16_t>{0, 0, 0, 0}));
    hook_->Seek(b, 2);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    // One shot from frame 1: two frames, then silence and stopped.
    EXPECT_EQ(Render(4), (std::vector<std::int16_t>{-2000, -2000, 3000, 3000, 0, 0, 0, 0}));
    DWORD status = 0;
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    b->Release();
}

TEST_F(DirectSoundTest, ALockedBufferIsNotReadWhileItIsWritten)
{
    IDirectSoundBuffer* b = MakeBuffer(0, 4, Pcm(1, 44100, 16));
    Fill(b, {500, 600});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(b->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{0, 0}));
    ASSERT_EQ(b->Unlock(p, n, nullptr, 0), DS_OK);
    // Time went on while it was locked.
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{600, 600}));
    b->Release();
}

TEST_F(DirectSoundTest, TwoBuffersMixAndReleasedOnesLeaveTheMix)
{
    IDirectSoundBuffer* a = MakeBuffer(0, 4, Pcm(1, 44100, 16));
    IDirectSoundBuffer* b = MakeBuffer(0, 4, Pcm(2, 44100, 16));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    Fill(a, {100, 100});
    Fill(b, {10, -20});
    ASSERT_EQ(a->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{110, 80}));
    a->Release();
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{10, -20}));
    b->Release();
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{0, 0}));
}

TEST_F(DirectSoundTest, ALostBufferStopsRefusesWorkAndComesBackEmpty)
{
    IDirectSoundBuffer* b = MakeBuffer(0, 4, Pcm(1, 44100, 16));
    Fill(b, {700, 800});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    hook_->LoseBuffers();

    DWORD status = 0;
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{0, 0}));
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_EQ(b->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);

    // The system holds on to it for two more tries.
    hook_->FailRestore(b, 2);
    EXPECT_EQ(b->Restore(), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Restore(), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Restore(), DS_OK);
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & (DSBSTATUS_BUFFERLOST | DSBSTATUS_PLAYING), 0u);
    // Its samples are gone until the owner writes them again.
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Render(2), (std::vector<std::int16_t>{0, 0, 0, 0}));
    Fill(b, {700, 800});
    EXPECT_EQ(Render(2), (std::vector<std::int16_t>{700, 700, 800, 800}));
    // Restoring a buffer that is not lost changes nothing.
    EXPECT_EQ(b->Restore(), DS_OK);
    EXPECT_EQ(Render(1), (std::vector<std::int16_t>{700, 700}));
    b->Release();
}

TEST_F(DirectSoundTest, TheDeviceItselfPullsTheMix)
{
    hook_ = std::make_unique<SoundHook>(ds_, false);
    IDirectSoundBuffer* b = MakeBuffer(0, 44100 * 2, Pcm(1, 44100, 16));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const DWORD before = hook_->Callbacks();
    DWORD play = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        play = hook_->State(b).position;
        if (play > 0 && hook_->Callbacks() > before) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(hook_->Callbacks(), before);
    EXPECT_GT(play, 0u);
    b->Release();
}

TEST(DirectSoundCreate, ArgumentsAndDevices)
{
    EXPECT_EQ(DirectSoundCreate8(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(0x1);
    int outer = 0;
    EXPECT_EQ(DirectSoundCreate8(nullptr, &ds, &outer), DSERR_NOAGGREGATION);
    EXPECT_EQ(ds, nullptr);
    const GUID other{9, 9, 9, {9, 9, 9, 9, 9, 9, 9, 9}};
    EXPECT_EQ(DirectSoundCreate8(&other, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(DirectSoundCreate8(&GUID_NULL, &ds, nullptr), DS_OK);
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(ds->Release(), 0u);
}

// Restores SDL_AUDIODRIVER however the test ends.
class AudioDriverOverride {
public:
    explicit AudioDriverOverride(const char* value)
    {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        hadOld_ = old != nullptr;
        if (hadOld_) {
            old_ = old;
        }
        if (value != nullptr) {
            setenv("SDL_AUDIODRIVER", value, 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
    }
    ~AudioDriverOverride()
    {
        if (hadOld_) {
            setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

TEST(DirectSoundCreate, NoUsableDriverFailsCleanly)
{
    AudioDriverOverride driver("no-such-driver");
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(0x1);
    EXPECT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    // And again: nothing was left half open.
    EXPECT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
}

TEST(DirectSoundCreate, DefaultDriversOnAMachineWithoutSoundFailCleanly)
{
    struct stat info {};
    if (::stat("/dev/snd", &info) == 0) {
        GTEST_SKIP() << "this machine has sound devices";
    }
    if (std::getenv("PULSE_SERVER") != nullptr || std::getenv("PIPEWIRE_REMOTE") != nullptr) {
        GTEST_SKIP() << "a sound server is configured";
    }
    AudioDriverOverride driver(nullptr);
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(0x1);
    const HRESULT hr = DirectSoundCreate8(nullptr, &ds, nullptr);
    EXPECT_EQ(hr, DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    if (ds != nullptr) {
        ds->Release();
    }
}

}  // namespace
