#pragma once

// Private to the graphics layer: how its objects feed the recorder (the public face
// is platform/gfx/recording.h).

#include <cstdint>
#include <vector>

#include "platform/gfx/recording.h"

// The one recording hook: logs a call when `recorder` (a GfxRecorder*, may be null) is set,
// building its arguments only then. Gives the logged GfxCall*, or null.
#define GFX_RECORD(recorder, name, hr, ...) \
    ((recorder) != nullptr ? &(recorder)->Log(name, std::vector<GfxArg>{__VA_ARGS__}, hr) : nullptr)

// GFX_RECORD as the last line of a call: `return GFX_RESULT(recorder_, kName, hr, args...);`
// logs the call and gives its result.
#define GFX_RESULT(recorder, name, hr, ...) \
    (GFX_RECORD(recorder, name, hr __VA_OPT__(, ) __VA_ARGS__), (hr))

// The failure injected for the call `name`, else D3DERR_INVALIDCALL when `invalid`, else
// S_OK: the first lines of every call the layer records.
inline HRESULT GfxCheck(GfxRecorder* recorder, const char* name, bool invalid)
{
    const HRESULT hr = recorder != nullptr ? recorder->Injected(name) : S_OK;
    return hr != S_OK ? hr : invalid ? D3DERR_INVALIDCALL : S_OK;
}

// Release for objects that count their own references: drops one of `refs`, logs the call
// `name` when recording, and deletes `self` with the last.
template <class T>
ULONG GfxUnref(T* self, ULONG& refs, GfxRecorder* recorder, const char* name)
{
    const ULONG left = --refs;
    GFX_RECORD(recorder, name, static_cast<HRESULT>(left));
    if (left == 0) {
        delete self;
    }
    return left;
}

// ---- argument capture for the recorder ----
inline GfxArg GfxArgOf(std::int64_t v) { GfxArg a; a.kind = GfxArg::Int; a.i = v; return a; }
inline GfxArg GfxArgOf(std::uint32_t v) { return GfxArgOf(static_cast<std::int64_t>(v)); }
inline GfxArg GfxArgOf(std::int32_t v) { return GfxArgOf(static_cast<std::int64_t>(v)); }
inline GfxArg GfxArgOf(float v) { GfxArg a; a.kind = GfxArg::Float; a.f = v; return a; }
inline GfxArg GfxArgText(const char* s) { GfxArg a; a.kind = GfxArg::Text; a.s = s ? s : "null"; return a; }
GfxArg GfxArgObject(const IUnknown* object);  // knows the ids of layer objects
inline GfxArg GfxArgPointer(const void* p) { GfxArg a; a.kind = GfxArg::Object; a.p = p; a.s = p ? "ptr" : "null"; return a; }

// Closes a logged call's arguments (null when nothing was logged) with the object it made;
// gives the call's result.
inline HRESULT GfxLogMade(GfxCall* call, const IUnknown* made, HRESULT hr)
{
    if (call != nullptr && made != nullptr) {
        call->args.push_back(GfxArgObject(made));
    }
    return hr;
}

// The recorder set with GfxUseRecordingBackend, or null for the GL backend.
GfxRecorder* GfxActiveRecorder();
