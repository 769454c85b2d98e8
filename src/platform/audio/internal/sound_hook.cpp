// The test hook: reaches into the device and its buffers under the device lock.

#include "platform/audio/sound_hook.h"

#include "platform/audio/internal/sound_device.h"

namespace {

SoundBuffer* Secondary(IDirectSoundBuffer* buffer) { return static_cast<SoundBuffer*>(buffer); }

}  // namespace

SoundHook::SoundHook(IDirectSound8* device, bool driveMix)
    : device_(static_cast<SoundDevice*>(device)), paused_(driveMix)
{
    device_->AddRef();
    if (paused_) {
        device_->Pause(true);
    }
}

SoundHook::~SoundHook()
{
    if (paused_) {
        device_->Pause(false);
    }
    device_->Release();
}

void SoundHook::Render(void* dest, DWORD bytes)
{
    const SoundDevice::Guard guard(device_);
    device_->Render(static_cast<BYTE*>(dest), bytes);
}

DWORD SoundHook::Callbacks() const { return device_->CallbackCount(); }

WAVEFORMATEX SoundHook::PrimaryFormat() const { return device_->PrimaryFormat(); }

SoundBufferState SoundHook::State(IDirectSoundBuffer* buffer) const
{
    const SoundDevice::Guard guard(device_);
    const MixVoice& v = Secondary(buffer)->voice;
    return {v.volume, v.frequency, v.pan, static_cast<DWORD>(v.position >> 32) * Secondary(buffer)->BlockAlign()};
}

void SoundHook::Seek(IDirectSoundBuffer* buffer, DWORD bytes)
{
    const SoundDevice::Guard guard(device_);
    Secondary(buffer)->voice.position = static_cast<std::uint64_t>(bytes / Secondary(buffer)->BlockAlign()) << 32;
}

void SoundHook::LoseBuffers()
{
    const SoundDevice::Guard guard(device_);
    for (SoundBuffer* b = device_->Voices(); b != nullptr; b = b->next) {
        b->lost = true;
        b->voice.playing = false;
    }
}

void SoundHook::FailRestore(IDirectSoundBuffer* buffer, DWORD failures)
{
    const SoundDevice::Guard guard(device_);
    Secondary(buffer)->restoreFailures = failures;
}
