#include "sound/sound.h"

#include <cstring>
#include <new>

#include "math/random.h"
#include "platform/files/files.h"

// --- SoundSystem -----------------------------------------------------------------------

SoundSystem::~SoundSystem()
{
    if (directSound_ != nullptr) {
        directSound_->Release();
        directSound_ = nullptr;
    }
}

HRESULT SoundSystem::Initialize(HWND window, DWORD cooperativeLevel)
{
    if (directSound_ != nullptr) {
        directSound_->Release();
        directSound_ = nullptr;
    }
    HRESULT hr = DirectSoundCreate8(nullptr, &directSound_, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    hr = directSound_->SetCooperativeLevel(window, cooperativeLevel);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT SoundSystem::SetPrimaryFormat(DWORD channels, DWORD samplesPerSecond, DWORD bitsPerSample)
{
    if (directSound_ == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    HRESULT hr = directSound_->CreateSoundBuffer(&desc, &primary, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = samplesPerSecond;
    format.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    format.nBlockAlign = static_cast<WORD>((bitsPerSample / 8) * channels);
    format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSecond;
    format.cbSize = 0;
    hr = primary->SetFormat(&format);
    primary->Release();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT SoundSystem::CreateSound(CSound** sound, const char* fileName, DWORD creationFlags, REFGUID algorithm3d,
                                 DWORD count)
{
    if (directSound_ == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (fileName == nullptr || sound == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    *sound = nullptr;

    auto* buffers = new (std::nothrow) IDirectSoundBuffer*[count]();
    if (buffers == nullptr) {
        return E_OUTOFMEMORY;
    }
    auto* wave = new (std::nothrow) WaveReader();
    if (wave == nullptr) {
        delete[] buffers;
        return E_OUTOFMEMORY;
    }
    wave->Open(fileName);
    if (wave->GetSize() == 0) {
        delete wave;
        delete[] buffers;
        return E_FAIL;
    }

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = creationFlags;
    desc.dwBufferBytes = wave->GetSize();
    desc.lpwfxFormat = wave->format;
    desc.guid3DAlgorithm = algorithm3d;
    HRESULT result = S_OK;
    // Every slot gets its own buffer so that any of them can be picked and played.
    for (DWORD i = 0; i < count; ++i) {
        const HRESULT hr = directSound_->CreateSoundBuffer(&desc, &buffers[i], nullptr);
        if (hr == DS_NO_VIRTUALIZATION) {
            result = DS_NO_VIRTUALIZATION;
        } else if (FAILED(hr)) {
            for (DWORD j = 0; j < i; ++j) {
                buffers[j]->Release();
            }
            delete wave;
            delete[] buffers;
            return hr;
        }
    }

    auto* created = new (std::nothrow) CSound(buffers, wave->GetSize(), count, wave, creationFlags);
    if (created == nullptr) {
        for (DWORD i = 0; i < count; ++i) {
            buffers[i]->Release();
        }
        delete wave;
        delete[] buffers;
        return E_OUTOFMEMORY;
    }
    delete[] buffers;
    if (created->BufferCount() == 0) {
        delete created;
        return E_OUTOFMEMORY;
    }
    *sound = created;
    return result;
}

// --- CSound ----------------------------------------------------------------------------

CSound::CSound(IDirectSoundBuffer* const* buffers, DWORD bufferSize, DWORD count, WaveReader* wave, DWORD creationFlags)
    : bufferSize_(bufferSize), wave_(wave), count_(count), creationFlags_(creationFlags)
{
    buffers_ = count > 0 ? new (std::nothrow) IDirectSoundBuffer*[count] : nullptr;
    if (buffers_ == nullptr) {
        // Nothing can hold them: give the buffers back rather than leak them.
        for (DWORD i = 0; buffers != nullptr && i < count; ++i) {
            if (buffers[i] != nullptr) {
                buffers[i]->Release();
            }
        }
        return;
    }
    for (DWORD i = 0; i < count; ++i) {
        buffers_[i] = buffers != nullptr ? buffers[i] : nullptr;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (buffers_[i] != nullptr) {
            LoadBufferData(buffers_[i]);
        }
    }
}

CSound::~CSound()
{
    if (buffers_ != nullptr) {
        for (DWORD i = 0; i < count_; ++i) {
            if (buffers_[i] != nullptr) {
                buffers_[i]->Release();
            }
        }
        delete[] buffers_;
        buffers_ = nullptr;
    }
    delete wave_;
    wave_ = nullptr;
}

HRESULT CSound::LoadBufferData(IDirectSoundBuffer* buffer)
{
    if (buffer == nullptr || wave_ == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    HRESULT hr = RecoverLostBuffer(buffer, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    void* locked = nullptr;
    DWORD lockedBytes = 0;
    hr = buffer->Lock(0, bufferSize_, &locked, &lockedBytes, nullptr, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    auto* bytes = static_cast<BYTE*>(locked);
    wave_->RewindToData();
    DWORD read = 0;
    hr = wave_->ReadData(bytes, lockedBytes, &read);
    if (FAILED(hr)) {
        buffer->Unlock(locked, lockedBytes, nullptr, 0);
        return hr;
    }
    const bool eightBit = wave_->format != nullptr && wave_->format->wBitsPerSample == 8;
    const BYTE silence = eightBit ? 128 : 0;
    if (read < lockedBytes) {
        std::memset(bytes + read, silence, lockedBytes - read);
    }
    buffer->Unlock(locked, lockedBytes, nullptr, 0);
    return S_OK;
}

HRESULT CSound::RecoverLostBuffer(IDirectSoundBuffer* buffer, bool* restored)
{
    if (buffer == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (restored != nullptr) {
        *restored = false;
    }
    DWORD status = 0;
    const HRESULT hr = buffer->GetStatus(&status);
    if (FAILED(hr)) {
        return hr;
    }
    if ((status & DSBSTATUS_BUFFERLOST) == 0) {
        return S_FALSE;
    }
    // The system may keep the buffer for a while (another program holds the device).
    for (;;) {
        if (buffer->Restore() == DSERR_BUFFERLOST) {
            Sleep(10);
        }
        if (buffer->Restore() != DSERR_BUFFERLOST) {
            break;
        }
    }
    if (restored != nullptr) {
        *restored = true;
    }
    return S_OK;
}

IDirectSoundBuffer* CSound::PickIdleBuffer()
{
    if (buffers_ == nullptr) {
        return nullptr;
    }
    for (DWORD i = 0; i < count_; ++i) {
        if (buffers_[i] != nullptr) {
            DWORD status = 0;
            buffers_[i]->GetStatus(&status);
            if ((status & DSBSTATUS_PLAYING) == 0) {
                return buffers_[i];
            }
        }
    }
    return buffers_[static_cast<unsigned>(Rand()) % count_];
}

HRESULT CSound::Play(DWORD priority, DWORD flags, LONG volume, LONG frequency, LONG pan)
{
    if (buffers_ == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    IDirectSoundBuffer* buffer = PickIdleBuffer();
    if (buffer == nullptr) {
        return E_FAIL;
    }
    bool restored = false;
    HRESULT hr = RecoverLostBuffer(buffer, &restored);
    if (FAILED(hr)) {
        return hr;
    }
    if (restored) {
        hr = LoadBufferData(buffer);
        if (FAILED(hr)) {
            return hr;
        }
    }
    if ((creationFlags_ & DSBCAPS_CTRLVOLUME) != 0) {
        buffer->SetVolume(volume);
    }
    if (frequency != -1 && (creationFlags_ & DSBCAPS_CTRLFREQUENCY) != 0) {
        buffer->SetFrequency(static_cast<DWORD>(frequency));
    }
    if ((creationFlags_ & DSBCAPS_CTRLPAN) != 0) {
        buffer->SetPan(pan);
    }
    return buffer->Play(0, priority, flags);
}

bool CSound::IsPlaying()
{
    if (buffers_ == nullptr) {
        return false;
    }
    DWORD playing = 0;
    for (DWORD i = 0; i < count_; ++i) {
        if (buffers_[i] != nullptr) {
            DWORD status = 0;
            buffers_[i]->GetStatus(&status);
            playing |= status & DSBSTATUS_PLAYING;
        }
    }
    return playing != 0;
}
