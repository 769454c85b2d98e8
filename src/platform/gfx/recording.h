#pragma once

// The recording backend: every Direct3D / D3DX call made on its objects is logged with its
// arguments (and, for draws, the vertices they consumed), and any named call can be made to
// fail with a chosen result. No GL is touched, so tests of the game's drawing and start-up
// paths run anywhere. Textures from files are decoded, so LockRect reads real pixels.

#include <cstdint>
#include <string>
#include <vector>

#include "math/vertex.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"

struct GfxArg {
    // A call logs its arguments as they are: numbers by value, text (null as "null"), the
    // layer's objects by id ("foreign" for others) and any other pointer as "ptr" or "null".
    GfxArg() = default;
    GfxArg(std::int64_t v) : i(v) {}
    GfxArg(std::uint32_t v) : i(v) {}
    GfxArg(std::int32_t v) : i(v) {}
    GfxArg(float v) : kind(Float), f(v) {}
    GfxArg(const char* text) : kind(Text), s(text != nullptr ? text : "null") {}
    GfxArg(const IUnknown* object);
    GfxArg(const void* pointer) : kind(Object), s(pointer != nullptr ? "ptr" : "null"), p(pointer) {}

    enum Kind { Int, Float, Text, Object } kind = Int;
    std::int64_t i = 0;       // Int (unsigned values are stored as their value)
    float f = 0.0f;           // Float
    std::string s;            // Text; for Object the object's id ("vb1", "tex3") or "null"
    const void* p = nullptr;  // Object
};

struct GfxCall {
    std::string name;              // "IDirect3DDevice9::Clear", "ID3DXEffect::SetFloat", "D3DXCreateTextureFromFileW"
    std::vector<GfxArg> args;      // in parameter order; out-pointers are left out
    HRESULT result = S_OK;         // for handle-returning calls: S_OK, or E_FAIL when null was returned
    std::vector<Vertex> vertices;  // DrawPrimitive: the vertices read, in stream order
    float matrix[16] = {};         // SetTransform / SetMatrix: the matrix, row by row

    // "Clear(0, null, 0x3, 0xff000000, 1, 0)": method name without class, the arguments.
    std::string ToString() const;
    std::int64_t Int(std::size_t index) const { return index < args.size() ? args[index].i : 0; }
    float Float(std::size_t index) const { return index < args.size() ? args[index].f : 0.0f; }
    std::string Text(std::size_t index) const { return index < args.size() ? args[index].s : std::string(); }
};

class GfxRecorder {
public:
    GfxRecorder() = default;
    ~GfxRecorder();
    GfxRecorder(const GfxRecorder&) = delete;
    GfxRecorder& operator=(const GfxRecorder&) = delete;

    // Makes the call named `name` fail with `result`. `name` is either the full name
    // ("IDirect3DTexture9::LockRect") or the method alone ("LockRect", any class). The
    // first `skip` matching calls succeed; then `times` calls fail (negative: every one).
    // A failing call changes nothing and logs itself with the injected result. Calls that
    // return an object or handle return null instead.
    void FailCall(const std::string& name, HRESULT result, int times = -1, int skip = 0)
    {
        failures_.push_back(Failure{name, result, times, skip});
    }
    void ClearFailures() { failures_.clear(); }

    const std::vector<GfxCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Names only, in order (method alone): {"Clear", "BeginScene", ...}.
    std::vector<std::string> CallNames() const;
    // The calls whose full or method name is `name`.
    std::vector<const GfxCall*> Find(const std::string& name) const;
    std::size_t Count(const std::string& name) const { return Find(name).size(); }

    // Objects the recorder's backend has made and not yet destroyed (leak checks).
    int LiveObjects() const { return liveObjects_; }

    // ---- used by the backend ----
    // Checks for an injected failure for this call; S_OK when none applies.
    HRESULT Injected(const char* fullName);
    GfxCall& Log(const char* fullName, std::vector<GfxArg> args, HRESULT result);
    void CountObject(int change) { liveObjects_ += change; }
    std::string NextId(const char* prefix) { return prefix + std::to_string(nextId_++); }

private:
    struct Failure {
        std::string name;
        HRESULT result;
        int times;
        int skip;
    };
    std::vector<Failure> failures_;
    std::vector<GfxCall> calls_;
    int liveObjects_ = 0;
    int nextId_ = 1;
};

// From now on Direct3DCreate9 makes recording objects that log into `recorder` (null goes
// back to the GL backend). The recorder must outlive every object made through it.
void GfxUseRecordingBackend(GfxRecorder* recorder);

// A recording device without going through Direct3DCreate9, with a back buffer of
// width x height. Null if `recorder` is null.
IDirect3DDevice9* GfxCreateRecordingDevice(GfxRecorder* recorder, UINT width = 640, UINT height = 480);
