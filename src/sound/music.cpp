#include "sound/music.h"

#include <new>

SoundSystem* GameSoundSystem = nullptr;
CSound* Music = nullptr;

void StartMusic(HWND window)
{
    // A second start would orphan the first device; keep the one that runs.
    if (GameSoundSystem != nullptr) {
        return;
    }
    GameSoundSystem = new (std::nothrow) SoundSystem();
    if (GameSoundSystem == nullptr) {
        return;
    }
    GameSoundSystem->Initialize(window, kMusicCooperativeLevel);
    GameSoundSystem->SetPrimaryFormat(kPrimaryChannels, kPrimarySamplesPerSecond, kPrimaryBitsPerSample);
    GameSoundSystem->CreateSound(&Music, kMusicFile, kMusicCreationFlags, GUID_NULL, kMusicBufferCount);
    if (Music != nullptr) {
        Music->Play(kMusicPriority, kMusicPlayFlags, kMusicVolume, kMusicFrequency, kMusicPan);
    }
}

void RestartMusicIfStopped()
{
    if (Music != nullptr && !Music->IsPlaying()) {
        Music->Play(kMusicPriority, kMusicPlayFlags, kMusicVolume, kMusicFrequency, kMusicPan);
    }
}

void ReleaseMusic()
{
    delete Music;
    Music = nullptr;
    delete GameSoundSystem;
    GameSoundSystem = nullptr;
}
