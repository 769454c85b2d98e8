// The sound device: opening SDL's output (quietly, and cheaply when there is none), the
// cooperative level, making buffers, the primary format, and the callback that mixes every
// linked buffer into the output. DirectSoundCreate8 lives here.

#include "platform/audio/internal/sound_device.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/large_block.h"

namespace {

constexpr std::uint16_t kDeviceSamples = 1024;

// The mix format a fresh device starts with, until the primary buffer is given another.
constexpr WAVEFORMATEX kDefaultPrimaryFormat{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};

// Audio kept up after a device failed to open; see SoundDevice::Create.
bool AudioLeftUp = false;

// With no sound card the audio back ends (ALSA above all) print their own errors straight to
// stderr; the game says in one line of its own what that means, so hush them meanwhile.
template <class Work>
void WithStderrHushed(Work work)
{
#if defined(_WIN32)
    // Windows' audio back ends report through SDL only.
    work();
#else
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0) {
        dup2(null, STDERR_FILENO);
    }
    if (null >= 0) {
        close(null);
    }
    work();
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
#endif
}

// A PCM format the mixer can play: 1 or 2 channels, 8 or 16 bits, a sane rate and a block
// size that matches.
HRESULT CheckPcmFormat(const WAVEFORMATEX* format)
{
    if (format == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    const WAVEFORMATEX f = *format;
    if (f.wFormatTag != WAVE_FORMAT_PCM || (f.nChannels != 1 && f.nChannels != 2) ||
        (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) || f.nSamplesPerSec < DSBFREQUENCY_MIN ||
        f.nSamplesPerSec > DSBFREQUENCY_MAX || f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8)) {
        return DSERR_BADFORMAT;
    }
    return DS_OK;
}

}  // namespace

HRESULT SoundDevice::Create(IDirectSound8** out)
{
    auto* device = new (std::nothrow) SoundDevice();
    if (device == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    if (AudioLeftUp) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioLeftUp = false;
    }
    bool opened = false;
    WithStderrHushed([&] {
        device->audioInitialized_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        opened = device->audioInitialized_ && device->Open(kDefaultPrimaryFormat);
    });
    if (!opened) {
        // Letting audio go now would wait for SDL's device-watching thread, which sleeps a
        // tenth of a second at a time: a start-up without sound would stand still for it.
        // It goes at the next attempt, or with the process.
        AudioLeftUp = device->audioInitialized_;
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
    mixFormat_ = MixFormat{format.nChannels, format.wBitsPerSample, format.nSamplesPerSec};
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
}

HRESULT SoundDevice::SetCooperativeLevel(HWND, DWORD level)
{
    if (level != DSSCL_PRIORITY) {
        return DSERR_INVALIDPARAM;
    }
    levelSet_ = true;
    return DS_OK;
}

HRESULT SoundDevice::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer)
{
    if (buffer == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    const HRESULT refusal = desc == nullptr || desc->dwSize != sizeof(DSBUFFERDESC) ? DSERR_INVALIDPARAM
                            : outer != nullptr                                      ? DSERR_NOAGGREGATION
                            : !levelSet_                                            ? DSERR_PRIOLEVELNEEDED
                                                                                    : DS_OK;
    if (refusal != DS_OK) {
        return refusal;
    }
    if ((desc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if (primary_ != nullptr) {
            primary_->AddRef();
        } else {
            primary_ = new (std::nothrow) SoundBuffer(this, desc->dwFlags, &primaryFormat_, nullptr, 0);
        }
        *buffer = primary_;
        return primary_ != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
    }

    const HRESULT formatResult = CheckPcmFormat(desc->lpwfxFormat);
    if (FAILED(formatResult)) {
        return formatResult;
    }
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) {
        return DSERR_INVALIDPARAM;
    }
    const DWORD size = desc->dwBufferBytes;
    auto* data = static_cast<BYTE*>(AllocateLargeBlock(size));
    auto* created =
        data != nullptr ? new (std::nothrow) SoundBuffer(this, desc->dwFlags, desc->lpwfxFormat, data, size) : nullptr;
    if (created == nullptr) {
        FreeLargeBlock(data, size);  // null included
        return DSERR_OUTOFMEMORY;
    }
    Link(created);
    *buffer = created;
    return DS_OK;
}

HRESULT SoundDevice::SetPrimaryFormat(const WAVEFORMATEX* format)
{
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
    return Open(*format) ? DS_OK : (Open(previous) ? DSERR_BADFORMAT : DSERR_NODRIVER);
}

void SoundDevice::Link(SoundBuffer* buffer)
{
    Guard guard(this);
    buffer->next = voices_;
    voices_ = buffer;
}

// Buffers go rarely (a reload, the end of the game), so a walk of the list will do.
void SoundDevice::Unlink(SoundBuffer* buffer)
{
    Guard guard(this);
    for (SoundBuffer** link = &voices_; *link != nullptr; link = &(*link)->next) {
        if (*link == buffer) {
            *link = buffer->next;
            break;
        }
    }
    buffer->next = nullptr;
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
    std::memset(dest, out.bitsPerSample == 8 ? 128 : 0, static_cast<std::size_t>(stream + bytes - dest));
}

void SoundDevice::Pause(bool paused)
{
    if (id_ != 0) {
        SDL_PauseAudioDevice(id_, paused ? 1 : 0);
    }
}

void SoundDevice::Callback(void* user, Uint8* stream, int length)
{
    auto* device = static_cast<SoundDevice*>(user);
    device->callbacks_.fetch_add(1);
    device->Render(stream, length > 0 ? static_cast<DWORD>(length) : 0);
}

HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** directSound, void* outer)
{
    if (directSound == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    const bool otherDevice = device != nullptr && !(*device == GUID_NULL);
    return outer != nullptr ? DSERR_NOAGGREGATION : (otherDevice ? DSERR_NODRIVER : SoundDevice::Create(directSound));
}
