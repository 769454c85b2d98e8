#pragma once

// A sound buffer that records what is asked of it, for checking CSound's calls exactly.

#include <vector>

#include "platform/audio/dsound.h"

namespace soundtest {

class FakeBuffer final : public IDirectSoundBuffer {
public:
    explicit FakeBuffer(DWORD size, BYTE fill = 0xEE) : memory(size, fill) {}

    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        ++releases;
        return --refs;
    }
    HRESULT GetStatus(DWORD* s) override
    {
        ++statusCalls;
        if (FAILED(statusResult)) {
            return statusResult;
        }
        *s = status;
        return DS_OK;
    }
    HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }
    HRESULT Lock(DWORD offset, DWORD bytes, void** a1, DWORD* b1, void** a2, DWORD* b2, DWORD) override
    {
        ++lockCalls;
        if (FAILED(lockResult)) {
            return lockResult;
        }
        *a1 = memory.data() + offset;
        *b1 = bytes;
        if (a2 != nullptr) {
            *a2 = nullptr;
        }
        if (b2 != nullptr) {
            *b2 = 0;
        }
        ++locksHeld;
        return DS_OK;
    }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override
    {
        --locksHeld;
        return DS_OK;
    }
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override
    {
        ++playCalls;
        lastReserved = reserved;
        lastPriority = priority;
        lastPlayFlags = flags;
        status |= DSBSTATUS_PLAYING;
        return DS_OK;
    }
    HRESULT Stop() override
    {
        status &= ~DSBSTATUS_PLAYING;
        return DS_OK;
    }
    HRESULT Restore() override
    {
        ++restoreCalls;
        if (restoreFailures > 0) {
            --restoreFailures;
            return DSERR_BUFFERLOST;
        }
        status &= ~DSBSTATUS_BUFFERLOST;
        return DS_OK;
    }
    HRESULT SetVolume(LONG v) override
    {
        ++volumeCalls;
        volume = v;
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD f) override
    {
        ++frequencyCalls;
        frequency = f;
        return DS_OK;
    }
    HRESULT SetPan(LONG p) override
    {
        ++panCalls;
        pan = p;
        return DS_OK;
    }

    std::vector<BYTE> memory;
    DWORD status = 0;
    HRESULT statusResult = DS_OK;
    HRESULT lockResult = DS_OK;
    int restoreFailures = 0;
    int refs = 1;
    int releases = 0;
    int statusCalls = 0;
    int lockCalls = 0;
    int locksHeld = 0;
    int playCalls = 0;
    int restoreCalls = 0;
    int volumeCalls = 0;
    int frequencyCalls = 0;
    int panCalls = 0;
    DWORD lastReserved = 0;
    DWORD lastPriority = 0;
    DWORD lastPlayFlags = 0;
    LONG volume = 0;
    DWORD frequency = 0;
    LONG pan = 0;
};

}  // namespace soundtest
