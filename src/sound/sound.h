#pragma once

// The DirectSound owner and the sounds it makes. A CSound keeps the whole of one wave in
// each of its buffers, filled once and refilled whenever the system took a buffer away.

#include "platform/audio/dsound.h"
#include "platform/platform_types.h"
#include "sound/wave_reader.h"

class CSound;

class SoundSystem {
public:
    SoundSystem() = default;
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    HRESULT Initialize(HWND window, DWORD cooperativeLevel);
    HRESULT SetPrimaryFormat(DWORD channels, DWORD samplesPerSecond, DWORD bitsPerSample);
    // On success `*sound` owns `count` buffers, each holding the whole wave.
    HRESULT CreateSound(CSound** sound, const char* fileName, DWORD creationFlags, REFGUID algorithm3d, DWORD count);

    IDirectSound8* GetDirectSound() const { return directSound_; }

private:
    IDirectSound8* directSound_ = nullptr;
};

class CSound {
public:
    // Takes over the buffers (one reference each) and the reader, then fills every buffer.
    CSound(IDirectSoundBuffer* const* buffers, DWORD bufferSize, DWORD count, WaveReader* wave, DWORD creationFlags);
    virtual ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // `frequency` -1 leaves the buffer's frequency as it is.
    HRESULT Play(DWORD priority, DWORD flags, LONG volume, LONG frequency, LONG pan);
    bool IsPlaying();
    IDirectSoundBuffer* PickIdleBuffer();
    // S_OK when the buffer was lost and is now restored, S_FALSE when it was not lost.
    HRESULT RecoverLostBuffer(IDirectSoundBuffer* buffer, bool* restored);
    HRESULT LoadBufferData(IDirectSoundBuffer* buffer);

    DWORD BufferCount() const { return buffers_ != nullptr ? count_ : 0; }
    IDirectSoundBuffer* Buffer(DWORD index) const
    {
        return buffers_ != nullptr && index < count_ ? buffers_[index] : nullptr;
    }
    DWORD BufferSize() const { return bufferSize_; }

private:
    IDirectSoundBuffer** buffers_ = nullptr;
    DWORD bufferSize_ = 0;
    WaveReader* wave_ = nullptr;
    DWORD count_ = 0;
    DWORD creationFlags_ = 0;
};
