#pragma once

// Private to the graphics layer: how its objects feed the recorder (the public face
// is platform/gfx/recording.h).

#include <cstdint>
#include <vector>

#include "platform/gfx/recording.h"

// The first step of every call the layer records: `hr` is the failure injected for `name`,
// else D3DERR_INVALIDCALL when `invalid`, else S_OK. GFX_RESULT logs the call at its end.
struct GfxCheck {
    GfxCheck(GfxRecorder* r, const char* n, bool invalid) : recorder(r), name(n)
    {
        const HRESULT injected = r != nullptr ? r->Injected(n) : S_OK;
        hr = injected != S_OK ? injected : invalid ? D3DERR_INVALIDCALL : S_OK;
    }
    bool Ok() const { return hr == S_OK; }

    GfxRecorder* recorder;  // may be null: nothing is logged
    const char* name;
    HRESULT hr;
};

// Logs the checked call with its result and these arguments, building them only when
// recording. Gives the logged GfxCall*, or null.
#define GFX_RECORD(check, ...) \
    ((check).recorder != nullptr ? &(check).recorder->Log((check).name, {__VA_ARGS__}, (check).hr) : nullptr)

// GFX_RECORD as the last line of a call: `return GFX_RESULT(check, args...);`.
#define GFX_RESULT(check, ...) (GFX_RECORD(check, __VA_ARGS__), (check).hr)

// Release for objects that count their own references: drops one of `refs`, logs the call
// `name` (with `logged` as its argument when that is not null) when recording, and deletes
// `self` with the last.
template <class T>
ULONG GfxUnref(T* self, ULONG& refs, GfxRecorder* recorder, const char* name, const IUnknown* logged = nullptr)
{
    const ULONG left = --refs;
    if (recorder != nullptr) {
        recorder->Log(name, logged != nullptr ? std::vector<GfxArg>{logged} : std::vector<GfxArg>{},
                      static_cast<HRESULT>(left));
    }
    if (left == 0) {
        delete self;
    }
    return left;
}

// Closes a logged call's arguments (null when nothing was logged) with the object it made;
// gives the call's result.
inline HRESULT GfxLogMade(GfxCall* call, const IUnknown* made, HRESULT hr)
{
    if (call != nullptr && made != nullptr) {
        call->args.emplace_back(made);
    }
    return hr;
}

// Counts an object made (+1) or destroyed (-1) among the recorder's live ones, when recording.
inline void GfxCountObject(GfxRecorder* recorder, int change)
{
    if (recorder != nullptr) {
        recorder->CountObject(change);
    }
}

// The recorder set with GfxUseRecordingBackend, or null for the GL backend.
GfxRecorder* GfxActiveRecorder();
