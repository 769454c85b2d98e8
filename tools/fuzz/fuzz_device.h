#pragma once

// The recording device the graphics targets load into, made on first use.

#include "fuzz_input.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/recording.h"

struct FuzzDevice {
    GfxRecorder recorder;
    IDirect3DDevice9* device = nullptr;
    int liveWithDevice = 0;  // the recorder's object count with only the device alive

    // After each input: nothing made from it may still be alive.
    bool NothingLeft() const { return recorder.LiveObjects() == liveWithDevice; }
};

inline FuzzDevice& TheFuzzDevice()
{
    static FuzzDevice* shared = [] {
        auto* made = new FuzzDevice();
        made->device = GfxCreateRecordingDevice(&made->recorder);
        FuzzCheck(made->device != nullptr);
        made->liveWithDevice = made->recorder.LiveObjects();
        return made;
    }();
    shared->recorder.ClearCalls();
    return *shared;
}
