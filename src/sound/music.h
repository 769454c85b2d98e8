#pragma once

// The background music: one looping sound, started with the program and restarted by the
// message loop whenever it has stopped.

#include <string>

#include "platform/audio/dsound.h"
#include "platform/platform_types.h"
#include "sound/sound.h"

constexpr const char* kMusicFile = "data/VelmoraMusic.wav";
constexpr DWORD kMusicCooperativeLevel = DSSCL_PRIORITY;
constexpr DWORD kPrimaryChannels = 10;
constexpr DWORD kPrimarySamplesPerSecond = 22050;
constexpr DWORD kPrimaryBitsPerSample = 16;
constexpr DWORD kMusicCreationFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY;
constexpr DWORD kMusicBufferCount = 1;
constexpr DWORD kMusicPriority = 0;
constexpr DWORD kMusicPlayFlags = DSBPLAY_LOOPING;
constexpr LONG kMusicVolume = 0;
constexpr LONG kMusicFrequency = -1;
constexpr LONG kMusicPan = 0;

// Live for the whole process once StartMusic ran. music stays null when there is no sound
// device or the music file cannot be read; everything below then does nothing.
struct GameAudio {
    SoundSystem* soundSystem = nullptr;
    CSound* music = nullptr;
    // M's switch (SetMusicMuted).
    bool muted = false;

    // Destroys the music and the sound system and unmutes, so that StartMusic can run again
    // (tests and tools; the game keeps them to the end of the process).
    void Reset();
};
extern GameAudio Audio;

constexpr WORD kWaveFormatIeeeFloat = 3;

// Creates the sound system and the music and starts it looping. Failures never stop the
// game; when there is no music, one line on stderr names the file and the reason.
// `file` is where the music was found (the working folder's data/ unless the program says
// otherwise).
void StartMusic(HWND window, const char* file = kMusicFile);

// Why the music file could not become a sound: missing, a folder, unreadable, or the format
// the output cannot play, in words. `createResult` is CreateSound's answer, for the rest.
std::string MusicProblem(const char* file, HRESULT createResult);

// One status query per call: plays the music again when it is not playing.
void RestartMusicIfStopped();

// M's switch: a muted music plays on at the lowest volume, so unmuting finds it in step.
void SetMusicMuted(bool muted);
bool MusicMuted();
