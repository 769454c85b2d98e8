#pragma once

// The test hook of the sound output (library tarnwick_platform_audio_hook; game code never
// links it). A test hands it a device, then drives the mix itself, watches what the buffers
// hold and plays the system's part: taking buffers away and refusing to give them back.

#include "platform/audio/dsound.h"

// A secondary buffer as the mix sees it.
struct SoundBufferState {
    LONG volume;
    DWORD frequency;
    LONG pan;
    DWORD position;  // bytes from the start
};

class SoundHook {
public:
    // Holds a reference to the device. With `driveMix` the device's own callback is paused
    // until the hook goes, so that Render alone advances the buffers.
    explicit SoundHook(IDirectSound8* device, bool driveMix = true);
    ~SoundHook();
    SoundHook(const SoundHook&) = delete;
    SoundHook& operator=(const SoundHook&) = delete;

    // Runs exactly what the device callback runs, into `dest`, in the primary buffer's format.
    void Render(void* dest, DWORD bytes);
    // How many times the device itself has asked for samples.
    DWORD Callbacks() const;
    WAVEFORMATEX PrimaryFormat() const;
    SoundBufferState State(IDirectSoundBuffer* buffer) const;
    // Moves a buffer's play position to `bytes` (rounded down to whole frames).
    void Seek(IDirectSoundBuffer* buffer, DWORD bytes);

    // Every secondary buffer of the device is taken away, as when another program grabs the
    // sound device: they stop, report DSBSTATUS_BUFFERLOST and need Restore.
    void LoseBuffers();
    // The next `failures` calls of Restore on this buffer report DSERR_BUFFERLOST.
    void FailRestore(IDirectSoundBuffer* buffer, DWORD failures);

private:
    class SoundDevice* device_;
    bool paused_;
};
