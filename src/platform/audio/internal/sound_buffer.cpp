// A sound buffer: the primary (which only sets the output format) and the secondary buffers
// the game fills, plays and controls; each secondary is a voice in its device's mix.

#include <cstring>

#include "platform/audio/internal/sound_device.h"
#include "platform/large_block.h"

SoundBuffer::SoundBuffer(SoundDevice* owner, DWORD flags, const WAVEFORMATEX* format, BYTE* data, DWORD size)
    : device_(owner), flags_(flags), rate_(format->nSamplesPerSec), data_(data), size_(size)
{
    device_->AddRef();
    voice.data = data;
    voice.bytes = size;
    voice.channels = format->nChannels;
    voice.bitsPerSample = format->wBitsPerSample;
    voice.frequency = rate_;
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

bool SoundBuffer::OwnsRange(const void* p, DWORD bytes) const
{
    const auto* b = static_cast<const BYTE*>(p);
    return b >= data_ && b <= data_ + size_ && bytes <= static_cast<DWORD>(data_ + size_ - b);
}

template <class Apply>
HRESULT SoundBuffer::SetControl(DWORD control, bool inRange, Apply apply)
{
    if (IsPrimary() || (flags_ & control) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (!inRange) {
        return DSERR_INVALIDPARAM;
    }
    SoundDevice::Guard guard(device_);
    apply();
    return DS_OK;
}

HRESULT SoundBuffer::GetStatus(DWORD* status)
{
    if (status == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary()) {
        return DSERR_INVALIDCALL;
    }
    SoundDevice::Guard guard(device_);
    const DWORD playing = DSBSTATUS_PLAYING | (voice.looping ? DSBSTATUS_LOOPING : 0);
    *status = lost ? DSBSTATUS_BUFFERLOST : (voice.playing ? playing : 0);
    return DS_OK;
}

HRESULT SoundBuffer::SetFormat(const WAVEFORMATEX* format)
{
    return IsPrimary() ? device_->SetPrimaryFormat(format) : DSERR_INVALIDCALL;
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2, DWORD* bytes2, DWORD)
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
        return DSERR_INVALIDCALL;
    }
    SoundDevice::Guard guard(device_);
    if (lost || offset >= size_ || bytes == 0 || bytes > size_) {
        return lost ? DSERR_BUFFERLOST : DSERR_INVALIDPARAM;
    }
    *audio1 = data_ + offset;
    *bytes1 = bytes <= size_ - offset ? bytes : size_ - offset;
    if (*bytes1 < bytes && audio2 != nullptr && bytes2 != nullptr) {
        *audio2 = data_;
        *bytes2 = bytes - *bytes1;
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
    if (reserved != 0 || priority != 0) {
        return DSERR_INVALIDPARAM;
    }
    if (IsPrimary()) {
        return DSERR_INVALIDCALL;
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
        return DSERR_INVALIDCALL;
    }
    SoundDevice::Guard guard(device_);
    voice.playing = false;
    return DS_OK;
}

HRESULT SoundBuffer::Restore()
{
    if (IsPrimary()) {
        return DSERR_INVALIDCALL;
    }
    SoundDevice::Guard guard(device_);
    if (restoreFailures > 0) {
        --restoreFailures;
        return DSERR_BUFFERLOST;
    }
    if (lost) {
        // The memory came back empty: the owner has to write its samples again.
        std::memset(data_, voice.bitsPerSample == 8 ? 128 : 0, size_);
        voice.position = 0;
        lost = false;
    }
    return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG volume)
{
    return SetControl(DSBCAPS_CTRLVOLUME, volume >= DSBVOLUME_MIN && volume <= DSBVOLUME_MAX,
                      [&] { voice.volume = volume; });
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency)
{
    const bool original = frequency == DSBFREQUENCY_ORIGINAL;
    return SetControl(DSBCAPS_CTRLFREQUENCY,
                      original || (frequency >= DSBFREQUENCY_MIN && frequency <= DSBFREQUENCY_MAX),
                      [&] { voice.frequency = original ? rate_ : frequency; });
}

HRESULT SoundBuffer::SetPan(LONG pan)
{
    return SetControl(DSBCAPS_CTRLPAN, pan >= DSBPAN_LEFT && pan <= DSBPAN_RIGHT, [&] { voice.pan = pan; });
}
