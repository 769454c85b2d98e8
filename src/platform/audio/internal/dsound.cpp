#include "platform/audio/dsound.h"

#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/audio/internal/dsound_mix.h"
#include "platform/large_block.h"
#include "platform/audio/dsound_testing.h"

namespace {

// Mixed in slices of this many frames so the scratch is allocated once per device.
constexpr DWORD kMixChunkFrames = 1024;
constexpr std::uint16_t kDeviceSamples = 1024;

// The mix format a fresh device starts with, until the primary buffer is given another.
constexpr WAVEFORMATEX kDefaultPrimaryFormat{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};

class SoundDevice;

// Checks a PCM format the mixer can play: 1 or 2 channels, 8 or 16 bits, a sane rate and
// a block size that matches.
HRESULT CheckPcmFormat(const WAVEFORMATEX* format)
{
    if (format == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    const WAVEFORMATEX f = *format;
    if (f.wFormatTag != WAVE_FORMAT_PCM || (f.nChannels != 1 && f.nChannels != 2) ||
        (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) || f.nSamplesPerSec < DSBFREQUENCY_MIN ||
        f.nSamplesPerSec > DSBFREQUENCY_MAX) {
        return DSERR_BADFORMAT;
    }
    if (f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8)) {
        return DSERR_BADFORMAT;
    }
    return DS_OK;
}

MixFormat ToMixFormat(const WAVEFORMATEX& f)
{
    return MixFormat{f.nChannels, f.wBitsPerSample, f.nSamplesPerSec};
}

class SoundBuffer final : public IDirectSoundBuffer {
public:
    SoundBuffer(SoundDevice* owner, DWORD flags, const WAVEFORMATEX* format, BYTE* data, DWORD size);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;

    HRESULT GetStatus(DWORD* status) override;
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) override;
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2, DWORD* bytes2,
                 DWORD flags) override;
    HRESULT Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT Stop() override;
    HRESULT Restore() override;
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT GetVolume(LONG* volume) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT GetFrequency(DWORD* frequency) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT GetPan(LONG* pan) override;

    bool IsPrimary() const { return (flags_ & DSBCAPS_PRIMARYBUFFER) != 0; }
    void FailRestores(DWORD failures);
    bool OwnsRange(const void* p, DWORD bytes) const;

    // Everything below is guarded by the device lock.
    MixVoice voice;
    bool lost = false;
    DWORD lockCount = 0;
    DWORD restoreFailures = 0;
    SoundBuffer* next = nullptr;
    SoundBuffer* prev = nullptr;

private:
    ~SoundBuffer();

    std::atomic<ULONG> refs_{1};
    SoundDevice* device_;
    DWORD flags_;
    WAVEFORMATEX format_{};
    BYTE* data_;
    DWORD size_;
};

class SoundDevice final : public IDirectSound8 {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer) override;

    static HRESULT Create(SoundDevice** out);

    // Holds the device lock for a scope; the callback thread takes the same lock.
    class Guard {
    public:
        explicit Guard(const SoundDevice* device) : id_(device->id_)
        {
            if (id_ != 0) {
                SDL_LockAudioDevice(id_);
            }
        }
        ~Guard()
        {
            if (id_ != 0) {
                SDL_UnlockAudioDevice(id_);
            }
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        SDL_AudioDeviceID id_;
    };

    HRESULT SetPrimaryFormat(const WAVEFORMATEX* format);
    const WAVEFORMATEX& PrimaryFormat() const { return primaryFormat_; }
    bool AnyPlaying();
    void Link(SoundBuffer* buffer);
    void Unlink(SoundBuffer* buffer);
    void ForgetPrimary() { primary_ = nullptr; }

    // Called with the device lock held.
    void Render(BYTE* stream, DWORD bytes);

    void Pause(bool paused)
    {
        if (id_ != 0) {
            SDL_PauseAudioDevice(id_, paused ? 1 : 0);
        }
    }
    DWORD CallbackCount() const { return callbacks_.load(); }
    void LoseBuffers();

private:
    SoundDevice() = default;
    ~SoundDevice();
    bool Open(const WAVEFORMATEX& format);
    static void Callback(void* user, Uint8* stream, int length);

    std::atomic<ULONG> refs_{1};
    SDL_AudioDeviceID id_ = 0;
    DWORD level_ = 0;
    WAVEFORMATEX primaryFormat_ = kDefaultPrimaryFormat;
    MixFormat mixFormat_ = ToMixFormat(kDefaultPrimaryFormat);
    SoundBuffer* primary_ = nullptr;
    SoundBuffer* voices_ = nullptr;
    std::int32_t* scratch_ = nullptr;
    std::atomic<DWORD> callbacks_{0};
    bool audioInitialized_ = false;
};

// --- SoundDevice ---------------------------------------------------------------------

namespace {

// With no sound card the audio back ends (ALSA above all) print their own errors straight to
// stderr; the game says in one line of its own what that means, so hush them meanwhile.
// Audio kept up after a device failed to open; see SoundDevice::Create.
bool AudioLeftUp = false;

class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) {
            dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            close(null);
        }
    }
    ~QuietStderr()
    {
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

}  // namespace

HRESULT SoundDevice::Create(SoundDevice** out)
{
    *out = nullptr;
    auto* device = new (std::nothrow) SoundDevice();
    if (device == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    device->scratch_ = new (std::nothrow) std::int32_t[kMixChunkFrames * 2];
    if (device->scratch_ == nullptr) {
        device->Release();
        return DSERR_OUTOFMEMORY;
    }
    if (AudioLeftUp) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioLeftUp = false;
    }
    bool opened = false;
    {
        const QuietStderr quiet;
        device->audioInitialized_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        opened = device->audioInitialized_ && device->Open(kDefaultPrimaryFormat);
    }
    if (!device->audioInitialized_) {
        device->Release();
        return DSERR_NODRIVER;
    }
    if (!opened) {
        // Letting audio go now would wait for SDL's device-watching thread, which sleeps a
        // tenth of a second at a time: a start-up without sound would stand still for it.
        // It goes at the next attempt, or with the process.
        AudioLeftUp = true;
        device->audioInitialized_ = false;
        device->Release();
        return DSERR_NODRIVER;
    }
    *out = device;
    return DS_OK;
}

bool SoundDevice::Open(const WAVEFORMATEX& format)
{
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.nSamplesPerSec);
    want.format = format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(format.nChannels);
    want.samples = kDeviceSamples;
    want.callback = &SoundDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts our format to whatever the hardware takes.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        return false;
    }
    id_ = id;
    primaryFormat_ = format;
    primaryFormat_.cbSize = 0;
    mixFormat_ = ToMixFormat(format);
    SDL_PauseAudioDevice(id_, 0);
    return true;
}

SoundDevice::~SoundDevice()
{
    if (id_ != 0) {
        SDL_CloseAudioDevice(id_);
    }
    if (audioInitialized_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    delete[] scratch_;
}

ULONG SoundDevice::Release()
{
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT SoundDevice::SetCooperativeLevel(HWND, DWORD level)
{
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
        return DSERR_INVALIDPARAM;
    }
    level_ = level;
    return DS_OK;
}

HRESULT SoundDevice::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer)
{
    if (buffer == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    if (desc == nullptr || desc->dwSize != sizeof(DSBUFFERDESC)) {
        return DSERR_INVALIDPARAM;
    }
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    if (level_ == 0) {
        return DSERR_PRIOLEVELNEEDED;
    }
    const DWORD flags = desc->dwFlags;

    if ((flags & DSBCAPS_PRIMARYBUFFER) != 0) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr ||
            (flags & (DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLFX | DSBCAPS_CTRLPOSITIONNOTIFY)) != 0) {
            return DSERR_INVALIDPARAM;
        }
        if (primary_ != nullptr) {
            primary_->AddRef();
        } else {
            primary_ = new (std::nothrow) SoundBuffer(this, flags, &primaryFormat_, nullptr, 0);
            if (primary_ == nullptr) {
                return DSERR_OUTOFMEMORY;
            }
        }
        *buffer = primary_;
        return DS_OK;
    }

    const HRESULT formatResult = CheckPcmFormat(desc->lpwfxFormat);
    if (FAILED(formatResult)) {
        return formatResult;
    }
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) {
        return DSERR_INVALIDPARAM;
    }
    if ((flags & DSBCAPS_CTRL3D) != 0 && desc->lpwfxFormat->nChannels != 1) {
        return DSERR_INVALIDPARAM;
    }
    if ((flags & DSBCAPS_CTRLFX) != 0) {
        return DSERR_CONTROLUNAVAIL;
    }

    auto* data = static_cast<BYTE*>(AllocateLargeBlock(desc->dwBufferBytes));
    if (data == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    auto* created = new (std::nothrow) SoundBuffer(this, flags, desc->lpwfxFormat, data, desc->dwBufferBytes);
    if (created == nullptr) {
        FreeLargeBlock(data, desc->dwBufferBytes);
        return DSERR_OUTOFMEMORY;
    }
    Link(created);
    *buffer = created;
    // Positioning is not modelled; asking for a particular 3D algorithm gets the plain one.
    if ((flags & DSBCAPS_CTRL3D) != 0 && !(desc->guid3DAlgorithm == GUID_NULL)) {
        return DS_NO_VIRTUALIZATION;
    }
    return DS_OK;
}

HRESULT SoundDevice::SetPrimaryFormat(const WAVEFORMATEX* format)
{
    if (level_ < DSSCL_PRIORITY) {
        return DSERR_PRIOLEVELNEEDED;
    }
    const HRESULT check = CheckPcmFormat(format);
    if (FAILED(check)) {
        return check;
    }
    if (format->nAvgBytesPerSec != format->nSamplesPerSec * format->nBlockAlign) {
        return DSERR_INVALIDPARAM;
    }
    const WAVEFORMATEX previous = primaryFormat_;
    if (previous.nChannels == format->nChannels && previous.nSamplesPerSec == format->nSamplesPerSec &&
        previous.wBitsPerSample == format->wBitsPerSample) {
        return DS_OK;
    }
    // The secondary buffers stay linked while the stream is reopened; no callback runs
    // between the close and the open.
    SDL_CloseAudioDevice(id_);
    id_ = 0;
    if (Open(*format)) {
        return DS_OK;
    }
    if (!Open(previous)) {
        return DSERR_NODRIVER;
    }
    return DSERR_BADFORMAT;
}

bool SoundDevice::AnyPlaying()
{
    Guard guard(this);
    for (SoundBuffer* b = voices_; b != nullptr; b = b->next) {
        if (b->voice.playing) {
            return true;
        }
    }
    return false;
}

void SoundDevice::Link(SoundBuffer* buffer)
{
    Guard guard(this);
    buffer->next = voices_;
    if (voices_ != nullptr) {
        voices_->prev = buffer;
    }
    voices_ = buffer;
}

void SoundDevice::Unlink(SoundBuffer* buffer)
{
    Guard guard(this);
    if (buffer->prev != nullptr) {
        buffer->prev->next = buffer->next;
    } else if (voices_ == buffer) {
        voices_ = buffer->next;
    }
    if (buffer->next != nullptr) {
        buffer->next->prev = buffer->prev;
    }
    buffer->next = nullptr;
    buffer->prev = nullptr;
}

void SoundDevice::Render(BYTE* stream, DWORD bytes)
{
    const MixFormat out = mixFormat_;
    const DWORD frameBytes = static_cast<DWORD>(out.channels) * (out.bitsPerSample / 8u);
    DWORD frames = bytes / frameBytes;
    BYTE* dest = stream;
    while (frames > 0) {
        const DWORD chunk = frames < kMixChunkFrames ? frames : kMixChunkFrames;
        std::memset(scratch_, 0, sizeof(std::int32_t) * chunk * out.channels);
        for (SoundBuffer* b = voices_; b != nullptr; b = b->next) {
            b->voice.silenced = b->lockCount > 0;
            MixVoiceInto(b->voice, out, scratch_, chunk);
        }
        WriteMixed(scratch_, out, dest, chunk);
        dest += chunk * frameBytes;
        frames -= chunk;
    }
    const BYTE silence = out.bitsPerSample == 8 ? 128 : 0;
    std::memset(dest, silence, static_cast<std::size_t>(stream + bytes - dest));
}

void SoundDevice::Callback(void* user, Uint8* stream, int length)
{
    auto* device = static_cast<SoundDevice*>(user);
    device->callbacks_.fetch_add(1);
    device->Render(stream, length > 0 ? static_cast<DWORD>(length) : 0);
}

void SoundDevice::LoseBuffers()
{
    Guard guard(this);
    for (SoundBuffer* b = voices_; b != nullptr; b = b->next) {
        b->lost = true;
        b->voice.playing = false;
    }
}

// --- SoundBuffer ---------------------------------------------------------------------

SoundBuffer::SoundBuffer(SoundDevice* owner, DWORD flags, const WAVEFORMATEX* format, BYTE* data, DWORD size)
    : device_(owner), flags_(flags), data_(data), size_(size)
{
    device_->AddRef();
    format_ = *format;
    format_.cbSize = 0;
    format_.nAvgBytesPerSec = format_.nSamplesPerSec * format_.nBlockAlign;
    voice.data = data;
    voice.bytes = size;
    voice.channels = format_.nChannels;
    voice.bitsPerSample = format_.wBitsPerSample;
    voice.frequency = format_.nSamplesPerSec;
}

SoundBuffer::~SoundBuffer()
{
    if (IsPrimary()) {
        device_->ForgetPrimary();
    } else {
        device_->Unlink(this);
    }
    FreeLargeBlock(data_, size_);
    device_->Release();
}

ULONG SoundBuffer::Release()
{
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

void SoundBuffer::FailRestores(DWORD failures)
{
    SoundDevice::Guard guard(device_);
    restoreFailures = failures;
}

bool SoundBuffer::OwnsRange(const void* p, DWORD bytes) const
{
    const auto* b = static_cast<const BYTE*>(p);
    return b >= data_ && b <= data_ + size_ && bytes <= static_cast<DWORD>(data_ + size_ - b);
}

HRESULT SoundBuffer::GetStatus(DWORD* status)
{
    if (status == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary()) {
        *status = device_->AnyPlaying() ? (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING) : 0;
        return DS_OK;
    }
    SoundDevice::Guard guard(device_);
    if (lost) {
        *status = DSBSTATUS_BUFFERLOST;
        return DS_OK;
    }
    DWORD s = DSBSTATUS_LOCSOFTWARE;
    if (voice.playing) {
        s |= DSBSTATUS_PLAYING;
        if (voice.looping) {
            s |= DSBSTATUS_LOOPING;
        }
    }
    *status = s;
    return DS_OK;
}

HRESULT SoundBuffer::GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten)
{
    if (format == nullptr && sizeWritten == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    const WAVEFORMATEX current = IsPrimary() ? device_->PrimaryFormat() : format_;
    if (format == nullptr) {
        *sizeWritten = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    if (sizeAllocated < sizeof(WAVEFORMATEX)) {
        return DSERR_INVALIDPARAM;
    }
    *format = current;
    if (sizeWritten != nullptr) {
        *sizeWritten = sizeof(WAVEFORMATEX);
    }
    return DS_OK;
}

HRESULT SoundBuffer::SetFormat(const WAVEFORMATEX* format)
{
    if (!IsPrimary()) {
        return DSERR_INVALIDCALL;
    }
    return device_->SetPrimaryFormat(format);
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2, DWORD* bytes2,
                          DWORD flags)
{
    if (audio1 == nullptr || bytes1 == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *audio1 = nullptr;
    *bytes1 = 0;
    if (audio2 != nullptr) {
        *audio2 = nullptr;
    }
    if (bytes2 != nullptr) {
        *bytes2 = 0;
    }
    if (IsPrimary()) {
        return DSERR_PRIOLEVELNEEDED;
    }
    SoundDevice::Guard guard(device_);
    if (lost) {
        return DSERR_BUFFERLOST;
    }
    if ((flags & DSBLOCK_FROMWRITECURSOR) != 0) {
        offset = static_cast<DWORD>(voice.position >> 32) * format_.nBlockAlign;
    }
    if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
        bytes = size_;
    }
    if (offset >= size_ || bytes == 0 || bytes > size_) {
        return DSERR_INVALIDPARAM;
    }
    *audio1 = data_ + offset;
    if (bytes <= size_ - offset) {
        *bytes1 = bytes;
    } else {
        *bytes1 = size_ - offset;
        if (audio2 != nullptr && bytes2 != nullptr) {
            *audio2 = data_;
            *bytes2 = bytes - *bytes1;
        }
    }
    ++lockCount;
    return DS_OK;
}

HRESULT SoundBuffer::Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2)
{
    if (IsPrimary() || audio1 == nullptr || !OwnsRange(audio1, bytes1) ||
        (audio2 != nullptr && !OwnsRange(audio2, bytes2))) {
        return DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    if (lockCount == 0) {
        return DSERR_INVALIDCALL;
    }
    --lockCount;
    return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags)
{
    if (reserved != 0 || (priority != 0 && (flags_ & DSBCAPS_LOCDEFER) == 0)) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary()) {
        return (flags & DSBPLAY_LOOPING) != 0 ? DS_OK : DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    if (lost) {
        return DSERR_BUFFERLOST;
    }
    voice.playing = true;
    voice.looping = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
}

HRESULT SoundBuffer::Stop()
{
    if (IsPrimary()) {
        return DS_OK;
    }
    SoundDevice::Guard guard(device_);
    voice.playing = false;
    return DS_OK;
}

HRESULT SoundBuffer::Restore()
{
    if (IsPrimary()) {
        return DS_OK;
    }
    SoundDevice::Guard guard(device_);
    if (restoreFailures > 0) {
        --restoreFailures;
        return DSERR_BUFFERLOST;
    }
    if (!lost) {
        return DS_OK;
    }
    // The memory came back empty: the owner has to write its samples again.
    std::memset(data_, format_.wBitsPerSample == 8 ? 128 : 0, size_);
    voice.position = 0;
    lost = false;
    return DS_OK;
}

HRESULT SoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor)
{
    if (playCursor == nullptr && writeCursor == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary()) {
        return DSERR_PRIOLEVELNEEDED;
    }
    SoundDevice::Guard guard(device_);
    if (lost) {
        return DSERR_BUFFERLOST;
    }
    const DWORD play = static_cast<DWORD>(voice.position >> 32) * format_.nBlockAlign;
    if (playCursor != nullptr) {
        *playCursor = play;
    }
    if (writeCursor != nullptr) {
        *writeCursor = play;
    }
    return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD position)
{
    if (IsPrimary()) {
        return DSERR_INVALIDCALL;
    }
    if (position >= size_) {
        return DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    if (lost) {
        return DSERR_BUFFERLOST;
    }
    voice.position = static_cast<std::uint64_t>(position / format_.nBlockAlign) << 32;
    return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG volume)
{
    if (IsPrimary() || (flags_ & DSBCAPS_CTRLVOLUME) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) {
        return DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    voice.volume = volume;
    return DS_OK;
}

HRESULT SoundBuffer::GetVolume(LONG* volume)
{
    if (volume == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary() || (flags_ & DSBCAPS_CTRLVOLUME) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    SoundDevice::Guard guard(device_);
    *volume = voice.volume;
    return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency)
{
    if (IsPrimary() || (flags_ & DSBCAPS_CTRLFREQUENCY) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)) {
        return DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    voice.frequency = frequency == DSBFREQUENCY_ORIGINAL ? format_.nSamplesPerSec : frequency;
    return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(DWORD* frequency)
{
    if (frequency == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary() || (flags_ & DSBCAPS_CTRLFREQUENCY) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    SoundDevice::Guard guard(device_);
    *frequency = voice.frequency;
    return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG pan)
{
    if (IsPrimary() || (flags_ & DSBCAPS_CTRLPAN) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) {
        return DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    voice.pan = pan;
    return DS_OK;
}

HRESULT SoundBuffer::GetPan(LONG* pan)
{
    if (pan == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary() || (flags_ & DSBCAPS_CTRLPAN) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    SoundDevice::Guard guard(device_);
    *pan = voice.pan;
    return DS_OK;
}

}  // namespace

HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** directSound, void* outer)
{
    if (directSound == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    if (device != nullptr && !(*device == GUID_NULL)) {
        return DSERR_NODRIVER;
    }
    SoundDevice* created = nullptr;
    const HRESULT hr = SoundDevice::Create(&created);
    *directSound = created;
    return hr;
}

void DirectSoundPauseDeviceForTests(IDirectSound8* directSound, bool paused)
{
    static_cast<SoundDevice*>(directSound)->Pause(paused);
}

HRESULT DirectSoundRenderForTests(IDirectSound8* directSound, void* dest, DWORD bytes)
{
    if (directSound == nullptr || dest == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    auto* device = static_cast<SoundDevice*>(directSound);
    SoundDevice::Guard guard(device);
    device->Render(static_cast<BYTE*>(dest), bytes);
    return DS_OK;
}

DWORD DirectSoundCallbackCountForTests(IDirectSound8* directSound)
{
    return static_cast<SoundDevice*>(directSound)->CallbackCount();
}

void DirectSoundLoseBuffersForTests(IDirectSound8* directSound)
{
    static_cast<SoundDevice*>(directSound)->LoseBuffers();
}

void DirectSoundFailRestoreForTests(IDirectSoundBuffer* buffer, DWORD failures)
{
    static_cast<SoundBuffer*>(buffer)->FailRestores(failures);
}
