#pragma once

// Test hooks of the sound output. Game code never calls these.

#include "platform/audio/dsound.h"

// Pauses or resumes the device's own callback, so that a test can drive the mix itself.
void DirectSoundPauseDeviceForTests(IDirectSound8* directSound, bool paused);

// Runs exactly what the device callback runs, into `dest`, in the primary buffer's format.
HRESULT DirectSoundRenderForTests(IDirectSound8* directSound, void* dest, DWORD bytes);

// How many times the device itself has asked for samples.
DWORD DirectSoundCallbackCountForTests(IDirectSound8* directSound);

// The system takes every secondary buffer of this device away, as when another program
// grabs the sound device: they stop, report DSBSTATUS_BUFFERLOST and need Restore.
void DirectSoundLoseBuffersForTests(IDirectSound8* directSound);

// The next `failures` calls of Restore on this buffer report DSERR_BUFFERLOST.
void DirectSoundFailRestoreForTests(IDirectSoundBuffer* buffer, DWORD failures);
