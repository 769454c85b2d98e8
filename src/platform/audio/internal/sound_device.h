#pragma once

// Private to src/platform: the sound device (SDL output, buffer list, mix callback) and its
// buffers, declared together because each reaches into the other under the device lock.
// The hook (sound_hook.h) reads and drives them too.

#include <SDL.h>

#include <atomic>

#include "platform/audio/dsound.h"
#include "platform/audio/internal/dsound_mix.h"
#include "platform/ref_counted.h"

class SoundDevice;

class SoundBuffer final : public RefCounted<SoundBuffer, IDirectSoundBuffer> {
public:
    SoundBuffer(SoundDevice* owner, DWORD flags, const WAVEFORMATEX* format, BYTE* data, DWORD size);

    HRESULT GetStatus(DWORD* status) override;
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2, DWORD* bytes2,
                 DWORD flags) override;
    HRESULT Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT Stop() override;
    HRESULT Restore() override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT SetPan(LONG pan) override;

    bool IsPrimary() const { return (flags_ & DSBCAPS_PRIMARYBUFFER) != 0; }
    DWORD BlockAlign() const { return voice.channels * (voice.bitsPerSample / 8u); }

    // Everything below is guarded by the device lock.
    MixVoice voice;
    bool lost = false;
    DWORD lockCount = 0;
    DWORD restoreFailures = 0;
    SoundBuffer* next = nullptr;

private:
    friend class RefCounted<SoundBuffer, IDirectSoundBuffer>;
    ~SoundBuffer();
    bool OwnsRange(const void* p, DWORD bytes) const;
    // DSERR_CONTROLUNAVAIL unless the buffer was made with `control`, DSERR_INVALIDPARAM for
    // a value out of range; else applies the value under the device lock.
    template <class Apply>
    HRESULT SetControl(DWORD control, bool inRange, Apply apply);

    SoundDevice* device_;
    DWORD flags_;
    DWORD rate_;  // the samples' own rate
    BYTE* data_;
    DWORD size_;
};

class SoundDevice final : public RefCounted<SoundDevice, IDirectSound8> {
public:
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer) override;

    // Opens the default output into *out, or leaves it null.
    static HRESULT Create(IDirectSound8** out);

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
    void Unlink(SoundBuffer* buffer);
    void ForgetPrimary() { primary_ = nullptr; }
    SoundBuffer* Voices() const { return voices_; }

    // Called with the device lock held.
    void Render(BYTE* stream, DWORD bytes);
    void Pause(bool paused);
    DWORD CallbackCount() const { return callbacks_.load(); }

private:
    friend class RefCounted<SoundDevice, IDirectSound8>;
    SoundDevice() = default;
    ~SoundDevice();
    bool Open(const WAVEFORMATEX& format);
    void Link(SoundBuffer* buffer);
    static void Callback(void* user, Uint8* stream, int length);

    SDL_AudioDeviceID id_ = 0;
    bool levelSet_ = false;
    WAVEFORMATEX primaryFormat_{};
    MixFormat mixFormat_{};
    SoundBuffer* primary_ = nullptr;
    SoundBuffer* voices_ = nullptr;
    // Mixed in slices of this many frames, so the scratch is the device's own.
    static constexpr DWORD kMixChunkFrames = 1024;
    std::int32_t scratch_[kMixChunkFrames * 2] = {};
    std::atomic<DWORD> callbacks_{0};
    bool audioInitialized_ = false;
};
