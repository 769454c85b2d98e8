#pragma once

// Sound output shaped like DirectSound 8: a device object, one primary buffer that sets the
// mix format, and secondary buffers of PCM samples mixed into the default audio device.

#include "platform/platform_types.h"

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
// 18 bytes on disk and in memory; a non-PCM format may carry cbSize extra bytes after it.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct DSBUFFERDESC {
    DWORD dwSize;  // sizeof(DSBUFFERDESC)
    DWORD dwFlags;
    DWORD dwBufferBytes;
    WAVEFORMATEX* lpwfxFormat;
    GUID guid3DAlgorithm;
};

constexpr DWORD DSSCL_PRIORITY = 2;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_RIGHT = 10000;

constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;

constexpr HRESULT DS_OK = S_OK;
// Kept for the sound system's check; this output never models 3D, so never returns it.
constexpr HRESULT DS_NO_VIRTUALIZATION = MakeHresult(0x0878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = MakeHresult(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = MakeHresult(0x80070057u);
constexpr HRESULT DSERR_INVALIDCALL = MakeHresult(0x88780032u);
constexpr HRESULT DSERR_GENERIC = MakeHresult(0x80004005u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = MakeHresult(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = MakeHresult(0x8007000Eu);
constexpr HRESULT DSERR_BADFORMAT = MakeHresult(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = MakeHresult(0x88780078u);
constexpr HRESULT DSERR_NOAGGREGATION = MakeHresult(0x80040110u);
constexpr HRESULT DSERR_BUFFERLOST = MakeHresult(0x88780096u);

// A primary or secondary buffer, reference counted.
class IDirectSoundBuffer {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    // Secondary buffers only, as everything below but SetFormat: the primary answers
    // DSERR_INVALIDCALL.
    virtual HRESULT GetStatus(DWORD* status) = 0;
    // Primary buffer only: changes the format the device is fed.
    virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;

    // A region that runs past the end of the buffer wraps: the first part reaches the end,
    // the second starts at 0. With no second pointer the lock stops at the end.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2, DWORD* bytes2,
                         DWORD flags) = 0;
    virtual HRESULT Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2) = 0;

    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Restore() = 0;

    // Hundredths of a decibel: 0 plays unattenuated, DSBVOLUME_MIN is silent.
    virtual HRESULT SetVolume(LONG volume) = 0;
    // Samples per second, or DSBFREQUENCY_ORIGINAL for the buffer's own rate.
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;

protected:
    ~IDirectSoundBuffer() = default;
};

class IDirectSound8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // DSSCL_PRIORITY, the one level offered, before any buffer is made; any window or none.
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer) = 0;

protected:
    ~IDirectSound8() = default;
};

// Opens the default output device (device must be null). No usable device gives
// DSERR_NODRIVER and a null object; the caller then simply has no sound.
HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** directSound, void* outer);
